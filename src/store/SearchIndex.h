#pragma once
// The full-text index of userdata (userdata_search, kept by triggers; see res/schema.sql): the
// condition a search text adds to the message list's query, and the indexing, in steps, of the rows
// an older file held before the index existed and of those a check left to it.
//
// Errors: false with the database's own words in error; nothing is shown.
#include <string>
#include <string_view>

class CAdoConnection;

// The keys of userdata that the indexing has done and has to do; complete when done == total.
struct SearchIndexProgress
{
    long long done = 0;
    long long total = 0;
    bool Complete() const { return done >= total; }
};

bool ReadSearchIndexProgress(CAdoConnection& connection, SearchIndexProgress& progress, std::string& error);

// Indexes the next rows still waiting (about stepKeys keys) in one transaction and tells how far
// the indexing is. A step that is cut off leaves the index as it was; the next one does it again.
bool IndexNextSearchStep(CAdoConnection& connection, long long stepKeys, SearchIndexProgress& progress,
                         std::string& error);

// The statement that leaves the search index of the next ?1 records a connection inserts to the
// indexing steps (IndexNextSearchStep), run in the write transaction before the insert: indexing a
// record costs several times its insert, and a check should not wait for it. Records join the keys
// still waiting only where those end at the newest key; otherwise the statement changes nothing and
// the triggers index the records as they are inserted.
const char* DeferSearchIndexingSql();

// " and ID in (...)" for the rows whose subject, sender, receiver or content hold every word of
// text, case folded; empty for a text without words. Records still waiting for the index are
// matched by their texts (case folded for ASCII letters). Any text is safe: words are matched as
// written, never read as query syntax.
bool SearchCondition(CAdoConnection& connection, std::string_view text, std::string& condition, std::string& error);

struct SearchSql
{
    std::string condition; // as SearchCondition gives it
    // "select count(*) as total ..." over the index alone, when the index decides the whole search
    // (the index holds exactly the rows of userdata); empty otherwise.
    std::string indexCount;
};
bool SearchStatements(CAdoConnection& connection, std::string_view text, SearchSql& sql, std::string& error);
