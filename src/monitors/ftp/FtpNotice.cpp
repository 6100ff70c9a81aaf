#include "monitors/ftp/FtpNotice.h"

#include "util/TextEncoding.h"

namespace {

bool IsUnreserved(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
           c == '_' || c == '~';
}

std::string TwoDigits(int value)
{
    return value < 10 ? "0" + std::to_string(value) : std::to_string(value);
}

} // namespace

std::string FtpPercentEncode(std::string_view text, bool keepSlash)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte) || (keepSlash && c == '/')) {
            out += c;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

std::string FtpDirectoryLink(const FtpAddress& address, const std::string& user, const std::string& password)
{
    std::string link = "ftp://";
    if (!user.empty()) {
        link += FtpPercentEncode(user, false) + ":" + FtpPercentEncode(password, false) + "@";
    }
    link += address.host;
    if (address.port != kDefaultFtpPort) {
        link += ":" + std::to_string(address.port);
    }
    link += FtpPercentEncode(address.path, true);
    return link;
}

std::string FtpEntryLink(const std::string& directoryLink, std::string_view entryName)
{
    return directoryLink + FtpPercentEncode(entryName, false);
}

std::string FtpFindingDate(const std::optional<FtpTimestamp>& time)
{
    if (!time) {
        return {};
    }
    return std::to_string(time->year) + "年" + TwoDigits(time->month) + "月" + TwoDigits(time->day) + "日-" +
           TwoDigits(time->hour) + ":" + TwoDigits(time->minute);
}

std::string FtpNoticeHtml(const std::string& itemName, const std::string& directoryLink, const std::string& entryLink,
                          const FtpEntry& entry, const std::string& dateText)
{
    return "FTP<a href=" + directoryLink + "  target='_blank'>(" + HtmlEscape(itemName) +
           ")</a>中下面的文件或者文件夹发生了变化<br>文件名称：<a href=" + entryLink + "  target='_blank'>" +
           HtmlEscape(entry.name) + "</a>" + "<br>修改日期：" + dateText + "<br>" + "文件大小：" +
           std::to_string(entry.size) + "<br>" + "文件属性：" + (entry.isDirectory ? "目录" : "文件");
}
