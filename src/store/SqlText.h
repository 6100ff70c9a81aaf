#pragma once
// Building SQL as text: the one quoting helper, and the dialect rewrite of the statements the
// program is written in (Access style: "select top N", "order by -id").
#include <string>
#include <string_view>

// Doubles every single quote and drops NUL bytes, so the value can stand between single quotes in a statement.
std::string SqlEscape(std::string_view text);
// The value between single quotes, escaped: 'it''s'.
std::string SqlQuoted(std::string_view text);
// The statement with every occurrence of a placeholder ("%end") replaced by value: a number, a
// name, or a text already quoted with SqlQuoted.
std::string SqlWith(std::string sql, std::string_view placeholder, std::string_view value);
std::string SqlWith(std::string sql, std::string_view placeholder, long long value);

enum class SqlDialect
{
    Top,   // the engine knows "select top N" (Access, SQL Server)
    Limit, // SQLite, PostgreSQL, MySQL: "... limit N"
};

// "select top N rest" becomes "select rest limit N" for Limit dialects. With rewriteNegatedKeys,
// an ordering term "-name" becomes "name desc" (same order for integer keys, and an index can
// serve it).
std::string RewriteForDialect(std::string_view sql, SqlDialect dialect, bool rewriteNegatedKeys);
SqlDialect DialectForDbms(std::string_view dbmsName);
