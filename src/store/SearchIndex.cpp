#include "store/SearchIndex.h"

#include "store/CAdoConnection.h"
#include "store/CAdoRecordset.h"
#include "store/SqlText.h"
#include "util/SearchWords.h"
#include "util/UiText.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace {

constexpr const char* kProgressSql = "select indexedTo, indexTo from userdata_search_state";
// One step: the rows of the next keys go into the index, and the state moves past them.
constexpr const char* kIndexRowsSql =
    "insert into userdata_search (rowid, body) select ID, ifnull(SourceInfo, '') || char(10) || "
    "ifnull(SourceFromName, '') || char(10) || ifnull(SourceToName, '') || char(10) || "
    "ifnull(SourceContent, '') || char(10) from userdata where ID > %from and ID <= %to";
constexpr const char* kMoveStateSql = "update userdata_search_state set indexedTo = %to";
// The next key is one above the highest ever used (AUTOINCREMENT) or stored. Every key up to it is
// indexed when nothing waits (the triggers indexed those above indexTo); and the waiting keys can
// grow only while no indexed key lies above them.
constexpr const char* kDeferSql =
    "update userdata_search_state set indexedTo = iif(indexedTo >= indexTo, used.maxKey, indexedTo), "
    "indexTo = max(indexTo, used.maxKey + ?1) from (select max(ifnull((select seq from sqlite_sequence where "
    "name = 'userdata'), 0), ifnull((select max(ID) from userdata), 0)) as maxKey) as used "
    "where indexedTo >= indexTo or indexTo >= used.maxKey";
// The records still waiting for the index, matched by their texts.
constexpr const char* kWaitingSql = "ID > %from and ID <= %to";

// The index's terms are three characters long: a shorter word is any term that begins with it.
constexpr const char* kTermsSql = "select term from userdata_search_terms where term >= %word and term < %word || "
                                  "char(1114111) limit %limit";
// More terms than this make the query slower than reading the rows.
constexpr int kMaxTerms = 4000;
constexpr size_t kTrigram = 3;
constexpr const char* kNoRowsSql = " and 0";
constexpr const char* kMatchSql = "ID in (select rowid from userdata_search where userdata_search match %match)";
constexpr const char* kIndexCountSql =
    "select count(*) as total from userdata_search where userdata_search match %match";
// Single characters are looked for in the texts themselves.
constexpr const char* kLikeColumns[] = {"SourceInfo", "SourceFromName", "SourceToName", "SourceContent"};

bool ReadInts(CAdoConnection& connection, const std::string& sql, long long& a, long long& b, std::string& error)
{
    DbResult result;
    if (!connection.Query(sql, result, error)) {
        return false;
    }
    if (result.rows.empty() || result.rows.front().size() < 2) {
        a = b = 0;
        return true;
    }
    a = result.rows.front()[0].integer;
    b = result.rows.front()[1].integer;
    return true;
}

// A phrase of the match syntax: the text between double quotes, its double quotes doubled.
std::string Phrase(std::string_view word)
{
    std::string phrase = "\"";
    for (char c : word) {
        phrase += c;
        if (c == '"') {
            phrase += '"';
        }
    }
    return phrase + "\"";
}

std::string AsciiLower(std::string_view word)
{
    std::string lower(word);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The terms that begin with a two-character word, as one "or" group; empty when there are too many.
// Every text ends with a line break, so a word that occurs at all begins a term: none, no match.
bool ShortWordGroup(CAdoConnection& connection, std::string_view word, std::string& group, bool& none,
                    std::string& error)
{
    const std::string sql = SqlWith(SqlWith(kTermsSql, "%word", SqlQuoted(AsciiLower(word))), "%limit", kMaxTerms + 1);
    DbResult result;
    if (!connection.Query(sql, result, error)) {
        return false;
    }
    group.clear();
    none = result.rows.empty();
    if (result.rows.size() > static_cast<size_t>(kMaxTerms)) {
        return true;
    }
    for (const auto& row : result.rows) {
        group += (group.empty() ? "(" : " OR ") + Phrase(row.front().text);
    }
    if (!group.empty()) {
        group += ")";
    }
    return true;
}

// LIKE with its wildcards taken literally.
std::string LikeCondition(std::string_view word)
{
    std::string pattern = "%";
    for (char c : word) {
        if (c == '%' || c == '_' || c == '\\') {
            pattern += '\\';
        }
        pattern += c;
    }
    pattern += "%";
    std::string condition = " and (";
    bool first = true;
    for (const char* column : kLikeColumns) {
        condition += (first ? "" : " or ") + std::string(column) + " like " + SqlQuoted(pattern) + " escape '\\'";
        first = false;
    }
    return condition + ")";
}

} // namespace

const char* DeferSearchIndexingSql()
{
    return kDeferSql;
}

bool ReadSearchIndexProgress(CAdoConnection& connection, SearchIndexProgress& progress, std::string& error)
{
    return ReadInts(connection, kProgressSql, progress.done, progress.total, error);
}

bool IndexNextSearchStep(CAdoConnection& connection, long long stepKeys, SearchIndexProgress& progress,
                         std::string& error)
{
    CAdoTransaction transaction(connection);
    if (!transaction.Begin()) {
        error = transaction.Errors().empty() ? UiText("SearchIndex", "数据库正忙") : transaction.Errors().front();
        return false;
    }
    if (!ReadSearchIndexProgress(connection, progress, error)) {
        return false;
    }
    if (progress.Complete()) {
        return true;
    }
    const long long to = std::min(progress.total, progress.done + std::max(1LL, stepKeys));
    if (!connection.Execute(SqlWith(SqlWith(kIndexRowsSql, "%from", progress.done), "%to", to), error) ||
        !connection.Execute(SqlWith(kMoveStateSql, "%to", to), error) || !transaction.Commit()) {
        if (error.empty() && !transaction.Errors().empty()) {
            error = transaction.Errors().front();
        }
        return false;
    }
    progress.done = to;
    return true;
}

bool SearchCondition(CAdoConnection& connection, std::string_view text, std::string& condition, std::string& error)
{
    SearchSql sql;
    if (!SearchStatements(connection, text, sql, error)) {
        return false;
    }
    condition = std::move(sql.condition);
    return true;
}

bool SearchStatements(CAdoConnection& connection, std::string_view text, SearchSql& sql, std::string& error)
{
    sql = SearchSql();
    std::string& condition = sql.condition;
    std::string match;   // the words the index answers, as its match expression
    std::string waiting; // the same words as text conditions, for the records not in the index yet
    bool notInIndex = false;
    for (const std::string& word : SearchWords(text)) {
        const size_t length = Utf8Length(word);
        std::string part;
        if (length >= kTrigram) {
            part = Phrase(word);
        } else if (length == kTrigram - 1) {
            bool none = false;
            if (!ShortWordGroup(connection, word, part, none, error)) {
                return false;
            }
            if (part.empty() && !none) {
                condition += LikeCondition(word); // too common for the terms: read the rows
                continue;
            }
            notInIndex = notInIndex || none;
        } else {
            condition += LikeCondition(word);
            continue;
        }
        waiting += LikeCondition(word);
        if (!part.empty()) {
            match += (match.empty() ? "" : " AND ") + part;
        }
    }
    if (waiting.empty()) {
        return true; // only words the texts themselves answer
    }
    SearchIndexProgress progress;
    if (!ReadSearchIndexProgress(connection, progress, error)) {
        return false;
    }
    const std::string indexed = notInIndex ? "0" : SqlWith(kMatchSql, "%match", SqlQuoted(match));
    if (progress.Complete()) {
        if (notInIndex) {
            condition = kNoRowsSql;
            return true;
        }
        if (condition.empty()) {
            sql.indexCount = SqlWith(kIndexCountSql, "%match", SqlQuoted(match));
        }
        condition = " and " + indexed + condition;
        return true;
    }
    const std::string range = SqlWith(SqlWith(kWaitingSql, "%from", progress.done), "%to", progress.total);
    condition = " and (" + indexed + " or (" + range + waiting + "))" + condition;
    return true;
}
