#include "store/SqlText.h"

#include <cctype>
#include <vector>

std::string SqlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (char c : text) {
        // A NUL byte ends the statement text for the engines; it is left out so the rest still stands.
        if (c == '\0') {
            continue;
        }
        out += c;
        if (c == '\'') {
            out += '\'';
        }
    }
    return out;
}

std::string SqlWith(std::string sql, std::string_view placeholder, std::string_view value)
{
    for (size_t at = sql.find(placeholder); at != std::string::npos; at = sql.find(placeholder, at + value.size())) {
        sql.replace(at, placeholder.size(), value);
    }
    return sql;
}

std::string SqlWith(std::string sql, std::string_view placeholder, long long value)
{
    return SqlWith(std::move(sql), placeholder, std::to_string(value));
}

std::string SqlQuoted(std::string_view text)
{
    return "'" + SqlEscape(text) + "'";
}

namespace {

bool IsIdentChar(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.';
}

bool StartsWithWordAt(std::string_view text, size_t pos, std::string_view word)
{
    if (pos + word.size() > text.size()) {
        return false;
    }
    for (size_t i = 0; i < word.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(text[pos + i])) != word[i]) {
            return false;
        }
    }
    size_t end = pos + word.size();
    return end == text.size() || !IsIdentChar(text[end]);
}

size_t SkipSpace(std::string_view text, size_t pos)
{
    while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
        ++pos;
    }
    return pos;
}

// Positions of a keyword outside quoted literals, case-insensitive, on word boundaries.
std::vector<size_t> FindKeyword(std::string_view sql, std::string_view lowerWord)
{
    std::vector<size_t> hits;
    char quote = 0;
    for (size_t i = 0; i < sql.size(); ++i) {
        char c = sql[i];
        if (quote) {
            if (c == quote) {
                quote = 0;
            }
            continue;
        }
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            quote = c == '[' ? ']' : c;
            continue;
        }
        if ((i == 0 || !IsIdentChar(sql[i - 1])) && StartsWithWordAt(sql, i, lowerWord)) {
            hits.push_back(i);
        }
    }
    return hits;
}

// "-name" terms of the last ORDER BY become "name desc".
std::string RewriteNegatedOrderTerms(std::string sql)
{
    auto orders = FindKeyword(sql, "order");
    if (orders.empty()) {
        return sql;
    }
    size_t pos = SkipSpace(sql, orders.back() + 5);
    if (!StartsWithWordAt(sql, pos, "by")) {
        return sql;
    }
    pos += 2;
    std::string out = sql.substr(0, pos);
    while (pos < sql.size()) {
        size_t comma = sql.find(',', pos);
        size_t end = comma == std::string::npos ? sql.size() : comma;
        std::string term = sql.substr(pos, end - pos);
        size_t a = SkipSpace(term, 0);
        size_t b = term.size();
        while (b > a && std::isspace(static_cast<unsigned char>(term[b - 1]))) {
            --b;
        }
        bool negated = b > a + 1 && term[a] == '-';
        for (size_t i = a + 1; negated && i < b; ++i) {
            negated = IsIdentChar(term[i]);
        }
        if (negated) {
            term = term.substr(0, a) + term.substr(a + 1, b - a - 1) + " desc" + term.substr(b);
        }
        out += term;
        if (comma == std::string::npos) {
            break;
        }
        out += ',';
        pos = comma + 1;
    }
    return out;
}

} // namespace

std::string RewriteForDialect(std::string_view sqlIn, SqlDialect dialect, bool rewriteNegatedKeys)
{
    std::string sql(sqlIn);
    // Only queries are written in the other dialect; an insert may carry a megabyte of page text.
    if (!StartsWithWordAt(sql, SkipSpace(sql, 0), "select")) {
        return sql;
    }
    if (rewriteNegatedKeys) {
        sql = RewriteNegatedOrderTerms(std::move(sql));
    }
    if (dialect == SqlDialect::Limit) {
        size_t pos = SkipSpace(sql, 0);
        if (StartsWithWordAt(sql, pos, "select")) {
            size_t topPos = SkipSpace(sql, pos + 6);
            if (StartsWithWordAt(sql, topPos, "top")) {
                size_t numPos = SkipSpace(sql, topPos + 3);
                size_t numEnd = numPos;
                while (numEnd < sql.size() && std::isdigit(static_cast<unsigned char>(sql[numEnd]))) {
                    ++numEnd;
                }
                if (numEnd > numPos) {
                    std::string count = sql.substr(numPos, numEnd - numPos);
                    sql = sql.substr(0, topPos) + sql.substr(SkipSpace(sql, numEnd));
                    size_t tail = sql.size();
                    while (tail > 0 &&
                           (std::isspace(static_cast<unsigned char>(sql[tail - 1])) || sql[tail - 1] == ';')) {
                        --tail;
                    }
                    sql = sql.substr(0, tail) + " limit " + count + sql.substr(tail);
                }
            }
        }
    }
    return sql;
}

SqlDialect DialectForDbms(std::string_view dbmsName)
{
    std::string lower;
    for (char c : dbmsName) {
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (lower.find("sql server") != std::string::npos || lower.find("access") != std::string::npos ||
        lower.find("sybase") != std::string::npos || lower == "accdb") {
        return SqlDialect::Top;
    }
    return SqlDialect::Limit;
}
