#include "monitors/FtpNotice.h"

#include <iconv.h>

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

// The length of the valid UTF-8 sequence at the start of text, 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text)
{
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    unsigned minimum = 0;
    unsigned value = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, minimum = 0x80, value = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, minimum = 0x800, value = lead & 0x0Fu;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, minimum = 0x10000, value = lead & 0x07u;
    } else {
        return 0;
    }
    if (text.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) {
            return 0;
        }
        value = (value << 6) | (byte(i) & 0x3Fu);
    }
    const bool surrogate = value >= 0xD800 && value <= 0xDFFF;
    return value < minimum || value > 0x10FFFF || surrogate ? 0 : length;
}

// Owns an iconv conversion descriptor.
class IconvHandle final
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid()) {
            iconv_close(m_cd);
        }
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

bool ConvertFromGb18030(std::string_view raw, std::string& out)
{
    IconvHandle cd("UTF-8", "GB18030");
    if (!cd.valid()) {
        return false;
    }
    std::string input(raw);
    out.assign(input.size() * 4 + 4, '\0');
    char* in = input.data();
    std::size_t inLeft = input.size();
    char* outPtr = out.data();
    std::size_t outLeft = out.size();
    if (iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1) || inLeft != 0) {
        return false;
    }
    out.resize(out.size() - outLeft);
    return IsValidUtf8(out);
}

} // namespace

bool IsValidUtf8(std::string_view text)
{
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            return false;
        }
        text.remove_prefix(length);
    }
    return true;
}

std::string FtpDisplayName(std::string_view raw)
{
    if (IsValidUtf8(raw)) {
        return std::string(raw);
    }
    std::string converted;
    if (ConvertFromGb18030(raw, converted)) {
        return converted;
    }
    std::string out;
    while (!raw.empty()) {
        const std::size_t length = Utf8SequenceLength(raw);
        if (length == 0) {
            out += "\xEF\xBF\xBD";
            raw.remove_prefix(1);
        } else {
            out.append(raw.substr(0, length));
            raw.remove_prefix(length);
        }
    }
    return out;
}

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

std::string FtpHtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&#39;";
            break;
        default:
            out += c;
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
    return "FTP<a href=" + directoryLink + "  target='_blank'>(" + FtpHtmlEscape(itemName) +
           ")</a>中下面的文件或者文件夹发生了变化<br>文件名称：<a href=" + entryLink + "  target='_blank'>" +
           FtpHtmlEscape(entry.name) + "</a>" + "<br>修改日期：" + dateText + "<br>" + "文件大小：" +
           std::to_string(entry.size) + "<br>" + "文件属性：" + (entry.isDirectory ? "目录" : "文件");
}
