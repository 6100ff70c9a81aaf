#include "app/CItemOperations.h"

#include "store/CAdoConnection.h"
#include "store/CheckLog.h"
#include "store/ItemOptions.h"
#include "util/UiText.h"

#include <set>

namespace {

constexpr const char* kItemGoneText = WENDAR_TR_NOOP("CItemOperations", "这个检查项目已经不在数据库中");
constexpr const char* kPresetsUnreadableText = WENDAR_TR_NOOP("CItemOperations", "不能读取预制项目: ");
constexpr const char* kNotSavedText = WENDAR_TR_NOOP("CItemOperations", "数据库没有接受这次修改");

// name, or name (2), name (3) ... : the first that is not taken.
std::string UniqueName(const std::string& name, const std::set<std::string>& taken)
{
    std::string unique = name;
    for (int n = 2; taken.count(unique) != 0; ++n) {
        unique = name + " (" + std::to_string(n) + ")";
    }
    return unique;
}

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
    return Save(item, ranges, std::nullopt, error);
}

bool CItemOperations::Save(MessageTypeInfo& item, const std::optional<ExcludeRanges>& ranges,
                           const std::optional<ItemOptions>& options, std::string& error)
{
    const int oldId = item.messagetypeid;
    const bool saved = Write(
        [&] {
            if (oldId != 0) {
                // Updating a row another program deleted would leave ranges of no item behind.
                const auto stored = LoadItem(m_connection, oldId);
                if (!stored) {
                    error = UiText("CItemOperations", kItemGoneText);
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
            if (!(oldId == 0 || SaveMustHaveId(m_connection, oldId, item.MustHaveID)) ||
                !(!ranges || SaveExcludeRanges(m_connection, item.messagetypeid, *ranges))) {
                return false;
            }
            if (!options) {
                return true;
            }
            ItemOptions keyed = *options;
            keyed.messagetypeid = item.messagetypeid;
            return SaveItemOptions(m_connection, keyed, error);
        },
        error);
    if (!saved) {
        item.messagetypeid = oldId;
    }
    return saved;
}

std::optional<std::vector<StoredItem>> CItemOperations::LoadAll(std::string& error)
{
    CAdoConnection::QuietOnThisThread quiet(m_connection);
    auto items = LoadAllItems(m_connection);
    if (!items) {
        error = m_connection.QuietError();
        return std::nullopt;
    }
    std::vector<StoredItem> stored;
    stored.reserve(items->size());
    for (MessageTypeInfo& item : *items) {
        auto ranges = LoadExcludeRanges(m_connection, item.messagetypeid);
        if (!ranges) {
            error = m_connection.QuietError();
            return std::nullopt;
        }
        stored.push_back({std::move(item), std::move(*ranges)});
    }
    return stored;
}

bool CItemOperations::AddAll(std::vector<StoredItem>& items, std::string& error)
{
    const std::vector<StoredItem> before = items;
    const bool added = Write(
        [&] {
            const auto stored = LoadAllItems(m_connection);
            if (!stored) {
                return false;
            }
            std::set<std::string> taken;
            for (const MessageTypeInfo& item : *stored) {
                taken.insert(item.MessageTypeName);
            }
            for (StoredItem& entry : items) {
                MessageTypeInfo& item = entry.item;
                item.messagetypeid = 0;
                item.MessageTypeName = UniqueName(item.MessageTypeName, taken);
                taken.insert(item.MessageTypeName);
                if (item.Save(m_connection) == 0 || item.messagetypeid == 0 ||
                    !SaveExcludeRanges(m_connection, item.messagetypeid, entry.excludes)) {
                    return false;
                }
            }
            return true;
        },
        error);
    if (!added) {
        items = before;
    }
    return added;
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
        error = UiText("CItemOperations", kPresetsUnreadableText) + LocalDatabasePath(m_strPresetConnection);
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
            error = UiText("CItemOperations", kNotSavedText);
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
