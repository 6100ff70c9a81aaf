#include "monitors/MailCharset.h"

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

    std::string result;
    std::array<char, 4096> buffer{};
    char* in = const_cast<char*>(bytes.data()); // iconv's signature; the input is not written
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t rc = iconv(cd.get(), &in, &inLeft, &outPtr, &outLeft);
        result.append(buffer.data(), buffer.size() - outLeft);
        if (rc != static_cast<std::size_t>(-1))
            break;
        if (errno == E2BIG)
            continue;
        result += kReplacement;
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
        result.append(buffer.data(), buffer.size() - outLeft);
    out += result;
    return true;
}

bool IsValidUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t extra = 0;
        unsigned min = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            min = 0x80;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            min = 0x800;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            min = 0x10000;
        } else {
            return false;
        }
        if (i + extra >= text.size())
            return false;
        unsigned code = c & (0x3Fu >> extra);
        for (std::size_t k = 1; k <= extra; ++k) {
            const auto cc = static_cast<unsigned char>(text[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (cc & 0x3F);
        }
        if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}
