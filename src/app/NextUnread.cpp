#include "app/NextUnread.h"

#include <algorithm>

namespace {

enum class Scan
{
    Found,
    NotFound,
    Failed,
};

// The list's own order (and the status column ascending) has every unread record before the read
// ones: a page with a read row ends the search of that listing.
bool UnreadComesFirst(const ListOrder& order)
{
    return order.column < 0 || order.column == 6 || order.column == 8 || (order.column == 0 && !order.descending);
}

// The first unread row of the listing from fromPage on, after the record afterId (0: from the page's
// top; a record no longer on that page counts as passed) and before the record stopId (0: none).
Scan ScanListing(CMessageOperations& messages, MessageQuery query, long fromPage, int afterId, int stopId,
                 UnreadPlace& place, std::string& error)
{
    const bool unreadFirst = UnreadComesFirst(query.order);
    bool passed = afterId == 0;
    for (long page = std::max(fromPage, 1L);; ++page) {
        query.page = page;
        const auto rows = messages.Page(query, error);
        if (!rows) {
            return Scan::Failed;
        }
        if (rows->page != page) {
            return Scan::NotFound; // beyond the last page
        }
        if (!passed && std::ranges::none_of(rows->rows, [afterId](const auto& row) { return row.ID == afterId; })) {
            passed = true;
        }
        bool sawRead = false;
        for (const MessageListInfo& row : rows->rows) {
            if (!passed) {
                passed = row.ID == afterId;
                continue;
            }
            if (stopId != 0 && row.ID == stopId) {
                return Scan::NotFound;
            }
            if (row.status < 1) {
                place = UnreadPlace{query.itemId, query.readFilter, page, row.ID};
                return Scan::Found;
            }
            sawRead = true;
        }
        if ((unreadFirst && sawRead) || page >= rows->pageCount) {
            return Scan::NotFound;
        }
    }
}

} // namespace

std::optional<UnreadPlace> FindNextUnread(CMessageOperations& messages, const MessageQuery& current, int currentId,
                                          const std::vector<int>& itemOrder, std::string& error)
{
    error.clear();
    MessageQuery query = current;
    if (query.readFilter == kFilterRead) {
        query.readFilter = kFilterAll;
    }
    UnreadPlace place;
    const auto found = [&](Scan scan) { return scan == Scan::Found; };

    Scan scan = ScanListing(messages, query, current.page, currentId, 0, place, error);
    if (scan != Scan::NotFound) {
        return found(scan) ? std::optional(place) : std::nullopt;
    }
    if (query.itemId != 0 && !itemOrder.empty()) {
        const auto counts = messages.CountUnread(error);
        if (!counts) {
            return std::nullopt;
        }
        const auto at = std::ranges::find(itemOrder, query.itemId);
        const size_t start = at == itemOrder.end() ? itemOrder.size() - 1 : static_cast<size_t>(at - itemOrder.begin());
        for (size_t step = 1; step <= itemOrder.size(); ++step) {
            const int item = itemOrder[(start + step) % itemOrder.size()];
            const auto unread = counts->byItem.find(item);
            if (item == query.itemId || unread == counts->byItem.end() || unread->second == 0) {
                continue;
            }
            MessageQuery other = query;
            other.itemId = item;
            scan = ScanListing(messages, other, 1, 0, 0, place, error);
            if (scan != Scan::NotFound) {
                return found(scan) ? std::optional(place) : std::nullopt;
            }
        }
    }
    scan = ScanListing(messages, query, 1, 0, currentId, place, error);
    return found(scan) ? std::optional(place) : std::nullopt;
}
