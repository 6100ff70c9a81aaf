#include "app/ItemTransfer.h"

#include "app/CItemOperations.h"
#include "app/ItemRules.h"
#include "util/UiText.h"

#include <QFile>
#include <QSaveFile>
#include <QString>
#include <algorithm>

namespace {

constexpr const char* kCannotReadText = WENDAR_TR_NOOP("ItemTransfer", "不能读取文件 ");
constexpr const char* kCannotWriteText = WENDAR_TR_NOOP("ItemTransfer", "不能写入文件 ");
constexpr const char* kTooBigText = WENDAR_TR_NOOP("ItemTransfer", "文件太大: ");
constexpr const char* kItemGoneText = WENDAR_TR_NOOP("ItemTransfer", "没有这个检查项目: ");

std::string FileError(const char* what, const std::string& path, const QFileDevice& file)
{
    return UiText("ItemTransfer", what) + path + ": " + file.errorString().toStdString();
}

} // namespace

std::optional<std::string> ExportItemsText(CItemOperations& items, const std::vector<int>& ids, bool withPasswords,
                                           std::string& error)
{
    std::vector<StoredItem> chosen;
    if (ids.empty()) {
        auto all = items.LoadAll(error);
        if (!all) {
            return std::nullopt;
        }
        chosen = std::move(*all);
    }
    for (int id : ids) {
        error.clear();
        auto stored = items.Load(id, error);
        if (!stored) {
            if (error.empty()) {
                error = UiText("ItemTransfer", kItemGoneText) + std::to_string(id);
            }
            return std::nullopt;
        }
        chosen.push_back(std::move(*stored));
    }
    return ItemsFileText(chosen, withPasswords);
}

bool ExportItems(CItemOperations& items, const std::vector<int>& ids, bool withPasswords, const std::string& path,
                 std::string& error)
{
    const auto text = ExportItemsText(items, ids, withPasswords, error);
    if (!text) {
        return false;
    }
    // Written beside the target and renamed over it: a reader never sees half a file.
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly)) {
        error = FileError(kCannotWriteText, path, file);
        return false;
    }
    if (withPasswords && !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        error = FileError(kCannotWriteText, path, file);
        return false;
    }
    if (file.write(text->data(), static_cast<qint64>(text->size())) != static_cast<qint64>(text->size()) ||
        !file.commit()) {
        error = FileError(kCannotWriteText, path, file);
        return false;
    }
    return true;
}

std::optional<ImportReport> ImportItems(CItemOperations& items, const std::string& path, std::string& error)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) {
        error = FileError(kCannotReadText, path, file);
        return std::nullopt;
    }
    // One byte more than allowed tells a file that is too big without reading all of it.
    const QByteArray text = file.read(static_cast<qint64>(kMaxItemsFileBytes) + 1);
    if (file.error() != QFileDevice::NoError) {
        error = FileError(kCannotReadText, path, file);
        return std::nullopt;
    }
    if (static_cast<size_t>(text.size()) > kMaxItemsFileBytes) {
        error = UiText("ItemTransfer", kTooBigText) + path;
        return std::nullopt;
    }
    return ImportItemsText(items, std::string_view(text.constData(), static_cast<size_t>(text.size())), error);
}

std::optional<ImportReport> ImportItemsText(CItemOperations& items, std::string_view text, std::string& error)
{
    auto content = ReadItemsText(text, error);
    if (!content) {
        return std::nullopt;
    }
    ImportReport report;
    report.skipped = std::move(content->skipped);
    std::vector<StoredItem> valid;
    for (size_t i = 0; i < content->items.size(); ++i) {
        StoredItem& stored = content->items[i];
        if (auto refusal = CheckNewItem(stored.item, stored.excludes)) {
            report.skipped.push_back({content->numbers[i], stored.item.MessageTypeName, *refusal});
            continue;
        }
        stored.item.OwnerUserID = kUserId;
        valid.push_back(std::move(stored));
    }
    std::sort(report.skipped.begin(), report.skipped.end(),
              [](const SkippedItem& a, const SkippedItem& b) { return a.number < b.number; });
    if (!valid.empty() && !items.AddAll(valid, error)) {
        return std::nullopt;
    }
    for (const StoredItem& stored : valid) {
        report.added.push_back(stored.item.MessageTypeName);
    }
    return report;
}
