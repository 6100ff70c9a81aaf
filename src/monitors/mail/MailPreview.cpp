#include "monitors/mail/MailPreview.h"

#include "monitors/mail/MailTransferEncoding.h"
#include "util/PageCharset.h"
#include "util/TextEncoding.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <vector>

namespace {

// A preview needs the first kilobytes; a hostile server may send megabytes in "20 lines".
constexpr std::size_t kMaxInputBytes = 256 * 1024;
constexpr int kMaxDepth = 4;
constexpr std::size_t kMaxParts = 64;
constexpr std::size_t kMaxBoundaryBytes = 200; // RFC 2046 allows 70
constexpr std::string_view kEllipsis = "…";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";
constexpr std::string_view kBlanks = " \t\r\n\f\v";

std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

std::string_view Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && Lower(text.substr(0, prefix.size())) == prefix;
}

// Lines end with "\n" alone; POP3 dot-stuffing is undone and the reply's final "." line ends it.
std::string NormalizeLines(std::string_view mail)
{
    mail = mail.substr(0, std::min(mail.size(), kMaxInputBytes));
    std::string out;
    out.reserve(mail.size());
    std::size_t pos = 0;
    while (pos < mail.size()) {
        const std::size_t end = mail.find('\n', pos);
        std::string_view line = mail.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? mail.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line == ".")
            break;
        if (line.size() >= 2 && line[0] == '.' && line[1] == '.')
            line.remove_prefix(1);
        out.append(line);
        out += '\n';
    }
    return out;
}

struct Entity
{
    std::string_view headers;
    std::string_view body;
};

Entity SplitEntity(std::string_view text)
{
    if (!text.empty() && text.front() == '\n')
        return {{}, text.substr(1)};
    const std::size_t blank = text.find("\n\n");
    if (blank == std::string_view::npos)
        return {text, {}};
    return {text.substr(0, blank + 1), text.substr(blank + 2)};
}

// The first field of that name (lower case), its folded lines joined.
std::string FieldValue(std::string_view headers, std::string_view name)
{
    std::size_t pos = 0;
    auto nextLine = [&] {
        const std::size_t end = std::min(headers.find('\n', pos), headers.size());
        const std::string_view line = headers.substr(pos, end - pos);
        pos = end + 1;
        return line;
    };
    while (pos < headers.size()) {
        const std::string_view line = nextLine();
        if (line.size() <= name.size() || line[name.size()] != ':' || !StartsWithNoCase(line, name))
            continue;
        std::string value(line.substr(name.size() + 1));
        while (pos < headers.size() && (headers[pos] == ' ' || headers[pos] == '\t')) {
            value += ' ';
            value.append(nextLine());
        }
        return std::string(Trim(value));
    }
    return {};
}

// One parameter of a Content-Type value ("charset", "boundary"), quotes removed.
std::string Parameter(std::string_view value, std::string_view name)
{
    std::size_t start = 0;
    bool quoted = false;
    for (std::size_t i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value[i] == '"')
            quoted = !quoted;
        if (i < value.size() && (quoted || value[i] != ';'))
            continue;
        const std::string_view item = Trim(value.substr(start, i - start));
        start = i + 1;
        const std::size_t equals = item.find('=');
        if (equals == std::string_view::npos || Lower(Trim(item.substr(0, equals))) != name)
            continue;
        std::string_view raw = Trim(item.substr(equals + 1));
        if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"')
            raw = raw.substr(1, raw.size() - 2);
        return std::string(raw);
    }
    return {};
}

// The bodies between the delimiter lines of a multipart body; the last one may be cut short.
std::vector<std::string_view> SplitParts(std::string_view body, std::string_view boundary)
{
    const std::string delimiter = "--" + std::string(boundary);
    std::vector<std::string_view> parts;
    std::optional<std::size_t> partStart;
    std::size_t pos = 0;
    while (pos < body.size() && parts.size() < kMaxParts) {
        const std::size_t end = std::min(body.find('\n', pos), body.size());
        const std::string_view line = body.substr(pos, end - pos);
        if (line.starts_with(delimiter)) {
            const std::string_view rest = Trim(line.substr(delimiter.size()));
            if (rest.empty() || rest == "--") {
                if (partStart)
                    parts.push_back(body.substr(*partStart, pos - *partStart));
                if (rest == "--")
                    return parts;
                partStart = std::min(end + 1, body.size());
            }
        }
        pos = end + 1;
    }
    if (partStart && parts.size() < kMaxParts)
        parts.push_back(body.substr(*partStart));
    return parts;
}

struct TextPart
{
    std::string_view headers;
    std::string_view body;
    std::string charset;
};

// The first part of the wanted type ("text/plain" or "text/html") that is not an attachment,
// walking nested multiparts in order.
std::optional<TextPart> FindTextPart(std::string_view entity, std::string_view wanted, int depth, std::size_t& budget)
{
    if (budget == 0)
        return std::nullopt;
    --budget;
    const Entity parts = SplitEntity(entity);
    const std::string contentType = FieldValue(parts.headers, "content-type");
    std::string type = Lower(Trim(contentType.substr(0, contentType.find(';'))));
    if (type.empty())
        type = "text/plain";
    if (type.starts_with("multipart/")) {
        const std::string boundary = Parameter(contentType, "boundary");
        if (depth >= kMaxDepth || boundary.empty() || boundary.size() > kMaxBoundaryBytes)
            return std::nullopt;
        for (const std::string_view part : SplitParts(parts.body, boundary)) {
            if (auto found = FindTextPart(part, wanted, depth + 1, budget))
                return found;
        }
        return std::nullopt;
    }
    if (type != wanted || StartsWithNoCase(FieldValue(parts.headers, "content-disposition"), "attachment"))
        return std::nullopt;
    return TextPart{parts.headers, parts.body, Parameter(contentType, "charset")};
}

// iconv's UTF-8 lets code points above U+10FFFF through: whatever is not UTF-8 becomes U+FFFD.
std::string WholeUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const std::size_t length = Utf8SequenceLength(text);
        if (length == 0) {
            out += kReplacement;
            text.remove_prefix(1);
        } else {
            out.append(text.substr(0, length));
            text.remove_prefix(length);
        }
    }
    return out;
}

std::string DecodedText(const TextPart& part, bool html)
{
    const std::string encoding = Lower(FieldValue(part.headers, "content-transfer-encoding"));
    std::string bytes;
    if (encoding == "base64") {
        bytes = DecodeBase64(part.body);
    } else if (encoding == "quoted-printable") {
        bytes = DecodeQuotedPrintable(part.body);
    } else {
        bytes = std::string(part.body);
    }
    if (html) {
        // Without a charset in the header, the page's own <meta> declaration counts.
        DecodePageToUtf8(bytes, part.charset.empty() ? "text/html" : "text/html; charset=" + part.charset);
        return HtmlToPlainText(WholeUtf8(bytes));
    }
    std::string text;
    if (!part.charset.empty() && AppendAsUtf8(bytes, part.charset, text))
        return WholeUtf8(text);
    // Without a charset: UTF-8 when it is, even with its last character cut by the line count.
    for (std::size_t cut = 0; cut < 4 && cut < bytes.size(); ++cut) {
        if (IsValidUtf8(std::string_view(bytes).substr(0, bytes.size() - cut)))
            return bytes.substr(0, bytes.size() - cut);
    }
    return DisplayText(bytes);
}

// Lines without control characters or trailing blanks, at most one empty line in a row, none at
// either end; a character the cut of the TOP reply broke is left out.
std::string Tidy(std::string_view text, std::size_t maxBytes)
{
    std::string out;
    bool pendingBlank = false;
    std::size_t pos = 0;
    while (pos < text.size() && out.size() <= maxBytes) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        std::string line;
        for (const char c : text.substr(pos, end - pos)) {
            if (c == '\t')
                line += ' ';
            else if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F)
                line += c;
        }
        pos = end + 1;
        line.erase(line.find_last_not_of(' ') + 1);
        if (line.empty()) {
            pendingBlank = !out.empty();
            continue;
        }
        if (!out.empty())
            out += pendingBlank ? "\n\n" : "\n";
        out += line;
        pendingBlank = false;
    }
    while (out.ends_with(kReplacement))
        out.erase(out.size() - kReplacement.size());
    if (out.size() > maxBytes) {
        out = maxBytes < kEllipsis.size() ? std::string() : CutUtf8(out, maxBytes - kEllipsis.size());
        out += maxBytes < kEllipsis.size() ? "" : kEllipsis;
    }
    return out;
}

void AppendCodePoint(unsigned long code, std::string& out)
{
    if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        out += kReplacement;
    } else if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// "&name;" at the front of text: the decoded character and the length read; nullopt when it is
// not a reference this reads.
std::optional<std::pair<std::string, std::size_t>> ReadReference(std::string_view text)
{
    const std::size_t semicolon = text.substr(0, 12).find(';');
    if (semicolon == std::string_view::npos || semicolon < 2)
        return std::nullopt;
    const std::string_view name = text.substr(1, semicolon - 1);
    static constexpr std::array<std::pair<std::string_view, std::string_view>, 7> kNamed = {
        {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}, {"hellip", "…"}}};
    for (const auto& [key, value] : kNamed) {
        if (name == key)
            return std::pair{std::string(value), semicolon + 1};
    }
    if (name.front() != '#' || name.size() < 2)
        return std::nullopt;
    const bool hex = name[1] == 'x' || name[1] == 'X';
    const std::string_view digits = name.substr(hex ? 2 : 1);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    unsigned long code = 0;
    for (const char c : digits) {
        const int value = std::isdigit(static_cast<unsigned char>(c))           ? c - '0'
                          : hex && std::isxdigit(static_cast<unsigned char>(c)) ? std::tolower(c) - 'a' + 10
                                                                                : -1;
        if (value < 0)
            return std::nullopt;
        code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value);
    }
    std::string out;
    AppendCodePoint(code, out);
    return std::pair{out, semicolon + 1};
}

bool IsBlockElement(std::string_view name)
{
    static constexpr std::array<std::string_view, 16> kBlocks = {
        "p", "div", "tr", "li", "h1", "h2", "h3", "h4", "h5", "h6", "ul", "ol", "table", "hr", "blockquote", "pre"};
    return std::find(kBlocks.begin(), kBlocks.end(), name) != kBlocks.end();
}

} // namespace

std::string HtmlToPlainText(std::string_view html)
{
    const std::string lower = Lower(html);
    std::string out;
    bool pendingSpace = false;
    auto appendText = [&](std::string_view text) {
        if (pendingSpace && !out.empty() && out.back() != '\n')
            out += ' ';
        pendingSpace = false;
        out.append(text);
    };
    std::size_t i = 0;
    while (i < html.size()) {
        const char c = html[i];
        if (c == '&') {
            if (const auto reference = ReadReference(html.substr(i))) {
                appendText(reference->first);
                i += reference->second;
                continue;
            }
        }
        if (c != '<') {
            if (kBlanks.find(c) != std::string_view::npos)
                pendingSpace = true;
            else
                appendText(html.substr(i, 1));
            ++i;
            continue;
        }
        if (lower.compare(i, 4, "<!--") == 0) {
            const std::size_t close = lower.find("-->", i + 4);
            i = close == std::string::npos ? html.size() : close + 3;
            continue;
        }
        std::size_t nameStart = i + 1;
        const bool closing = nameStart < html.size() && html[nameStart] == '/';
        if (closing)
            ++nameStart;
        std::size_t nameEnd = nameStart;
        while (nameEnd < lower.size() && std::isalnum(static_cast<unsigned char>(lower[nameEnd])))
            ++nameEnd;
        const bool declaration = !closing && nameStart < html.size() && html[nameStart] == '!';
        if (nameEnd == nameStart && !declaration) {
            appendText("<"); // "a < b" is text
            ++i;
            continue;
        }
        const std::string name = lower.substr(nameStart, nameEnd - nameStart);
        const std::size_t tagEnd = lower.find('>', nameEnd);
        if (tagEnd == std::string::npos)
            break;
        i = tagEnd + 1;
        if (!closing && (name == "script" || name == "style" || name == "head" || name == "title")) {
            const std::size_t end = lower.find("</" + name, i);
            // A head or title that never closes may hold the whole mail: only what it holds is skipped.
            if (end != std::string::npos)
                i = std::min(lower.find('>', end), lower.size() - 1) + 1;
            else if (name == "script" || name == "style")
                i = html.size();
            continue;
        }
        // A <br> always breaks the line; other blocks start on a line of their own.
        if (name == "br" || (IsBlockElement(name) && !out.empty() && out.back() != '\n')) {
            out += '\n';
            pendingSpace = false;
        }
    }
    return out;
}

std::string MailPreviewText(std::string_view mail, std::size_t maxBytes)
{
    const std::string text = NormalizeLines(mail);
    for (const bool html : {false, true}) {
        std::size_t budget = kMaxParts;
        if (const auto part = FindTextPart(text, html ? "text/html" : "text/plain", 0, budget))
            return Tidy(DecodedText(*part, html), maxBytes);
    }
    return {};
}
