#include "monitors/mail/MailTransferEncoding.h"

#include <array>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool IsHexPair(std::string_view text, std::size_t at)
{
    return at + 1 < text.size() && HexValue(text[at]) >= 0 && HexValue(text[at + 1]) >= 0;
}

char HexByte(std::string_view text, std::size_t at)
{
    return static_cast<char>(HexValue(text[at]) * 16 + HexValue(text[at + 1]));
}

int Base64Value(char c)
{
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    if (c == '=')
        return 64;
    return -1;
}

} // namespace

std::string DecodeBase64(std::string_view text)
{
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::array<int, 4> group{};
    std::size_t count = 0;
    auto flush = [&] {
        for (std::size_t k = count; k < 4; ++k)
            group[k] = 64;
        count = 0;
        if (group[0] == 64 || group[1] == 64)
            return;
        const unsigned bits = (static_cast<unsigned>(group[0]) << 18) | (static_cast<unsigned>(group[1]) << 12) |
                              (static_cast<unsigned>(group[2] & 63) << 6) | static_cast<unsigned>(group[3] & 63);
        out += static_cast<char>((bits >> 16) & 0xFF);
        if (group[2] != 64)
            out += static_cast<char>((bits >> 8) & 0xFF);
        if (group[2] != 64 && group[3] != 64)
            out += static_cast<char>(bits & 0xFF);
    };
    for (char c : text) {
        const int value = Base64Value(c);
        if (value < 0)
            continue;
        group[count++] = value;
        if (count == 4)
            flush();
    }
    if (count > 0)
        flush();
    return out;
}

std::string DecodeQuotedPrintable(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '=') {
            out += c;
            continue;
        }
        if (IsHexPair(text, i + 1)) {
            out += HexByte(text, i + 1);
            i += 2;
            continue;
        }
        // A soft line break: '=', perhaps blanks a mailer left, then the line end.
        std::size_t j = i + 1;
        while (j < text.size() && (text[j] == ' ' || text[j] == '\t'))
            ++j;
        if (j < text.size() && text[j] == '\r')
            ++j;
        if (j < text.size() && text[j] == '\n') {
            i = j;
            continue;
        }
        if (j == text.size()) // the text was cut after the '='
            break;
        out += c;
    }
    return out;
}

std::string DecodeQ(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '_') {
            out += ' ';
        } else if (c == '=' && IsHexPair(text, i + 1)) {
            out += HexByte(text, i + 1);
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}
