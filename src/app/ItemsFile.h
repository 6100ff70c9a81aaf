#pragma once
// The items file: check items with their exclusion ranges, for taking them to another machine or
// handing them to someone else. UTF-8 JSON, version 1:
//
//   {
//     "format": "wendar-items",
//     "version": 1,
//     "items": [
//       {
//         "MessageTypeName": "新闻", "MessageCategory": 2, "state": 1,
//         "connAddress": "https://example.com/news", "UserName": "", "Password": "",
//         "ViewName": "", "MessageTypeUser": "", "CheckInterval": 1200, "CheckNumber": 20,
//         "DisplayType": 0, "bNotify": 0, "notifysound": "sound/Cuckoo01.wav",
//         "IncludeFrom": "", "IncludeTo": "", "About": "", "MustHaveID": 0,
//         "excludes": [ { "from": "<!--ad-->", "to": "<!--/ad-->" } ]
//       }
//     ]
//   }
//
// Names are the stored column names; "excludes" keeps the ranges in their order. "Password" is
// written only when asked for. On reading, a missing member takes the value a new item has, an
// unknown member is ignored (later versions may add some), a member of the wrong type skips its
// item; a file of a higher version is refused as a whole.
//
// Reading also takes urlwatch's urls.yaml: each of its url jobs becomes a web item with the job's
// name (its address when it has none) and address, nothing else; other jobs are skipped.
//
// Both are untrusted input: the text, the number of items and ranges and every text are bounded.
#include "app/CItemOperations.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr const char* kItemsFileFormat = "wendar-items";
inline constexpr int kItemsFileVersion = 1;
inline constexpr std::size_t kMaxItemsFileBytes = 16 * 1024 * 1024;
inline constexpr std::size_t kMaxFileItems = 10000;
inline constexpr std::size_t kMaxItemRanges = 1000;
inline constexpr std::size_t kMaxFieldBytes = 64 * 1024;

// An entry of a file that is not taken, and why; number counts the file's entries from 1.
struct SkippedItem
{
    int number = 0;
    std::string name;
    std::string reason;
};

struct ItemsFileContent
{
    std::vector<StoredItem> items; // in file order, not yet checked against the item rules
    std::vector<int> numbers;      // the file's entry number of each item
    std::vector<SkippedItem> skipped;
};

// The file text of the items (keys, unread counts and owners are not written).
std::string ItemsFileText(const std::vector<StoredItem>& items, bool withPasswords);
// An items file or a urls.yaml, told apart by their text. Nullopt with the reason in error when
// the text is neither or breaks a bound as a whole.
std::optional<ItemsFileContent> ReadItemsText(std::string_view text, std::string& error);
