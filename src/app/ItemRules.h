#pragma once
// The bounds a check item's fields keep, the same for the property dialog and wendar-cli. A field
// counts only where the item's category uses it (a port for FTP and mail items, the newest rows
// for database items, the exclusion ranges for web items), so a value a category ignores never
// blocks an edit. A refusal names the field and its bounds.
#include "store/ExcludeTable.h"
#include "store/MessageTypeInfo.h"

#include <optional>
#include <string>

inline constexpr int kMinPort = 1;
inline constexpr int kMaxPort = 65535;
// 0 reads the whole view, as it always has; negative numbers are refused.
inline constexpr int kMinCheckNumber = 0;
inline constexpr int kMaxCheckNumber = 10000;

enum class ItemField
{
    Name,
    Address,
    Port,
    CheckNumber,
    NotifyInterval,
    ExcludeRange,
};

struct ItemRuleBreak
{
    ItemField field = ItemField::Name;
    std::string text;
    int rangeIndex = -1; // the first bad exclusion range
};

// The refusal text of a field: its name and its bounds.
std::string ItemFieldRule(ItemField field);
// The first field, in the dialog's order, that breaks its bounds; nullopt when all keep them.
// ranges: the exclusion ranges to be stored, or null when they stay as they are.
std::optional<ItemRuleBreak> CheckItemFields(const MessageTypeInfo& item, const ExcludeRanges* ranges);
// The address a category's monitor can use (database: "Driver=...", web: http or https, FTP:
// ftp); the refusal text, or nullopt when it fits. Mail and other items take any address.
std::optional<std::string> CheckItemAddress(int category, const std::string& address);
// Every check the property dialog makes before it stores an item, in its order: a category the
// dialog offers, the identity an item must carry, the address, the field bounds. The refusal text.
std::optional<std::string> CheckNewItem(const MessageTypeInfo& item, const ExcludeRanges& ranges);
