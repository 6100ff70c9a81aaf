#include "store/FindingStore.h"

#include "store/MessageTypeInfo.h"
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
    "sourcefromname,sourceid,sourcetoid,sourcetoname,sourcetype,sourcelink,sourcecontent,sourceinfo) "
    "values(?1,?2,?3,?4,?5,?6,?7,?8,?9,?10,?11,?12,?13,?14,?15)";
// Asked once per slice: while the slice holds the write lock, no program can delete the item.
constexpr const char* kItemExistsSql = "select 1 from usermessagetype where messagetypeid=?1";

// Stored dates are compared as a recordset reads them: trimmed, NULL as empty.
std::string_view StoredText(const DbValue& value)
{
    if (value.kind == DbValue::Kind::Null) {
        return {};
    }
    const std::string_view text = value.text;
    const char* space = " \t\r\n\v\f";
    const size_t a = text.find_first_not_of(space);
    return a == std::string_view::npos ? std::string_view() : text.substr(a, text.find_last_not_of(space) - a + 1);
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
    m_insert.reset();
}

bool CFindingStore::Failed(const std::vector<std::string>& errors)
{
    m_strLastError = errors.empty() ? std::string("?") : errors.front();
    return false;
}

bool CFindingStore::Prepare()
{
    if (!m_insert) {
        m_known = std::make_unique<CAdoCommand>(m_connection, KnownFindingSql(m_item.MessageCategory));
        m_insert = std::make_unique<CAdoCommand>(m_connection, kInsertSql);
    }
    if (!m_known->IsValid()) {
        return Failed(m_known->Errors());
    }
    return m_insert->IsValid() || Failed(m_insert->Errors());
}

bool CFindingStore::CheckItemExists()
{
    CAdoCommand exists(m_connection, kItemExistsSql);
    DbResult result;
    if (!exists.Bind(1, static_cast<long long>(m_item.messagetypeid)).Run(&result)) {
        return Failed(exists.Errors());
    }
    m_bItemGone = result.rows.empty();
    return true;
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

bool CFindingStore::Flush()
{
    if (!m_transaction || !m_transaction->IsActive()) {
        return true;
    }
    const bool committed = m_transaction->Commit();
    if (committed) {
        m_nCommitted += m_nPending;
        m_item.m_nNewCount += m_nPending;
    } else {
        Failed(m_transaction->Errors());
    }
    m_nPending = 0;
    return committed;
}

CFindingStore::Outcome CFindingStore::StoreIfNew(const SourceRowInfo& row)
{
    if (!Begin()) {
        return Outcome::Failed;
    }
    if (m_bItemGone) {
        return Outcome::ItemGone;
    }
    DbResult known;
    m_known->Bind(1, static_cast<long long>(m_item.messagetypeid))
        .Bind(2, m_item.MessageCategory == kCategoryFtp ? row.Info : row.ID);
    if (!m_known->Run(&known)) {
        Failed(m_known->Errors());
        return Outcome::Failed;
    }
    if (!known.rows.empty() && IsSameStoredDate(known.rows.front().front(), row.FromDate)) {
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
    return Insert(row, row.Content);
}

CFindingStore::Outcome CFindingStore::Insert(const SourceRowInfo& row, std::string_view content)
{
    if (!Begin()) {
        return Outcome::Failed;
    }
    if (m_bItemGone) {
        return Outcome::ItemGone;
    }
    m_insert->Bind(1, static_cast<long long>(kUserId))
        .Bind(2, kUserName)
        .Bind(3, static_cast<long long>(m_item.MessageCategory))
        .Bind(4, m_item.MessageTypeName)
        .Bind(5, static_cast<long long>(m_item.messagetypeid))
        .Bind(6, row.FromDate)
        .Bind(7, row.FromID)
        .Bind(8, row.FromName)
        .Bind(9, row.ID)
        .Bind(10, row.ToID)
        .Bind(11, row.ToName)
        .Bind(12, row.SourceType)
        .Bind(13, row.Link)
        .Bind(14, content)
        .Bind(15, row.Info);
    if (!m_insert->Run()) {
        Failed(m_insert->Errors());
        return Outcome::Failed;
    }
    ++m_nPending;
    return EndSliceIfDue() ? Outcome::Stored : Outcome::Failed;
}
