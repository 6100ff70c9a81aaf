#pragma once
// Export and import of check items through an items file (app/ItemsFile.h), for both front ends.
//
// Errors: false or nullopt with the reason in error; nothing is shown. An import adds all the
// valid items of a file or none of them.
#include "app/ItemsFile.h"

#include <optional>
#include <string>
#include <vector>

class CItemOperations;

// The items of the given keys in that order, or every item when ids is empty, written to path. A
// file with passwords is made readable by the user only (0600); it replaces the old file whole,
// never in part.
bool ExportItems(CItemOperations& items, const std::vector<int>& ids, bool withPasswords, const std::string& path,
                 std::string& error);
// The file text itself, for writing elsewhere (standard output).
std::optional<std::string> ExportItemsText(CItemOperations& items, const std::vector<int>& ids, bool withPasswords,
                                           std::string& error);

struct ImportReport
{
    std::vector<std::string> added; // the names the new items got, in file order
    std::vector<SkippedItem> skipped;
};

// Reads path (at most kMaxItemsFileBytes), checks every item as the property dialog does and adds
// the valid ones in one transaction, names made unique.
std::optional<ImportReport> ImportItems(CItemOperations& items, const std::string& path, std::string& error);
// The same for a text already read.
std::optional<ImportReport> ImportItemsText(CItemOperations& items, std::string_view text, std::string& error);
