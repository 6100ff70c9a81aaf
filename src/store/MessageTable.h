#pragma once
// Read-state changes, deletion and the counts of stored message records, and what was stored
// after a given record. Errors: false, with the database's own words in error where one is taken.
#include <map>
#include <string>
#include <vector>

class CAdoConnection;
class MessageListInfo;
class MessageTypeInfo;

// Marks every record of the item (all items when null) read or unread.
bool SetAllRead(CAdoConnection& connection, const MessageTypeInfo* item, bool read);
// The same for the item with this key (0 = every record).
bool SetAllRead(CAdoConnection& connection, int itemId, bool read, std::string& error);
// Marks one record read (status 1) or unread (status 0).
bool SetMessageStatus(CAdoConnection& connection, int id, int status);

// The records' new status (1 read, 0 unread), or their deletion, in one transaction: all or none.
// A deletion is remembered: its findings stay deleted, and it can be undone (DeletedFindings.h).
bool SetMessagesStatus(CAdoConnection& connection, const std::vector<int>& ids, int status, std::string& error);
bool DeleteMessages(CAdoConnection& connection, const std::vector<int>& ids, std::string& error);

// The list record of one stored message; found is false when there is none.
bool LoadListRecord(CAdoConnection& connection, int id, MessageListInfo& record, bool& found, std::string& error);

// Unread records per item key, from the counts the triggers keep; false for a file made before
// those existed (the caller then counts item by item).
bool ReadUnreadCounts(CAdoConnection& connection, std::map<int, int>& unreadByItem);

// A number that changes when another connection (another program, or another thread's connection)
// has committed a write to the file since the last call; this connection's own writes leave it.
bool ReadDataVersion(CAdoConnection& connection, long long& version, std::string& error);

// The largest record key stored so far (0 for none).
bool ReadNewestMessageId(CAdoConnection& connection, long long& id, std::string& error);

// One record stored after a given key, as a run reports it.
struct StoredRecord
{
    int id = 0;
    int itemId = 0;
    std::string itemName;
    std::string info;
    std::string link;
};

// How many records one item stored after a given key.
struct StoredCount
{
    int itemId = 0;
    std::string itemName; // the item's name now, or as its records carry it when it is gone
    int count = 0;
};

// The records with a key above afterId, oldest first.
bool ReadStoredSince(CAdoConnection& connection, long long afterId, std::vector<StoredRecord>& records,
                     std::string& error);
// The same, counted per item, in the order of each item's first new record.
bool ReadStoredCountsSince(CAdoConnection& connection, long long afterId, std::vector<StoredCount>& counts,
                           std::string& error);
