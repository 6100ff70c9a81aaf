#include "util/PageCharset.h"

#include "util/TextEncoding.h"

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <vector>

namespace {

// Declarations past this point are not looked for: they belong in the head, and a browser looks
// only at the first kilobyte.
constexpr std::size_t kHeadScanBytes = 64u * 1024u;
constexpr std::string_view kUtf8 = "utf-8";

char Lower(char c)
{
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool IsCharsetChar(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return std::isalnum(u) || c == '-' || c == '_' || c == '.' || c == ':';
}

std::size_t FindNoCase(std::string_view text, std::string_view word, std::size_t from)
{
    const auto it = std::search(text.begin() + static_cast<std::ptrdiff_t>(std::min(from, text.size())), text.end(),
                                word.begin(), word.end(), [](char a, char b) { return Lower(a) == Lower(b); });
    return it == text.end() ? std::string_view::npos : static_cast<std::size_t>(it - text.begin());
}

struct Span
{
    std::size_t pos = 0;
    std::size_t length = 0;
};

// The value after "charset" (blanks, '=', blanks, an optional quote) in text, from pos on.
bool CharsetValueAt(std::string_view text, std::size_t pos, Span& value)
{
    pos += 7; // "charset"
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) {
        ++pos;
    }
    if (pos >= text.size() || text[pos] != '=') {
        return false;
    }
    ++pos;
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t' || text[pos] == '"' || text[pos] == '\'')) {
        ++pos;
    }
    std::size_t end = pos;
    while (end < text.size() && IsCharsetChar(text[end])) {
        ++end;
    }
    value = {pos, end - pos};
    return end > pos;
}

// Every charset value inside a <meta ...> tag of the page's head, in page order.
std::vector<Span> MetaCharsetValues(std::string_view page)
{
    std::vector<Span> values;
    const std::string_view head = page.substr(0, std::min(page.size(), kHeadScanBytes));
    std::size_t pos = 0;
    while ((pos = FindNoCase(head, "<meta", pos)) != std::string_view::npos) {
        const std::size_t end = head.find('>', pos);
        const std::string_view tag = head.substr(pos, end == std::string_view::npos ? head.size() - pos : end - pos);
        for (std::size_t at = FindNoCase(tag, "charset", 0); at != std::string_view::npos;
             at = FindNoCase(tag, "charset", at + 7)) {
            Span value;
            if (CharsetValueAt(tag, at, value)) {
                values.push_back({pos + value.pos, value.length});
                break;
            }
        }
        if (end == std::string_view::npos) {
            break;
        }
        pos = end;
    }
    return values;
}

bool IsUtf8Name(std::string_view charset)
{
    std::string lower;
    for (char c : charset) {
        lower += Lower(c);
    }
    return lower == "utf-8" || lower == "utf8";
}

// Makes every meta declaration of the (now UTF-8) page say utf-8.
void DeclareUtf8(std::string& page)
{
    const auto values = MetaCharsetValues(page);
    // From the back, so that earlier positions stay right.
    for (auto it = values.rbegin(); it != values.rend(); ++it) {
        if (!IsUtf8Name(std::string_view(page).substr(it->pos, it->length))) {
            page.replace(it->pos, it->length, kUtf8);
        }
    }
}

// Converts page from charset; false when the charset is unknown (page unchanged).
bool ConvertFrom(std::string& page, std::string_view charset)
{
    if (IsUtf8Name(charset) && IsValidUtf8(page)) {
        return true;
    }
    std::string converted;
    if (!AppendAsUtf8(page, charset, converted)) {
        return false;
    }
    page = std::move(converted);
    return true;
}

} // namespace

std::string ContentTypeCharset(std::string_view contentType)
{
    for (std::size_t at = FindNoCase(contentType, "charset", 0); at != std::string_view::npos;
         at = FindNoCase(contentType, "charset", at + 7)) {
        Span value;
        if (CharsetValueAt(contentType, at, value)) {
            return std::string(contentType.substr(value.pos, value.length));
        }
    }
    return {};
}

std::string DeclaredMetaCharset(std::string_view page)
{
    const auto values = MetaCharsetValues(page);
    return values.empty() ? std::string() : std::string(page.substr(values.front().pos, values.front().length));
}

void DecodePageToUtf8(std::string& page, std::string_view contentType)
{
    bool decoded = false;
    for (const std::string& charset : {ContentTypeCharset(contentType), DeclaredMetaCharset(page)}) {
        if (!charset.empty() && ConvertFrom(page, charset)) {
            decoded = true;
            break;
        }
    }
    if (!decoded && !IsValidUtf8(page)) {
        ConvertFrom(page, "GB18030");
    }
    DeclareUtf8(page);
}

void NormalizeStoredPage(std::string& copy)
{
    if (IsValidUtf8(copy)) {
        DeclareUtf8(copy);
        return;
    }
    DecodePageToUtf8(copy, {});
}
