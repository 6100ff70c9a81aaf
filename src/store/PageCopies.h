#pragma once
// The web items' stored page copies in userdata: the newest record of an item (or of one frame of
// it) and the copy a record holds. The copy, which may be megabytes, is read in one piece.
#include <string>
#include <vector>

class CAdoConnection;

struct PageRecordFilter
{
    int itemId = 0;
    // A frame is compared with its own last copy: only records of this link count, when given.
    std::string link;
    bool byLink = false;
    // Records whose SourceInfo is one of these are passed over.
    std::vector<std::string> skipInfos;
    // Only records older than this one (0: any).
    long long beforeId = 0;
};

// The newest matching record's id (0 when there is none), its SourceInfo and whether it is a
// deleted one. The copies of deleted records count as records: deleting a change report must not
// make the next check report the same change again. Shows nothing; false when the query failed.
bool NewestPageRecord(CAdoConnection& connection, const PageRecordFilter& filter, long long& id, std::string& info,
                      bool& deleted);
// The SourceContent of record id, stored or deleted. Shows nothing; false when it cannot be read.
bool ReadPageCopy(CAdoConnection& connection, long long id, bool deleted, std::string& copy);
