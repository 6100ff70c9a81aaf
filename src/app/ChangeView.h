#pragma once
// What changed, for one message record: a web page's region against the previous stored copy of
// the same page, word by word; an FTP record's new or changed entry; a database row as it came.
#include "util/WordDiff.h"

#include <string>
#include <vector>

struct ChangeView
{
    enum class Kind
    {
        Page,    // pieces compare two copies of a web page
        Entries, // pieces add the FTP entries the record names
        Row,     // pieces add the record's own fields
    };
    Kind kind = Kind::Row;
    // A web record without an older copy (the first check) shows its whole region as added.
    bool hasPrevious = false;
    std::vector<DiffPiece> pieces;
};

// The view as a page for the detail pane: a short heading, then the text with added parts marked
// and removed parts struck through.
std::string ChangeViewHtml(const ChangeView& view);
// The changes as "+ " and "- " lines for a terminal; a note when nothing changed.
std::vector<std::string> ChangeViewLines(const ChangeView& view);
