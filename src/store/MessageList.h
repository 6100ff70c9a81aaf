#pragma once
// The message list's query and paging: unread first, newest first, by read filter and item.
#include "store/MessageListInfo.h"

#include <string>
#include <string_view>
#include <vector>

class CAdoConnection;
class MessageTypeInfo;

enum ReadFilter : int
{
    kFilterAll = 0,
    kFilterUnread = 1,
    kFilterRead = 2,
};

struct MessagePage
{
    std::vector<MessageListInfo> rows;
    long page = 1; // the page shown, clamped to 1..pageCount
    long pageCount = 0;
    long totalCount = 0;
    long pageSize = 0;
};

// The order of the whole list: a column of the list and its direction; column -1 (and the empty
// columns 6 and 8) is the list's own order, unread first and newest first. Equal keys keep that
// order, so paging through a sorted list is repeatable.
struct ListOrder
{
    int column = -1;
    bool descending = false;
};

// Whether the order is by a text column, which the stored sort keys serve (SortKeys.h).
bool SortsByTextKeys(const ListOrder& order);

// The list's query text, e.g. "select * from userdata where status=0  and  messagetypeid=7 order by status,-id ".
std::string ListQueryText(int readFilter, const MessageTypeInfo* item);

// One page of the list; a requested page beyond the last shows the last, below 1 the first.
// RecieveDate is read in the finding date format. False when the query fails (page untouched).
bool LoadMessagePage(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item, long requestedPage,
                     long pageSize, MessagePage& page);

// The same with the item given by key (0 = all items) and the whole list in the given order.
bool LoadMessagePage(CAdoConnection& connection, int readFilter, int itemId, long requestedPage, long pageSize,
                     const ListOrder& order, MessagePage& page);
// The same with only the records whose texts hold every word of searchText (see SearchIndex.h).
bool LoadMessagePage(CAdoConnection& connection, int readFilter, int itemId, long requestedPage, long pageSize,
                     const ListOrder& order, std::string_view searchText, MessagePage& page);

// The same page through a recordset over every matching row (any engine); the SQLite path above
// gives the same rows without reading them all.
bool LoadMessagePageFromRecordset(CAdoConnection& connection, int readFilter, const MessageTypeInfo* item,
                                  long requestedPage, long pageSize, MessagePage& page);
bool LoadMessagePageFromRecordset(CAdoConnection& connection, int readFilter, int itemId, long requestedPage,
                                  long pageSize, const ListOrder& order, MessagePage& page);
