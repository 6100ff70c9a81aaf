#pragma once
// Word-by-word comparison of two texts for the change view: Latin words and numbers are compared
// whole, other characters (Chinese) one by one; white space is never a change. Also the visible
// text of an HTML region, which is what the view compares.
#include <string>
#include <string_view>
#include <vector>

struct DiffPiece
{
    enum class Kind
    {
        Same,
        Added,
        Removed,
    };
    Kind kind = Kind::Same;
    std::string text; // with the white space before it, from the text it comes from
};

// The new text as pieces: what both hold, what only the new one holds (added) and what only the old
// one held (removed), in reading order. Neighbouring pieces of one kind are joined.
std::vector<DiffPiece> DiffWords(std::string_view oldText, std::string_view newText);

// Whether any piece is added or removed.
bool HasChanges(const std::vector<DiffPiece>& pieces);

// The text a browser would show of an HTML fragment: tags dropped (line breaks for block ends),
// scripts and styles left out, the common entities decoded.
std::string VisibleText(std::string_view html);

// The pieces as HTML: added text marked, removed text struck through.
std::string DiffHtml(const std::vector<DiffPiece>& pieces);

// The changes as lines for a terminal: "- " before removed text, "+ " before added text, one line per
// change with its line breaks folded to spaces; unchanged text is left out.
std::vector<std::string> DiffLines(const std::vector<DiffPiece>& pieces);
