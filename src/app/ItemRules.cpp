#include "app/ItemRules.h"

#include "util/UiText.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

constexpr const char* kNameRule = WENDAR_TR_NOOP("ItemRules", "名称不能为空");
constexpr const char* kAddressRule = WENDAR_TR_NOOP("ItemRules", "链接地址只能有一行");
constexpr const char* kPortRule =
    WENDAR_TR_NOOP("ItemRules", "端口号必须是 1 到 65535 之间的整数，或者不填（默认端口）");
constexpr const char* kCheckNumberRule =
    WENDAR_TR_NOOP("ItemRules", "检查最新消息条数必须是 0 到 10000 之间的整数 (0 = 全部)");
constexpr const char* kNotifyRule =
    WENDAR_TR_NOOP("ItemRules", "声音提示间隔必须是 -1（不提示）、0（只提示一次）或秒数");
constexpr const char* kExcludeRule = WENDAR_TR_NOOP("ItemRules", "排除开始处和排除结束处都不能为空");
constexpr const char* kCategoryRule =
    WENDAR_TR_NOOP("ItemRules", "类型必须是 1 (数据库)、2 (网页)、3 (FTP) 或 4 (邮件)");
constexpr const char* kIdentityRequiredText = WENDAR_TR_NOOP("ItemRules", "您必须输入您的“用户身份标示”");
constexpr const char* kDatabaseAddressText =
    WENDAR_TR_NOOP("ItemRules", "您所输入的链接地址错误:数据库类型必须是:Driver=.....");
// The web monitor speaks HTTPS as well, so both schemes pass and the text names both.
constexpr const char* kWebAddressText =
    WENDAR_TR_NOOP("ItemRules", "您所输入的链接地址错误:网页监视类型必须是:HTTP://.....或HTTPS://.....");
constexpr const char* kFtpAddressText =
    WENDAR_TR_NOOP("ItemRules", "您所输入的链接地址错误:FTP监视类型必须是:FTP://.....");

bool StartsWithNoCase(const std::string& text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
           });
}

bool UsesPort(int category)
{
    return category == kCategoryFtp || category == kCategoryMail;
}

bool UsesCheckNumber(int category)
{
    return category == kCategoryDatabase || category == kCategoryBroadcast;
}

// Empty is the default port; anything else a whole number within the bounds.
bool ValidPort(const std::string& text)
{
    if (text.empty()) {
        return true;
    }
    int port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    return ec == std::errc() && end == text.data() + text.size() && port >= kMinPort && port <= kMaxPort;
}

ItemRuleBreak Break(ItemField field, int rangeIndex = -1)
{
    return {field, ItemFieldRule(field), rangeIndex};
}

} // namespace

std::string ItemFieldRule(ItemField field)
{
    switch (field) {
    case ItemField::Name:
        return UiText("ItemRules", kNameRule);
    case ItemField::Address:
        return UiText("ItemRules", kAddressRule);
    case ItemField::Port:
        return UiText("ItemRules", kPortRule);
    case ItemField::CheckNumber:
        return UiText("ItemRules", kCheckNumberRule);
    case ItemField::NotifyInterval:
        return UiText("ItemRules", kNotifyRule);
    case ItemField::ExcludeRange:
        return UiText("ItemRules", kExcludeRule);
    }
    return {};
}

std::optional<ItemRuleBreak> CheckItemFields(const MessageTypeInfo& item, const ExcludeRanges* ranges)
{
    if (item.MessageTypeName.empty()) {
        return Break(ItemField::Name);
    }
    if (item.connAddress.find_first_of("\r\n") != std::string::npos) {
        return Break(ItemField::Address);
    }
    if (UsesPort(item.MessageCategory) && !ValidPort(item.ViewName)) {
        return Break(ItemField::Port);
    }
    if (UsesCheckNumber(item.MessageCategory) &&
        (item.CheckNumber < kMinCheckNumber || item.CheckNumber > kMaxCheckNumber)) {
        return Break(ItemField::CheckNumber);
    }
    if (item.bNotify < -1) {
        return Break(ItemField::NotifyInterval);
    }
    if (ranges && item.MessageCategory == kCategoryWebPage) {
        for (size_t i = 0; i < ranges->size(); ++i) {
            if ((*ranges)[i].excludeFrom.empty() || (*ranges)[i].excludeTo.empty()) {
                return Break(ItemField::ExcludeRange, static_cast<int>(i));
            }
        }
    }
    return std::nullopt;
}

std::optional<std::string> CheckItemAddress(int category, const std::string& address)
{
    switch (category) {
    case kCategoryDatabase:
        return StartsWithNoCase(address, "DRIVER=")
                   ? std::nullopt
                   : std::optional<std::string>(UiText("ItemRules", kDatabaseAddressText));
    case kCategoryWebPage:
        return StartsWithNoCase(address, "HTTP://") || StartsWithNoCase(address, "HTTPS://")
                   ? std::nullopt
                   : std::optional<std::string>(UiText("ItemRules", kWebAddressText));
    case kCategoryFtp:
        return StartsWithNoCase(address, "FTP://") ? std::nullopt
                                                   : std::optional<std::string>(UiText("ItemRules", kFtpAddressText));
    default:
        return std::nullopt;
    }
}

std::optional<std::string> CheckNewItem(const MessageTypeInfo& item, const ExcludeRanges& ranges)
{
    if (item.MessageCategory < kCategoryDatabase || item.MessageCategory > kCategoryMail) {
        return UiText("ItemRules", kCategoryRule);
    }
    if (item.MustHaveID != 0 && item.MessageTypeUser.empty()) {
        return UiText("ItemRules", kIdentityRequiredText);
    }
    if (auto refusal = CheckItemAddress(item.MessageCategory, item.connAddress)) {
        return refusal;
    }
    if (auto broken = CheckItemFields(item, &ranges)) {
        return broken->text;
    }
    return std::nullopt;
}
