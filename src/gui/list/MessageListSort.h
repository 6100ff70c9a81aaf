#pragma once
// The list's order by one column: the comparison of two records and a stable sort over it.
#include <vector>

class MessageListInfo;

// Three-way comparison of two records for a column, before the direction: negative when a comes
// first. Column 0: unread first, then newer first; 2: later dates first; 4: unread first; 1, 3, 5,
// 7: text without regard to ASCII letter case; 6 and 8 (the empty columns) call every pair equal.
int CompareListRows(const MessageListInfo& a, const MessageListInfo& b, int column);

// Reorders the indices into records by the column, reversed when descending. Records whose keys are
// equal keep their order, so every sort is repeatable.
void SortListRows(const std::vector<MessageListInfo>& records, std::vector<int>& order, int column, bool descending);
