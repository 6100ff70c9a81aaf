#pragma once
// Stores the findings of one check as userdata rows. The duplicate test and the insert are
// compiled once and run in write transactions (slices) of at most kBatchRows rows and about
// kSliceTime, ended early when the window has a write waiting: a long check never holds the write
// lock for long, and a process killed in the middle loses only the rows of the open slice, which
// the next check finds new and stores once. A slice ends only after a whole row, so what the
// caller reads after Begin and the row it then stores stay one transaction. A row is stored only while its item
// still exists, so a check that outlives the deletion of its item leaves nothing behind. Rows are
// queued and written kRowsPerStatement to a statement, all of them before their slice commits. The
// search index of the rows is left to the indexing steps that follow a check (SearchIndex.h).
//
// The first check of an item (nothing stored or remembered as deleted for it) answers its duplicate
// test from the dates of the rows it stored itself instead of asking the database per row: no other
// program stores findings of an item while it is being checked (the items' check lock).
#include "store/CAdoConnection.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class MessageTypeInfo;
class SourceRowInfo;
struct DbValue;

// The duplicate test of an item of this category: ?1 the item's key, ?2 the finding's identity (FTP:
// its SourceInfo, else its ID); one row with the date of the newest stored or deleted finding with it.
const char* KnownFindingSql(int messageCategory);
// The date the duplicate test read equals the finding's (trimmed, NULL as empty).
bool IsSameStoredDate(const DbValue& stored, const std::string& date);

class CFindingStore final
{
public:
    static constexpr int kBatchRows = 1000;
    static constexpr std::chrono::milliseconds kSliceTime{20};

    enum class Outcome
    {
        Stored,   // in the open slice; counted once the slice is committed
        Known,    // the duplicate test found it
        ItemGone, // the item was deleted meanwhile; nothing stored
        Failed,   // the local database refused; Busy() tells another program's write lock
    };

    // The item's new-finding counter rises by the rows of each committed slice.
    CFindingStore(CAdoConnection& connection, MessageTypeInfo& item);
    // Commits the open slice.
    ~CFindingStore();
    CFindingStore(const CFindingStore&) = delete;
    CFindingStore& operator=(const CFindingStore&) = delete;

    // Asked between the rounds of waiting for another program's write lock; false gives up.
    void SetKeepWaiting(std::function<bool()> keepWaiting) { m_keepWaiting = std::move(keepWaiting); }

    // Stored when the newest stored or deleted row with the row's identity (FTP: its name, else its
    // ID) has another date, or there is none.
    Outcome StoreIfNew(const SourceRowInfo& row);
    // Stores the row without a duplicate test (the caller compared inside the slice).
    Outcome Store(const SourceRowInfo& row);
    // The same for a content of many megabytes (a page copy): the blanks are added in place and
    // the content is bound as it is, never copied. Content keeps them afterwards.
    Outcome StoreLarge(SourceRowInfo& row);
    // Opens a slice now, so that what the caller reads next and what it stores are one transaction.
    bool Begin();
    // Writes the queued rows and commits the open slice; false when the commit failed (its rows are
    // not stored) or a queued row was refused (it and the rows queued after it are not stored).
    bool Flush();

    int Committed() const { return m_nCommitted; }
    bool Busy() const { return m_bBusy; }
    // The database's own words for the last failure.
    const std::string& LastError() const { return m_strLastError; }

    // Rows written by one statement: each statement that fires the search index's trigger (when the
    // rows cannot wait for the indexing steps) makes the index write its pending terms out.
    static constexpr int kRowsPerStatement = 256; // a power of two

private:
    // A row waiting for its statement, with the values the insert binds.
    struct QueuedRow
    {
        std::string fromDate, fromId, fromName, id, toId, toName, sourceType, link, info;
        std::string content;
        const std::string* largeContent = nullptr; // bound in place of content, never copied
    };

    Outcome Insert(const SourceRowInfo& row, std::string content, const std::string* largeContent = nullptr);
    // Writes the queued rows into the open slice; false when the database refused (they are not stored).
    bool WriteQueued();
    void DeferSearchIndexing();
    CAdoCommand* InsertCommand(int rows);
    const std::string& Identity(const SourceRowInfo& row) const;
    bool Prepare();
    // Runs the query with the item's key as ?1; nothing tells whether it gave no row.
    bool ItemQueryFindsNothing(const char* sql, bool& nothing);
    bool CheckItemExists();
    bool TestFirstCheck();
    void ForgetStoredDates();
    // Commits the slice when it is full, has run for kSliceTime, or the window waits to write.
    bool EndSliceIfDue();
    bool Failed(const std::vector<std::string>& errors);

    CAdoConnection& m_connection;
    MessageTypeInfo& m_item;
    std::function<bool()> m_keepWaiting;
    std::unique_ptr<CAdoTransaction> m_transaction;
    std::unique_ptr<CAdoCommand> m_known;
    std::unique_ptr<CAdoCommand> m_deferIndexing;
    std::map<int, std::unique_ptr<CAdoCommand>> m_inserts; // by rows a statement
    std::vector<QueuedRow> m_queued;
    // The date of the newest queued row of each identity: the duplicate test asks it first. In a
    // first check, also of every row written so far.
    std::unordered_map<std::string, std::string> m_queuedDates;
    bool m_bFirstCheckTested = false;
    bool m_bFirstCheck = false;
    std::chrono::steady_clock::time_point m_sliceStart;
    int m_nPending = 0;
    int m_nCommitted = 0;
    bool m_bBusy = false;
    bool m_bItemGone = false;
    std::string m_strLastError;
};
