#include "app/CItemOperations.h"

#include "store/CAdoConnection.h"
#include "store/CheckLog.h"
#include "store/ItemOptions.h"

namespace {

constexpr const char* kItemGoneText = "这个检查项目已经不在数据库中";
constexpr const char* kPresetsUnreadableText = "不能读取预制项目: ";
constexpr const char* kNotSavedText = "数据库没有接受这次修改";

} // namespace

CItemOperations::CItemOperations(CAdoConnection& connection, const std::string& presetConnectionString)
    : m_connection(connection), m_strPresetConnection(presetConnectionString)
{}

std::optional<StoredItem> CItemOperations::Load(int messagetypeid, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    auto item = LoadItem(m_connection, messagetypeid);
    if (!item) {
        error = m_connection.QuietError();
        return std::nullopt;
    }
    auto ranges = LoadExcludeRanges(m_connection, messagetypeid);
    if (!ranges) {
        error = m_connection.QuietError();
        return std::nullopt;
    }
    StoredItem stored{std::move(*item), std::move(*ranges)};
    stored.item.CountUnread(m_connection);
    return stored;
}

std::optional<ExcludeRanges> CItemOperations::LoadRanges(int messagetypeid, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    auto ranges = LoadExcludeRanges(m_connection, messagetypeid);
    if (!ranges) {
        error = m_connection.QuietError();
    }
    return ranges;
}

bool CItemOperations::Save(MessageTypeInfo& item, const std::optional<ExcludeRanges>& ranges, std::string& error)
{
    const int oldId = item.messagetypeid;
    const bool saved = Write(
        [&] {
            if (oldId != 0) {
                // Updating a row another program deleted would leave ranges of no item behind.
                const auto stored = LoadItem(m_connection, oldId);
                if (!stored) {
                    error = kItemGoneText;
                    return false;
                }
                if (item.Save(m_connection) == 0 || (stored->MessageTypeName != item.MessageTypeName &&
                                                     !RenameItemMessages(m_connection, oldId, item.MessageTypeName))) {
                    return false;
                }
            } else if (item.Save(m_connection) == 0 || item.messagetypeid == 0) {
                return false;
            }
            // The insert writes MustHaveID itself, the update does not.
            return (oldId == 0 || SaveMustHaveId(m_connection, oldId, item.MustHaveID)) &&
                   (!ranges || SaveExcludeRanges(m_connection, item.messagetypeid, *ranges));
        },
        error);
    if (!saved) {
        item.messagetypeid = oldId;
    }
    return saved;
}

bool CItemOperations::Delete(int messagetypeid, std::string& error)
{
    return Write(
        [&] {
            MessageTypeInfo item;
            item.messagetypeid = messagetypeid;
            std::string ignored; // the words of the first failure come from the connection
            return item.Delete(m_connection) != 0 && DeleteExcludeRanges(m_connection, messagetypeid) &&
                   DeleteItemOptions(m_connection, messagetypeid, ignored) &&
                   DeleteCheckLog(m_connection, messagetypeid, ignored);
        },
        error);
}

bool CItemOperations::SetState(int messagetypeid, int state, std::string& error)
{
    return Write([&] { return SaveItemState(m_connection, messagetypeid, state); }, error);
}

std::optional<std::vector<Preset>> CItemOperations::Presets(std::string& error) const
{
    auto presets = ReadPresets(m_strPresetConnection);
    if (!presets) {
        error = kPresetsUnreadableText + LocalDatabasePath(m_strPresetConnection);
    }
    return presets;
}

bool CItemOperations::Write(const std::function<bool()>& statements, std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    CAdoTransaction transaction(m_connection);
    auto fail = [&](const std::vector<std::string>& errors) {
        transaction.Rollback();
        if (error.empty()) {
            error = !errors.empty() ? errors.front() : m_connection.QuietError();
        }
        if (error.empty()) {
            error = kNotSavedText;
        }
        return false;
    };
    error.clear();
    if (!transaction.Begin()) {
        return fail(transaction.Errors());
    }
    if (!statements()) {
        return fail({});
    }
    if (!transaction.Commit()) {
        return fail(transaction.Errors());
    }
    return true;
}
