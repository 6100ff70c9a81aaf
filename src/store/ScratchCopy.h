#pragma once
// A scratch store for trying an item without touching message.dat: a fresh local database that
// holds copies of one item's row, records and remembered deletions (what its duplicate tests and
// web comparisons read), and what a check stored there afterwards.
//
// Errors: false or nullopt with the database's own words in error; nothing is shown.
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;

// Copies the item's rows from the database file at sourcePath into the scratch connection's file.
bool CopyItemRecords(CAdoConnection& scratch, const std::string& sourcePath, int messagetypeid, std::string& error);

struct ScratchFindings
{
    int count = 0;
    std::vector<std::string> subjects; // SourceInfo of the first ones, in stored order
};

// The records stored after afterId; subjects of at most limit of them.
std::optional<ScratchFindings> ReadScratchFindings(CAdoConnection& scratch, long long afterId, int limit,
                                                   std::string& error);
std::optional<long long> NewestRecordId(CAdoConnection& scratch, std::string& error);
