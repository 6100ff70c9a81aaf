#pragma once
// What both front ends do with stored messages and with what a run stored: a page of the list,
// one message, read state, deletion, the unread counts, the newest record and the records stored
// after it. Built over the connection of the thread that calls it.
//
// Errors: an operation returns false or an empty optional and gives the database's own words in
// error; it never shows a box (the front end says what the program says).
#include "app/CBackgroundWrites.h"
#include "app/ChangeView.h"
#include "store/MessageInfo.h"
#include "store/MessageList.h"
#include "store/MessageTable.h"
#include "store/SearchIndex.h"
#include "store/SortKeys.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class CAdoConnection;

// Which page of which records, in which order.
struct MessageQuery
{
    int readFilter = kFilterAll;
    int itemId = 0; // 0 = every item
    long page = 1;  // beyond the last: the last; below 1: the first
    long pageSize = 100;
    ListOrder order; // the whole list's order; paging follows it
    // Only records whose subject, sender, receiver or content hold every word (white space
    // separates words); empty = all.
    std::string search;
};

struct UnreadCounts
{
    std::map<int, int> byItem; // item key -> unread records; items without any are missing
    int total = 0;
};

// What marking records did.
struct ReadStateChange
{
    std::vector<MessageListInfo*> changed; // their status is the new one
    std::vector<int> refused;              // keys of records that may not change here
};

class CMessageOperations final
{
public:
    explicit CMessageOperations(CAdoConnection& connection);
    CMessageOperations(const CMessageOperations&) = delete;
    CMessageOperations& operator=(const CMessageOperations&) = delete;

    // The window's writes never wait for another program's lock: a write that meets one goes on in
    // writes (the operation then returns true at once) and done tells its end, on that thread.
    void SendLockedWritesTo(CBackgroundWrites* writes, CBackgroundWrites::Done done);

    // Sorted by a text column, the page first makes the sort keys of up to kSortKeysAtOnce records
    // that wait for them (new records); with more waiting it sorts without keys.
    static constexpr long long kSortKeysAtOnce = 20000;
    std::optional<MessagePage> Page(const MessageQuery& query, std::string& error);

    // How far the search index is with the records waiting for it: those an older file held before
    // it had one, and those the last checks stored.
    std::optional<SearchIndexProgress> SearchIndexState(std::string& error);
    // Indexes the next of those records, about stepKeys keys (the window takes short steps, a web
    // record may hold megabytes).
    std::optional<SearchIndexProgress> IndexForSearch(long long stepKeys, std::string& error);
    // All of them, step by step (a program that waits for the whole index takes long steps);
    // beforeStep (may be empty) hears how far it is. False when a step failed or met another
    // program's lock: the rest waits for the next time.
    static constexpr long long kLongIndexStepKeys = 5000;
    bool CompleteSearchIndex(long long stepKeys, const std::function<void(const SearchIndexProgress&)>& beforeStep,
                             std::string& error);
    // The keys that sort the list by a text column: those of the next stepRows records that wait
    // for them (all records of an older file, or all after the text order changed).
    std::optional<SortKeysState> MakeSortKeys(long long stepRows, std::string& error);
    // The full record joined with its item; empty when there is no such record.
    std::optional<MessageInfo> Message(int id, std::string& error);
    // What the record says changed (see ChangeView.h); empty when there is no such record.
    std::optional<ChangeView> Changes(int id, std::string& error);
    // The list record; found false (and true returned) when there is none.
    bool ListRecord(int id, MessageListInfo& record, bool& found, std::string& error);

    // Mode 1 read, 0 unread, -1 toggle. Records whose bCanChangeState is 0 keep their state and are
    // named in refused; the others change in one transaction, all or none.
    std::optional<ReadStateChange> SetReadState(const std::vector<MessageListInfo*>& records, int mode,
                                                std::string& error);
    // Every record of the item (0 = of every item).
    bool SetAllRead(int itemId, bool read, std::string& error);
    // The records with these keys, in one transaction. Their findings stay deleted (a check does not
    // store them again) and they become the last deletion, which Undo brings back.
    bool Delete(const std::vector<int>& ids, std::string& error);
    // Puts the records of the last deletion back with their keys, read state and content (and lets
    // a check find them again); restored holds their keys, none when there was nothing to undo.
    // The last deletion is kept in message.dat: it can be undone after a restart and by either
    // front end.
    bool Undo(std::vector<int>& restored, std::string& error);
    // How many records Undo would bring back.
    std::optional<int> UndoableCount(std::string& error);

    std::optional<UnreadCounts> CountUnread(std::string& error);
    // Changes when another program or another connection wrote to message.dat since the last call
    // (the window's tick reads it once a second to show such writes).
    std::optional<long long> DataVersion(std::string& error);
    std::optional<long long> NewestMessageId(std::string& error);
    // What was stored after afterId: record by record (the CLI's report), or per item in the order of
    // each item's first new record (the desktop notification).
    std::optional<std::vector<StoredRecord>> StoredSince(long long afterId, std::string& error);
    std::optional<std::vector<StoredCount>> StoredCountsSince(long long afterId, std::string& error);

private:
    // Every write goes through here.
    bool Write(CBackgroundWrites::Write write, std::string& error);

    CAdoConnection& m_connection;
    CBackgroundWrites* m_pLockedWrites = nullptr;
    CBackgroundWrites::Done m_lockedWriteDone;
};

// The status bar's summary: "当前类别:" name ["(禁止)"] " -(" ["未读:" n] ["," " 未读消息合计:" total] ")"
// for an item, "当前类别: 所有 (" [" 未读消息合计:" total] ")" without one.
std::string StatusSummaryText(const MessageTypeInfo* item, int itemUnread, int totalUnread);
