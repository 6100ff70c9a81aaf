#include "util/WordDiff.h"

#include "util/TextEncoding.h"

#include <algorithm>
#include <cctype>

namespace {

// Beyond this many insertions and deletions the middle is shown as removed whole and added whole:
// the comparison's memory grows with the square of the changes.
constexpr int kMaxEdits = 3000;

struct Token
{
    std::string_view lead; // white space before the word
    std::string_view word;
};

bool IsAsciiWordChar(unsigned char c)
{
    return std::isalnum(c) || c == '_';
}

// The length of a run of white space at text[at], 0 when there is none.
size_t SpaceAt(std::string_view text, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(text[at]);
    if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
        return 1;
    }
    for (std::string_view space : {std::string_view("\xE3\x80\x80"), std::string_view("\xC2\xA0")}) {
        if (text.substr(at, space.size()) == space) {
            return space.size();
        }
    }
    return 0;
}

std::vector<Token> Tokens(std::string_view text)
{
    std::vector<Token> tokens;
    size_t at = 0;
    while (at < text.size()) {
        const size_t leadStart = at;
        for (size_t space = 0; at < text.size() && (space = SpaceAt(text, at)) > 0;) {
            at += space;
        }
        if (at >= text.size()) {
            break; // white space at the end is no word
        }
        const size_t start = at;
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (IsAsciiWordChar(c)) {
            while (at < text.size() && IsAsciiWordChar(static_cast<unsigned char>(text[at]))) {
                ++at;
            }
        } else {
            ++at; // one character: its continuation bytes follow
            while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
                ++at;
            }
        }
        tokens.push_back({text.substr(leadStart, start - leadStart), text.substr(start, at - start)});
    }
    return tokens;
}

void Append(std::vector<DiffPiece>& pieces, DiffPiece::Kind kind, const Token& token)
{
    if (pieces.empty() || pieces.back().kind != kind) {
        pieces.push_back({kind, {}});
    }
    pieces.back().text.append(token.lead).append(token.word);
}

// The edit script of a and b (Myers' O(ND) comparison) as kinds in reading order, removals before
// additions at each place; false when it needs more than kMaxEdits edits.
bool EditScript(const std::vector<Token>& a, const std::vector<Token>& b, std::vector<DiffPiece::Kind>& script)
{
    const int n = static_cast<int>(a.size());
    const int m = static_cast<int>(b.size());
    const int limit = std::min(n + m, kMaxEdits);
    std::vector<int> v(2 * static_cast<size_t>(limit) + 3, 0);
    const int offset = limit + 1;
    std::vector<std::vector<int>> trace; // v over -d..d before step d
    int found = -1;
    for (int d = 0; d <= limit && found < 0; ++d) {
        trace.emplace_back(v.begin() + offset - d, v.begin() + offset + d + 1);
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1])) ? v[offset + k + 1]
                                                                                   : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x].word == b[y].word) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                found = d;
                break;
            }
        }
    }
    if (found < 0) {
        return false;
    }
    int x = n;
    int y = m;
    std::vector<DiffPiece::Kind> reversed;
    for (int d = found; d > 0; --d) {
        const std::vector<int>& before = trace[d];
        const auto at = [&](int k) { return before[k + d]; };
        const int k = x - y;
        const int previousK = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? k + 1 : k - 1;
        const int previousX = at(previousK);
        const int previousY = previousX - previousK;
        while (x > previousX && y > previousY) {
            reversed.push_back(DiffPiece::Kind::Same);
            --x;
            --y;
        }
        reversed.push_back(x == previousX ? DiffPiece::Kind::Added : DiffPiece::Kind::Removed);
        x = previousX;
        y = previousY;
    }
    for (; x > 0 && y > 0; --x, --y) {
        reversed.push_back(DiffPiece::Kind::Same);
    }
    script.assign(reversed.rbegin(), reversed.rend());
    return true;
}

bool StartsWithNoCase(std::string_view text, size_t at, std::string_view prefix)
{
    if (text.size() - at < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[at + i])) != prefix[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

std::vector<DiffPiece> DiffWords(std::string_view oldText, std::string_view newText)
{
    const std::vector<Token> a = Tokens(oldText);
    const std::vector<Token> b = Tokens(newText);
    size_t head = 0;
    while (head < a.size() && head < b.size() && a[head].word == b[head].word) {
        ++head;
    }
    size_t tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail].word == b[b.size() - 1 - tail].word) {
        ++tail;
    }
    std::vector<DiffPiece> pieces;
    for (size_t i = 0; i < head; ++i) {
        Append(pieces, DiffPiece::Kind::Same, b[i]);
    }
    const std::vector<Token> oldMiddle(a.begin() + static_cast<long>(head), a.end() - static_cast<long>(tail));
    const std::vector<Token> newMiddle(b.begin() + static_cast<long>(head), b.end() - static_cast<long>(tail));
    std::vector<DiffPiece::Kind> script;
    if (!EditScript(oldMiddle, newMiddle, script)) {
        script.assign(oldMiddle.size(), DiffPiece::Kind::Removed);
        script.insert(script.end(), newMiddle.size(), DiffPiece::Kind::Added);
    }
    size_t x = 0;
    size_t y = 0;
    for (DiffPiece::Kind kind : script) {
        switch (kind) {
        case DiffPiece::Kind::Same:
            Append(pieces, kind, newMiddle[y++]);
            ++x;
            break;
        case DiffPiece::Kind::Added:
            Append(pieces, kind, newMiddle[y++]);
            break;
        case DiffPiece::Kind::Removed:
            Append(pieces, kind, oldMiddle[x++]);
            break;
        }
    }
    for (size_t i = b.size() - tail; i < b.size(); ++i) {
        Append(pieces, DiffPiece::Kind::Same, b[i]);
    }
    return pieces;
}

bool HasChanges(const std::vector<DiffPiece>& pieces)
{
    return std::any_of(pieces.begin(), pieces.end(),
                       [](const DiffPiece& p) { return p.kind != DiffPiece::Kind::Same; });
}

std::string VisibleText(std::string_view html)
{
    static constexpr std::pair<std::string_view, std::string_view> kEntities[] = {
        {"&nbsp;", " "}, {"&lt;", "<"},   {"&gt;", ">"}, {"&quot;", "\""},
        {"&#39;", "'"},  {"&apos;", "'"}, {"&amp;", "&"}};
    static constexpr std::string_view kBlockTags[] = {"br", "p",  "/p", "div", "/div", "tr",  "/tr",   "li",
                                                      "h1", "h2", "h3", "/h1", "/h2",  "/h3", "table", "/table"};
    std::string text;
    size_t at = 0;
    while (at < html.size()) {
        const char c = html[at];
        if (c == '<') {
            // Scripts and styles are not text.
            for (std::string_view skipped : {std::string_view("script"), std::string_view("style")}) {
                if (StartsWithNoCase(html, at + 1, skipped)) {
                    const std::string end = "</" + std::string(skipped);
                    size_t close = at;
                    while ((close = html.find("</", close + 1)) != std::string_view::npos &&
                           !StartsWithNoCase(html, close, end)) {
                    }
                    at = close == std::string_view::npos ? html.size() : close;
                    break;
                }
            }
            const size_t close = html.find('>', at);
            bool block = false;
            for (std::string_view tag : kBlockTags) {
                const size_t after = at + 1 + tag.size();
                block = block || (StartsWithNoCase(html, at + 1, tag) && after < html.size() &&
                                  !std::isalnum(static_cast<unsigned char>(html[after])));
            }
            text += block ? '\n' : ' ';
            at = close == std::string_view::npos ? html.size() : close + 1;
            continue;
        }
        if (c == '&') {
            bool decoded = false;
            for (const auto& [entity, value] : kEntities) {
                if (StartsWithNoCase(html, at, entity)) {
                    text += value;
                    at += entity.size();
                    decoded = true;
                    break;
                }
            }
            if (decoded) {
                continue;
            }
        }
        text += c;
        ++at;
    }
    return text;
}

std::string DiffHtml(const std::vector<DiffPiece>& pieces)
{
    std::string html;
    for (const DiffPiece& piece : pieces) {
        std::string escaped = HtmlEscape(piece.text);
        for (size_t at = 0; (at = escaped.find('\n', at)) != std::string::npos; at += 5) {
            escaped.replace(at, 1, "<br>\n");
        }
        switch (piece.kind) {
        case DiffPiece::Kind::Same:
            html += escaped;
            break;
        case DiffPiece::Kind::Added:
            html += "<ins class=\"added\">" + escaped + "</ins>";
            break;
        case DiffPiece::Kind::Removed:
            html += "<del class=\"removed\">" + escaped + "</del>";
            break;
        }
    }
    return html;
}

std::vector<std::string> DiffLines(const std::vector<DiffPiece>& pieces)
{
    std::vector<std::string> lines;
    for (const DiffPiece& piece : pieces) {
        if (piece.kind == DiffPiece::Kind::Same) {
            continue;
        }
        std::string text;
        bool space = false;
        for (size_t at = 0; at < piece.text.size(); ++at) {
            const size_t width = SpaceAt(piece.text, at);
            if (width > 0) {
                space = !text.empty();
                at += width - 1;
                continue;
            }
            if (space) {
                text += ' ';
                space = false;
            }
            text += piece.text[at];
        }
        lines.push_back((piece.kind == DiffPiece::Kind::Added ? "+ " : "- ") + text);
    }
    return lines;
}
