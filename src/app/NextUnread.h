#pragma once
// "Next unread message": where the next unread record after the one shown lies. First later in the
// listing shown, then in the following items (in the tree's order, round to the start) that have
// unread records, then from the top of the listing shown up to the record shown.
#include "app/CMessageOperations.h"

#include <optional>
#include <string>
#include <vector>

struct UnreadPlace
{
    int itemId = 0; // the listing's item (0 = all items)
    int readFilter = kFilterAll;
    long page = 1;
    int messageId = 0;
};

// current: the listing shown (item, read filter, page, page size, order; a "read" filter becomes
// "all", under which unread records show); currentId: the record shown, 0 for none; itemOrder:
// the item keys in the tree's order. Empty when nothing else is unread, or when the store cannot
// be read (error then says why).
std::optional<UnreadPlace> FindNextUnread(CMessageOperations& messages, const MessageQuery& current, int currentId,
                                          const std::vector<int>& itemOrder, std::string& error);
