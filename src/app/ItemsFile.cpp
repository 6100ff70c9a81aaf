#include "app/ItemsFile.h"

#include "app/UrlwatchJobs.h"
#include "util/Masking.h"
#include "util/UiText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <limits>

namespace {

constexpr const char* kTooBigText = WENDAR_TR_NOOP("ItemsFile", "文件太大, 最多 %1 字节");
constexpr const char* kNotJsonText = WENDAR_TR_NOOP("ItemsFile", "不是有效的 JSON: %1 (第 %2 个字节)");
constexpr const char* kNotItemsFileText =
    WENDAR_TR_NOOP("ItemsFile", "不是 Wendar 的检查项目文件 (缺少 \"format\": \"wendar-items\")");
constexpr const char* kVersionText = WENDAR_TR_NOOP("ItemsFile", "检查项目文件的版本 %1 不能读取, 本程序读取版本 1");
constexpr const char* kTooManyItemsText = WENDAR_TR_NOOP("ItemsFile", "检查项目太多, 最多 %1 个");
constexpr const char* kBadMemberText = WENDAR_TR_NOOP("ItemsFile", "%1 的值不对");
constexpr const char* kTooManyRangesText = WENDAR_TR_NOOP("ItemsFile", "排除范围太多, 最多 %1 个");
constexpr const char* kNotUrlJobText = WENDAR_TR_NOOP("ItemsFile", "不是网页任务 (%1)");
constexpr const char* kNoUrlText = WENDAR_TR_NOOP("ItemsFile", "没有 url");

constexpr const char* kExcludes = "excludes";
constexpr const char* kRangeFrom = "from";
constexpr const char* kRangeTo = "to";
constexpr const char* kUrlwatchName = "name";
constexpr const char* kUrlwatchUrl = "url";

std::string Format(const char* pattern, const std::string& a, const std::string& b = {})
{
    std::string text = UiText("ItemsFile", pattern);
    if (const size_t at = text.find("%1"); at != std::string::npos) {
        text.replace(at, 2, a);
    }
    if (const size_t at = text.find("%2"); at != std::string::npos) {
        text.replace(at, 2, b);
    }
    return text;
}

// The members of an item: the text fields and the whole-number fields, by stored name.
struct TextMember
{
    const char* name;
    std::string MessageTypeInfo::*field;
};
struct NumberMember
{
    const char* name;
    int MessageTypeInfo::*field;
};
constexpr TextMember kTextMembers[] = {
    {"MessageTypeName", &MessageTypeInfo::MessageTypeName},
    {"connAddress", &MessageTypeInfo::connAddress},
    {"UserName", &MessageTypeInfo::UserName},
    {"Password", &MessageTypeInfo::Password},
    {"ViewName", &MessageTypeInfo::ViewName},
    {"MessageTypeUser", &MessageTypeInfo::MessageTypeUser},
    {"notifysound", &MessageTypeInfo::notifysound},
    {"IncludeFrom", &MessageTypeInfo::IncludeFrom},
    {"IncludeTo", &MessageTypeInfo::IncludeTo},
    {"About", &MessageTypeInfo::About},
};
constexpr NumberMember kNumberMembers[] = {
    {"MessageCategory", &MessageTypeInfo::MessageCategory}, {"state", &MessageTypeInfo::state},
    {"CheckInterval", &MessageTypeInfo::CheckInterval},     {"CheckNumber", &MessageTypeInfo::CheckNumber},
    {"DisplayType", &MessageTypeInfo::DisplayType},         {"bNotify", &MessageTypeInfo::bNotify},
    {"MustHaveID", &MessageTypeInfo::MustHaveID},
};
constexpr const char* kPasswordMember = "Password";

QString Key(const char* name)
{
    return QString::fromLatin1(name);
}

std::optional<std::string> Text(const QJsonValue& value)
{
    if (!value.isString()) {
        return std::nullopt;
    }
    std::string text = value.toString().toStdString();
    if (text.size() > kMaxFieldBytes) {
        return std::nullopt;
    }
    return text;
}

std::optional<int> Number(const QJsonValue& value)
{
    if (!value.isDouble()) {
        return std::nullopt;
    }
    const double number = value.toDouble();
    if (std::floor(number) != number || number < std::numeric_limits<int>::min() ||
        number > std::numeric_limits<int>::max()) {
        return std::nullopt;
    }
    return static_cast<int>(number);
}

// One item of the file; the reason in why when it cannot be taken.
std::optional<StoredItem> ReadItem(const QJsonValue& value, std::string& name, std::string& why)
{
    if (!value.isObject()) {
        why = Format(kBadMemberText, "items");
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    StoredItem stored;
    MessageTypeInfo& item = stored.item;
    name = object.value(Key("MessageTypeName")).toString().toStdString().substr(0, 200);
    for (const TextMember& member : kTextMembers) {
        const QJsonValue v = object.value(Key(member.name));
        if (v.isUndefined()) {
            continue;
        }
        auto text = Text(v);
        if (!text) {
            why = Format(kBadMemberText, member.name);
            return std::nullopt;
        }
        item.*member.field = std::move(*text);
    }
    for (const NumberMember& member : kNumberMembers) {
        const QJsonValue v = object.value(Key(member.name));
        if (v.isUndefined()) {
            continue;
        }
        auto number = Number(v);
        if (!number) {
            why = Format(kBadMemberText, member.name);
            return std::nullopt;
        }
        item.*member.field = *number;
    }
    const QJsonValue excludes = object.value(Key(kExcludes));
    if (excludes.isUndefined()) {
        return stored;
    }
    if (!excludes.isArray()) {
        why = Format(kBadMemberText, kExcludes);
        return std::nullopt;
    }
    const QJsonArray ranges = excludes.toArray();
    if (static_cast<size_t>(ranges.size()) > kMaxItemRanges) {
        why = Format(kTooManyRangesText, std::to_string(kMaxItemRanges));
        return std::nullopt;
    }
    for (const QJsonValue& range : ranges) {
        auto from = Text(range.toObject().value(Key(kRangeFrom)));
        auto to = Text(range.toObject().value(Key(kRangeTo)));
        if (!from || !to) {
            why = Format(kBadMemberText, kExcludes);
            return std::nullopt;
        }
        stored.excludes.push_back({0, std::move(*from), std::move(*to)});
    }
    return stored;
}

std::optional<ItemsFileContent> ReadJson(std::string_view text, std::string& error)
{
    QJsonParseError parseError;
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray(text.data(), static_cast<qsizetype>(text.size())), &parseError);
    if (document.isNull()) {
        error = Format(kNotJsonText, parseError.errorString().toStdString(), std::to_string(parseError.offset));
        return std::nullopt;
    }
    const QJsonObject root = document.object();
    if (root.value(Key("format")).toString() != QLatin1String(kItemsFileFormat)) {
        error = UiText("ItemsFile", kNotItemsFileText);
        return std::nullopt;
    }
    const QJsonValue version = root.value(Key("version"));
    if (Number(version).value_or(0) != kItemsFileVersion) {
        const auto given = Number(version);
        error = Format(kVersionText, given ? std::to_string(*given) : "?");
        return std::nullopt;
    }
    const QJsonArray items = root.value(Key("items")).toArray();
    if (static_cast<size_t>(items.size()) > kMaxFileItems) {
        error = Format(kTooManyItemsText, std::to_string(kMaxFileItems));
        return std::nullopt;
    }
    ItemsFileContent content;
    int number = 0;
    for (const QJsonValue& value : items) {
        ++number;
        std::string name;
        std::string why;
        if (auto item = ReadItem(value, name, why)) {
            content.items.push_back(std::move(*item));
            content.numbers.push_back(number);
        } else {
            content.skipped.push_back({number, name, why});
        }
    }
    return content;
}

std::optional<ItemsFileContent> ReadUrlwatch(std::string_view text, std::string& error)
{
    auto jobs = ReadUrlwatchJobs(text, kMaxFileItems, kMaxFieldBytes, error);
    if (!jobs) {
        return std::nullopt;
    }
    ItemsFileContent content;
    int number = 0;
    for (UrlwatchJob& job : *jobs) {
        ++number;
        auto member = [&job](const char* name) {
            const auto it = job.texts.find(name);
            return it == job.texts.end() ? std::optional<std::string>() : it->second;
        };
        const auto url = member(kUrlwatchUrl);
        std::string name = member(kUrlwatchName).value_or(url.value_or(""));
        // urlwatch's own kinds: "url" fetches a page; "browser" (or navigate) and "shell" (command) do more.
        const std::string kind = member("kind").value_or(member("command")    ? "shell"
                                                         : member("navigate") ? "browser"
                                                                              : "url");
        std::string why;
        if (!job.problem.empty()) {
            why = job.problem;
        } else if (kind != kUrlwatchUrl) {
            why = Format(kNotUrlJobText, kind.substr(0, 40));
        } else if (!url) {
            why = UiText("ItemsFile", kNoUrlText);
        }
        if (!why.empty()) {
            content.skipped.push_back({number, name, why});
            continue;
        }
        StoredItem stored;
        stored.item.MessageCategory = kCategoryWebPage;
        stored.item.MessageTypeName = std::move(name);
        stored.item.connAddress = *url;
        content.items.push_back(std::move(stored));
        content.numbers.push_back(number);
    }
    return content;
}

} // namespace

std::string ItemsFileText(const std::vector<StoredItem>& items, bool withPasswords)
{
    QJsonArray array;
    for (const StoredItem& stored : items) {
        QJsonObject object;
        for (const TextMember& member : kTextMembers) {
            if (withPasswords || std::string_view(member.name) != kPasswordMember) {
                object.insert(Key(member.name), QString::fromStdString(stored.item.*member.field));
            }
        }
        // A password inside a connection string or a URL stays behind as well.
        object.insert(Key("connAddress"),
                      QString::fromStdString(MaskedAddress(stored.item.connAddress, withPasswords)));
        for (const NumberMember& member : kNumberMembers) {
            object.insert(Key(member.name), stored.item.*member.field);
        }
        QJsonArray ranges;
        for (const ExcludeRange& range : stored.excludes) {
            ranges.append(QJsonObject{{Key(kRangeFrom), QString::fromStdString(range.excludeFrom)},
                                      {Key(kRangeTo), QString::fromStdString(range.excludeTo)}});
        }
        object.insert(Key(kExcludes), ranges);
        array.append(object);
    }
    const QJsonObject root{
        {Key("format"), Key(kItemsFileFormat)}, {Key("version"), kItemsFileVersion}, {Key("items"), array}};
    return QJsonDocument(root).toJson(QJsonDocument::Indented).toStdString();
}

std::optional<ItemsFileContent> ReadItemsText(std::string_view text, std::string& error)
{
    if (text.size() > kMaxItemsFileBytes) {
        error = Format(kTooBigText, std::to_string(kMaxItemsFileBytes));
        return std::nullopt;
    }
    std::string_view body = text;
    if (body.substr(0, 3) == "\xEF\xBB\xBF") {
        body.remove_prefix(3);
    }
    const size_t first = body.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && body[first] == '{') {
        return ReadJson(body, error);
    }
    return ReadUrlwatch(body, error);
}
