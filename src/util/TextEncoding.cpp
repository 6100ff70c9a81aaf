#include "util/TextEncoding.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <iconv.h>

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::size_t kMaxCharsetName = 64;

class IconvHandle final
{
public:
    IconvHandle(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~IconvHandle()
    {
        if (valid())
            iconv_close(m_cd);
    }
    IconvHandle(const IconvHandle&) = delete;
    IconvHandle& operator=(const IconvHandle&) = delete;
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return m_cd; }

private:
    iconv_t m_cd;
};

// Mailers label GBK and GB18030 text as GB2312 all the time; GB18030 reads all three.
std::string IconvName(std::string_view charset)
{
    std::string name;
    for (char c : charset)
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (name == "gb2312" || name == "gbk" || name == "x-gbk" || name == "cp936" || name == "euc-cn" ||
        name == "gb18030")
        return "GB18030";
    if (name == "ks_c_5601-1987")
        return "CP949";
    if (name == "utf8")
        return "UTF-8";
    return name;
}

bool IsCharsetName(std::string_view charset)
{
    if (charset.empty() || charset.size() > kMaxCharsetName)
        return false;
    for (char c : charset) {
        const auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '-' && c != '_' && c != '.' && c != ':')
            return false;
    }
    return true;
}

} // namespace

bool AppendAsUtf8(std::string_view bytes, std::string_view charset, std::string& out)
{
    if (!IsCharsetName(charset))
        return false;
    const IconvHandle cd("UTF-8", IconvName(charset).c_str());
    if (!cd.valid())
        return false;

    // Converted straight into out: a page may be tens of megabytes.
    out.reserve(out.size() + bytes.size() + bytes.size() / 2);
    std::array<char, 4096> buffer{};
    char* in = const_cast<char*>(bytes.data()); // iconv's signature; the input is not written
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        out += kReplacement;
        if (errno == EILSEQ) {
            ++in;
            --inLeft;
        } else {
            break; // EINVAL: the text ends inside a character
        }
    }
    // Flush a stateful encoding (ISO-2022-x) back to its initial shift state.
    char* outPtr = buffer.data();
    std::size_t outLeft = buffer.size();
    if (iconv(cd.get(), nullptr, nullptr, &outPtr, &outLeft) != static_cast<std::size_t>(-1))
        out.append(buffer.data(), buffer.size() - outLeft);
    return true;
}

std::size_t Utf8SequenceLength(std::string_view text)
{
    if (text.empty()) {
        return 0;
    }
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

std::string DisplayText(std::string_view raw)
{
    std::string out;
    if (IsValidUtf8(raw) || !AppendAsUtf8(raw, "GB18030", out)) {
        return std::string(raw);
    }
    return out;
}

std::string HtmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
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

std::string CutUtf8(const std::string& text, std::size_t maxBytes)
{
    if (text.size() <= maxBytes) {
        return text;
    }
    std::size_t end = maxBytes;
    // Step back over continuation bytes to the start of the character that does not fit.
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) {
        --end;
    }
    return text.substr(0, end);
}
