#include "gui/list/MessageListSort.h"

#include "store/MessageListInfo.h"

#include <algorithm>
#include <string>

namespace {

// Byte order with ASCII letters folded; UTF-8 byte order is code point order.
int CompareNoCase(const std::string& a, const std::string& b)
{
    const auto fold = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = fold(static_cast<unsigned char>(a[i]));
        const int cb = fold(static_cast<unsigned char>(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int CompareNumbers(long a, long b)
{
    return a == b ? 0 : (a < b ? -1 : 1);
}

} // namespace

int CompareListRows(const MessageListInfo& a, const MessageListInfo& b, int column)
{
    switch (column) {
    case 0:
        if (a.status != b.status) {
            return CompareNumbers(a.status, b.status);
        }
        return CompareNumbers(b.ID, a.ID);
    case 1:
        return CompareNoCase(a.MessageTypeName, b.MessageTypeName);
    case 2:
        return CompareNoCase(b.RecieveDate, a.RecieveDate);
    case 3:
        return CompareNoCase(a.SourceFromName, b.SourceFromName);
    case 4:
        return CompareNumbers(a.status, b.status);
    case 5:
        return CompareNoCase(a.SourceInfo, b.SourceInfo);
    case 7:
        return CompareNoCase(a.SourceToName, b.SourceToName);
    default:
        return 0;
    }
}

void SortListRows(const std::vector<MessageListInfo>& records, std::vector<int>& order, int column, bool descending)
{
    std::stable_sort(order.begin(), order.end(), [&](int x, int y) {
        const int result = CompareListRows(records[static_cast<size_t>(x)], records[static_cast<size_t>(y)], column);
        return descending ? result > 0 : result < 0;
    });
}
