#include "monitors/mail/CMailMessage.h"

#include "monitors/mail/MailTransferEncoding.h"
#include "util/LocalTime.h"
#include "util/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <climits>

namespace {

constexpr std::string_view kWhiteSpace = " \t\r\n\v\f";
constexpr std::string_view kCrLf = "\r\n";

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kWhiteSpace);
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(kWhiteSpace);
    return text.substr(first, last - first + 1);
}

bool EqualNoCase(char a, char b)
{
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

bool EqualCharset(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), EqualNoCase);
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::size_t FindNoCase(std::string_view text, std::string_view key, std::size_t from)
{
    if (from > text.size())
        return std::string_view::npos;
    const auto it =
        std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), key.begin(), key.end(), EqualNoCase);
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

struct EncodedWord
{
    std::size_t end = 0; // just after "?="
    std::string charset;
    std::string bytes;
};

// The next place of a pattern at or after a position that only grows: each search starts where
// the last one ended, so a value full of words that never close is read in linear time.
class NextMatch final
{
public:
    NextMatch(std::string_view text, std::string_view pattern) : m_text(text), m_pattern(pattern) {}
    std::size_t From(std::size_t pos)
    {
        if (!m_searched || (m_found != std::string_view::npos && m_found < pos)) {
            m_found = m_text.find(m_pattern, pos);
            m_searched = true;
        }
        return m_found;
    }

private:
    std::string_view m_text;
    std::string_view m_pattern;
    std::size_t m_found = std::string_view::npos;
    bool m_searched = false;
};

// Reads "=?charset[*lang]?B|Q?text?=" starting at pos; nullopt when it is not one. The calls
// sharing close and lineEnd come with growing pos.
std::optional<EncodedWord> ReadEncodedWord(std::string_view text, std::size_t pos, NextMatch& close, NextMatch& lineEnd)
{
    const std::size_t charsetStart = pos + 2;
    const std::size_t charsetEnd = text.find('?', charsetStart);
    if (charsetEnd == std::string_view::npos || charsetEnd == charsetStart)
        return std::nullopt;
    std::string_view charset = text.substr(charsetStart, charsetEnd - charsetStart);
    if (charset.find_first_of(kWhiteSpace) != std::string_view::npos)
        return std::nullopt;
    if (const auto star = charset.find('*'); star != std::string_view::npos)
        charset = charset.substr(0, star); // RFC 2231 language suffix
    if (charsetEnd + 2 >= text.size() || text[charsetEnd + 2] != '?')
        return std::nullopt;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[charsetEnd + 1])));
    if (letter != 'B' && letter != 'Q')
        return std::nullopt;
    const std::size_t dataStart = charsetEnd + 3;
    const std::size_t dataEnd = close.From(dataStart);
    if (dataEnd == std::string_view::npos)
        return std::nullopt;
    if (lineEnd.From(dataStart) < dataEnd)
        return std::nullopt; // an encoded word never spans lines
    const std::string_view data = text.substr(dataStart, dataEnd - dataStart);
    EncodedWord word;
    word.end = dataEnd + 2;
    word.charset = std::string(charset);
    word.bytes = letter == 'Q' ? DecodeQ(data) : DecodeBase64(data);
    return word;
}

// Header text outside encoded words should be ASCII; old mailers send raw GBK instead.
void AppendPlainText(std::string_view text, std::string& out)
{
    out += DisplayText(text);
}

// A decimal number in the manner of "%d", saturated instead of overflowing.
bool ReadNumber(std::string_view text, std::size_t& pos, long long& value, int* digits = nullptr)
{
    std::size_t i = pos;
    while (i < text.size() && IsBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    const std::size_t first = i;
    long long number = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        number = std::min(number * 10 + (text[i] - '0'), 100'000'000LL);
        ++i;
    }
    if (i == first)
        return false;
    if (digits)
        *digits = static_cast<int>(std::min<std::size_t>(i - first, INT_MAX));
    value = negative ? -number : number;
    pos = i;
    return true;
}

int MonthNumber(std::string_view word)
{
    static constexpr std::array<std::string_view, 12> kMonths = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                                                 "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
    if (word.size() < 3)
        return 0;
    for (std::size_t m = 0; m < kMonths.size(); ++m) {
        if (std::equal(kMonths[m].begin(), kMonths[m].end(), word.begin(), EqualNoCase))
            return static_cast<int>(m) + 1;
    }
    return 0;
}

} // namespace

std::string CMailMessage::GetHeaderField(std::string_view name) const
{
    // Only the header block: the body lines a TOP reply may bring hold "Subject:" lines too.
    const std::size_t blockEnd = m_strText.find("\r\n\r\n");
    const std::string text =
        std::string(kCrLf) + (blockEnd == std::string::npos ? m_strText : m_strText.substr(0, blockEnd + 4));
    const std::string key = std::string(kCrLf) + std::string(name) + ":";
    std::string result;
    bool first = true;
    std::size_t from = 0;
    for (;;) {
        const std::size_t match = FindNoCase(text, key, from);
        if (match == std::string::npos)
            break;
        const std::size_t start = match + key.size();
        std::size_t end = text.find(kCrLf, start);
        while (end != std::string::npos && end + 2 < text.size() &&
               (text[end + 2] == ' ' || text[end + 2] == '\t' || text[end + 2] == '\r'))
            end = text.find(kCrLf, end + 2);
        if (end == std::string::npos)
            end = text.size();
        if (!first)
            result += kCrLf;
        result.append(text, start, end - start);
        first = false;
        from = end;
    }
    return result;
}

std::string CMailMessage::GetDecodedField(std::string_view name) const
{
    if (name.empty())
        return {};
    const std::string raw = GetHeaderField(name);
    const auto start = raw.find_first_not_of(kWhiteSpace);
    if (start == std::string::npos)
        return {};
    return std::string(Trim(DecodeHeaderText(std::string_view(raw).substr(start))));
}

std::string CMailMessage::DecodeHeaderText(std::string_view raw)
{
    std::string out;
    std::string pendingCharset;
    std::string pendingBytes;
    bool havePending = false;
    auto flushPending = [&] {
        if (havePending && !AppendAsUtf8(pendingBytes, pendingCharset, out))
            out += pendingBytes; // unknown charset: the bytes as they are
        pendingBytes.clear();
        havePending = false;
    };

    std::size_t textStart = 0; // start of the literal text not yet copied
    std::size_t search = 0;
    NextMatch close(raw, "?=");
    NextMatch lineEnd(raw, kCrLf);
    while (search < raw.size()) {
        const std::size_t candidate = raw.find("=?", search);
        if (candidate == std::string_view::npos)
            break;
        auto word = ReadEncodedWord(raw, candidate, close, lineEnd);
        if (!word) {
            search = candidate + 1;
            continue;
        }
        const std::string_view between = raw.substr(textStart, candidate - textStart);
        const bool adjacent = havePending && std::all_of(between.begin(), between.end(), IsBlank);
        if (!adjacent) {
            flushPending();
            AppendPlainText(between, out);
        }
        // Adjacent words of one charset are joined before conversion: mailers split a
        // multi-byte character over two words.
        if (havePending && !EqualCharset(pendingCharset, word->charset))
            flushPending();
        pendingCharset = word->charset;
        pendingBytes += word->bytes;
        havePending = true;
        textStart = search = word->end;
    }
    flushPending();
    AppendPlainText(raw.substr(std::min(textStart, raw.size())), out);
    return out;
}

std::optional<std::time_t> CMailMessage::ParseMailDate(std::string_view text)
{
    std::tm tm{};
    if (text.empty()) {
        tm.tm_year = 2000 - 1900;
        tm.tm_mday = 1;
        tm.tm_hour = tm.tm_min = tm.tm_sec = 1;
    } else {
        std::size_t pos = 0;
        auto skipBlanks = [&] {
            while (pos < text.size() && IsBlank(text[pos]))
                ++pos;
        };
        auto skipWord = [&] {
            while (pos < text.size() && !IsBlank(text[pos]))
                ++pos;
        };
        skipBlanks();
        // The weekday is optional (RFC 5322); it is followed by a comma, a blank or both.
        if (pos < text.size() && std::isalpha(static_cast<unsigned char>(text[pos]))) {
            const std::size_t end = text.find_first_of(", \t\r\n", pos);
            pos = end == std::string_view::npos ? text.size() : end + 1;
            skipBlanks();
        }
        long long day = 0;
        std::size_t dayPos = pos;
        ReadNumber(text, dayPos, day);
        skipWord();
        skipBlanks();
        const std::size_t monthStart = pos;
        skipWord();
        const int month = MonthNumber(text.substr(monthStart, pos - monthStart));

        long long year = 0, hour = 0, minute = 0, second = 0;
        int yearDigits = 0;
        if (ReadNumber(text, pos, year, &yearDigits) && ReadNumber(text, pos, hour) && pos < text.size() &&
            text[pos++] == ':' && ReadNumber(text, pos, minute) && pos < text.size() && text[pos++] == ':')
            ReadNumber(text, pos, second);
        // Two- and three-digit years of old mailers (RFC 5322 obs-year).
        if (year >= 0 && yearDigits == 2)
            year += year < 50 ? 2000 : 1900;
        else if (year >= 0 && yearDigits == 3)
            year += 1900;

        tm.tm_year = static_cast<int>(year - 1900);
        tm.tm_mon = month - 1;
        tm.tm_mday = static_cast<int>(day);
        tm.tm_hour = static_cast<int>(hour);
        tm.tm_min = static_cast<int>(minute);
        tm.tm_sec = static_cast<int>(second);
    }
    tm.tm_isdst = -1;
    tm.tm_wday = -1; // mktime sets it on success; -1 is also a valid time_t
    const std::time_t result = MomentOfLocalTime(tm);
    if (result == static_cast<std::time_t>(-1) && tm.tm_wday == -1)
        return std::nullopt;
    // Four-digit years only: the date text is "%Y年...", and nothing older or later is real mail.
    if (tm.tm_year < 1 - 1900 || tm.tm_year > 9999 - 1900)
        return std::nullopt;
    return result;
}

// The '<' that opens the address: one inside a quoted display name does not count, unless the
// quote never closes.
static std::size_t AddressStart(std::string_view field)
{
    bool quoted = false;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (quoted && field[i] == '\\')
            ++i;
        else if (field[i] == '"')
            quoted = !quoted;
        else if (!quoted && field[i] == '<')
            return i;
    }
    return field.find('<');
}

std::string CMailMessage::NamePart(std::string_view field)
{
    std::string_view name = Trim(field.substr(0, AddressStart(field)));
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"')
        name = Trim(name.substr(1, name.size() - 2));
    return std::string(name);
}

std::string CMailMessage::AddressPart(std::string_view field)
{
    const std::size_t open = AddressStart(field);
    if (open == std::string_view::npos)
        return std::string(field);
    std::string_view rest = field.substr(open + 1);
    rest = rest.substr(0, rest.find('>'));
    return std::string(Trim(rest));
}
