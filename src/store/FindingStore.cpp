#include "store/FindingStore.h"

#include "store/MessageTypeInfo.h"
#include "store/SearchIndex.h"
#include "store/SourceRowInfo.h"
#include "store/UserIdentity.h"

namespace {

// The newest of the stored and the remembered deleted findings with the identity decides: a deleted
// finding stays deleted, and one that changed after its deletion is new.
constexpr const char* kKnownByIdSql =
    "select SourceDate from (select ID,SourceDate from userdata where MessageTypeID=?1 and SourceID=?2 union all "
    "select ID,SourceDate from userdata_deleted where MessageTypeID=?1 and SourceKey=?2) order by ID desc limit 1";
constexpr const char* kKnownByInfoSql =
    "select SourceDate from (select ID,SourceDate from userdata where MessageTypeID=?1 and SourceInfo=?2 union all "
    "select ID,SourceDate from userdata_deleted where MessageTypeID=?1 and SourceKey=?2) order by ID desc limit 1";
constexpr const char* kInsertSql =
    "insert into userdata (userid,username,MessageCategory,MessageTypeName,MessageTypeID,sourcedate,sourcefromid,"
    "sourcefromname,sourceid,sourcetoid,sourcetoname,sourcetype,sourcelink,sourcecontent,sourceinfo) values";
constexpr int kInsertColumns = 15;
// Asked once per slice: while the slice holds the write lock, no program can delete the item.
constexpr const char* kItemExistsSql = "select 1 from usermessagetype where messagetypeid=?1";
// A row when the item has any finding stored or remembered as deleted (asked once, by the first test).
constexpr const char* kItemHasFindingsSql = "select 1 where exists(select 1 from userdata where MessageTypeID=?1) or "
                                            "exists(select 1 from userdata_deleted where MessageTypeID=?1)";
// An item's first check keeps the dates of what it stored for its duplicate test up to this many
// identities (some 150 bytes each), then asks the database like any other check.
constexpr size_t kFirstCheckIdentities = 250000;

// Stored dates are compared as a recordset reads them: trimmed, NULL as empty.
std::string_view Trimmed(std::string_view text)
{
    const char* space = " \t\r\n\v\f";
    const size_t a = text.find_first_not_of(space);
    return a == std::string_view::npos ? std::string_view() : text.substr(a, text.find_last_not_of(space) - a + 1);
}

std::string_view StoredText(const DbValue& value)
{
    return value.kind == DbValue::Kind::Null ? std::string_view() : Trimmed(value.text);
}

} // namespace

bool IsSameStoredDate(const DbValue& stored, const std::string& date)
{
    return StoredText(stored) == date;
}

const char* KnownFindingSql(int messageCategory)
{
    return messageCategory == kCategoryFtp ? kKnownByInfoSql : kKnownByIdSql;
}

CFindingStore::CFindingStore(CAdoConnection& connection, MessageTypeInfo& item) : m_connection(connection), m_item(item)
{}

CFindingStore::~CFindingStore()
{
    Flush();
    // The statements end before the transaction's hold on the connection does.
    m_known.reset();
    m_deferIndexing.reset();
    m_inserts.clear();
}

bool CFindingStore::Failed(const std::vector<std::string>& errors)
{
    m_strLastError = errors.empty() ? std::string("?") : errors.front();
    return false;
}

bool CFindingStore::Prepare()
{
    if (!m_known) {
        m_known = std::make_unique<CAdoCommand>(m_connection, KnownFindingSql(m_item.MessageCategory));
    }
    return m_known->IsValid() || Failed(m_known->Errors());
}

CAdoCommand* CFindingStore::InsertCommand(int rows)
{
    auto& command = m_inserts[rows];
    if (!command) {
        // Plain "?" count from 1 in order; numbered ones would be looked up by name one by one.
        std::string sql = kInsertSql;
        std::string values = "(?";
        for (int column = 2; column <= kInsertColumns; ++column) {
            values += ",?";
        }
        values += ')';
        for (int row = 0; row < rows; ++row) {
            sql += (row == 0 ? "" : ",") + values;
        }
        command = std::make_unique<CAdoCommand>(m_connection, sql);
    }
    if (!command->IsValid()) {
        Failed(command->Errors());
        return nullptr;
    }
    return command.get();
}

const std::string& CFindingStore::Identity(const SourceRowInfo& row) const
{
    return m_item.MessageCategory == kCategoryFtp ? row.Info : row.ID;
}

bool CFindingStore::ItemQueryFindsNothing(const char* sql, bool& nothing)
{
    CAdoCommand query(m_connection, sql);
    DbResult result;
    if (!query.Bind(1, static_cast<long long>(m_item.messagetypeid)).Run(&result)) {
        return Failed(query.Errors());
    }
    nothing = result.rows.empty();
    return true;
}

bool CFindingStore::CheckItemExists()
{
    return ItemQueryFindsNothing(kItemExistsSql, m_bItemGone);
}

bool CFindingStore::TestFirstCheck()
{
    m_bFirstCheckTested = ItemQueryFindsNothing(kItemHasFindingsSql, m_bFirstCheck);
    return m_bFirstCheckTested;
}

void CFindingStore::ForgetStoredDates()
{
    m_queuedDates.clear();
    m_bFirstCheck = false;
}

bool CFindingStore::Begin()
{
    if (m_transaction && m_transaction->IsActive()) {
        return true;
    }
    m_transaction = std::make_unique<CAdoTransaction>(m_connection);
    if (!m_transaction->Begin(m_keepWaiting)) {
        m_bBusy = m_transaction->WasBusy();
        return Failed(m_transaction->Errors());
    }
    m_bBusy = false;
    m_sliceStart = std::chrono::steady_clock::now();
    return Prepare() && CheckItemExists();
}

bool CFindingStore::EndSliceIfDue()
{
    if (m_nPending < kBatchRows && std::chrono::steady_clock::now() - m_sliceStart < kSliceTime &&
        !CAdoConnection::IsPriorityWriteWaiting()) {
        return true;
    }
    return Flush();
}

void CFindingStore::DeferSearchIndexing()
{
    if (!m_deferIndexing) {
        m_deferIndexing = std::make_unique<CAdoCommand>(m_connection, DeferSearchIndexingSql());
    }
    // Where the rows cannot wait (or the file has no such index), the triggers index them.
    m_deferIndexing->Bind(1, static_cast<long long>(m_queued.size())).Run();
}

bool CFindingStore::WriteQueued()
{
    if (!m_queued.empty()) {
        DeferSearchIndexing();
    }
    size_t written = 0;
    bool oneByOne = false;
    while (written < m_queued.size()) {
        int rows = oneByOne ? 1 : kRowsPerStatement;
        while (static_cast<size_t>(rows) > m_queued.size() - written) {
            rows /= 2;
        }
        CAdoCommand* insert = InsertCommand(rows);
        for (int row = 0; insert && row < rows; ++row) {
            const QueuedRow& queued = m_queued[written + row];
            const int at = row * kInsertColumns;
            insert->Bind(at + 1, static_cast<long long>(kUserId))
                .Bind(at + 2, kUserName)
                .Bind(at + 3, static_cast<long long>(m_item.MessageCategory))
                .Bind(at + 4, m_item.MessageTypeName)
                .Bind(at + 5, static_cast<long long>(m_item.messagetypeid))
                .Bind(at + 6, queued.fromDate)
                .Bind(at + 7, queued.fromId)
                .Bind(at + 8, queued.fromName)
                .Bind(at + 9, queued.id)
                .Bind(at + 10, queued.toId)
                .Bind(at + 11, queued.toName)
                .Bind(at + 12, queued.sourceType)
                .Bind(at + 13, queued.link)
                .Bind(at + 14, queued.largeContent ? *queued.largeContent : queued.content)
                .Bind(at + 15, queued.info);
        }
        const bool ran = insert && insert->Run();
        if (!ran && insert && rows > 1 && m_connection.InTransaction()) {
            // A refused statement is undone whole: its rows go again one by one, so that the
            // rows before the refused one are stored as they would have been alone.
            oneByOne = true;
            continue;
        }
        if (!ran) {
            if (insert) {
                Failed(insert->Errors());
            }
            // The failed statement is undone whole: its rows and those after it are not stored.
            m_nPending -= static_cast<int>(m_queued.size() - written);
            break;
        }
        written += rows;
    }
    const bool all = written == m_queued.size();
    m_queued.clear();
    // A first check's written rows are the item's only ones: their dates answer its duplicate test.
    if (!all || !m_bFirstCheck || m_queuedDates.size() > kFirstCheckIdentities) {
        ForgetStoredDates();
    }
    return all;
}

bool CFindingStore::Flush()
{
    if (!m_transaction || !m_transaction->IsActive()) {
        return true;
    }
    const bool written = WriteQueued();
    const bool committed = m_transaction->Commit();
    if (committed) {
        m_nCommitted += m_nPending;
        m_item.m_nNewCount += m_nPending;
    } else {
        Failed(m_transaction->Errors());
        ForgetStoredDates(); // the slice's rows are gone
    }
    m_nPending = 0;
    return written && committed;
}

CFindingStore::Outcome CFindingStore::StoreIfNew(const SourceRowInfo& row)
{
    if (!Begin()) {
        return Outcome::Failed;
    }
    if (m_bItemGone) {
        return Outcome::ItemGone;
    }
    if (!m_bFirstCheckTested && !TestFirstCheck()) {
        return Outcome::Failed;
    }
    // A queued row is newer than any the database holds.
    bool same = false;
    if (const auto queued = m_queuedDates.find(Identity(row)); queued != m_queuedDates.end()) {
        same = Trimmed(queued->second) == row.FromDate;
    } else if (!m_bFirstCheck) {
        DbResult known;
        m_known->Bind(1, static_cast<long long>(m_item.messagetypeid)).Bind(2, Identity(row));
        if (!m_known->Run(&known)) {
            Failed(m_known->Errors());
            return Outcome::Failed;
        }
        same = !known.rows.empty() && IsSameStoredDate(known.rows.front().front(), row.FromDate);
    }
    if (same) {
        return EndSliceIfDue() ? Outcome::Known : Outcome::Failed;
    }
    return Store(row);
}

CFindingStore::Outcome CFindingStore::Store(const SourceRowInfo& row)
{
    // The content is stored between two blanks, as it always was.
    return Insert(row, " " + row.Content + " ");
}

CFindingStore::Outcome CFindingStore::StoreLarge(SourceRowInfo& row)
{
    // NUL bytes would cut the text short, as they do in every other stored text.
    std::erase(row.Content, '\0');
    row.Content.reserve(row.Content.size() + 2);
    row.Content.insert(row.Content.begin(), ' ');
    row.Content.push_back(' ');
    return Insert(row, std::string(), &row.Content);
}

CFindingStore::Outcome CFindingStore::Insert(const SourceRowInfo& row, std::string content,
                                             const std::string* largeContent)
{
    if (!Begin()) {
        return Outcome::Failed;
    }
    if (m_bItemGone) {
        return Outcome::ItemGone;
    }
    m_queued.push_back(QueuedRow{row.FromDate, row.FromID, row.FromName, row.ID, row.ToID, row.ToName, row.SourceType,
                                 row.Link, row.Info, std::move(content), largeContent});
    m_queuedDates[Identity(row)] = row.FromDate;
    ++m_nPending;
    // A large content is the caller's until this returns.
    if ((largeContent || m_queued.size() >= kRowsPerStatement) && !WriteQueued()) {
        return Outcome::Failed;
    }
    return EndSliceIfDue() ? Outcome::Stored : Outcome::Failed;
}
