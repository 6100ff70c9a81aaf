#pragma once
// The exclusion ranges of web items (userHttpExclude).
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;

struct ExcludeRange
{
    int ID = 0;
    std::string excludeFrom;
    std::string excludeTo;
};
using ExcludeRanges = std::vector<ExcludeRange>;

// The ranges of one item in the order the database returns them; nullopt when the query fails.
std::optional<std::vector<ExcludeRange>> LoadExcludeRanges(CAdoConnection& connection, int messagetypeid);
// Replaces the item's ranges: delete, then one insert per range in the given order. False when the
// delete or any insert failed; run it inside a CAdoTransaction to make the change all or nothing.
bool SaveExcludeRanges(CAdoConnection& connection, int messagetypeid, const std::vector<ExcludeRange>& ranges);
// Removes every range of the item (when the item goes).
bool DeleteExcludeRanges(CAdoConnection& connection, int messagetypeid);
