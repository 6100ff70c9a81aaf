#pragma once
// Text from other systems as UTF-8: charset conversion (glibc iconv), checks, and escaping for
// the HTML notices the detail pane shows.
#include <cstddef>
#include <string>
#include <string_view>

// Converts bytes in the named MIME charset (GB2312, GBK, Big5, ISO-8859-x, Windows-125x, UTF-8 ...)
// to UTF-8 and appends them to out. Byte sequences the charset does not allow become U+FFFD.
// Returns false, leaving out alone, when the charset is unknown.
bool AppendAsUtf8(std::string_view bytes, std::string_view charset, std::string& out);

bool IsValidUtf8(std::string_view text);
// The length of the valid UTF-8 sequence at the start of text; 0 when there is none.
std::size_t Utf8SequenceLength(std::string_view text);

// Names and header text that are not UTF-8 come from old Chinese systems: read them as GB18030;
// what fits neither becomes U+FFFD. The result is always valid UTF-8.
std::string DisplayText(std::string_view raw);

// At most maxBytes bytes of the text, cut before a UTF-8 character that would not fit whole.
std::string CutUtf8(const std::string& text, std::size_t maxBytes);

// Escapes & < > " ' so that text stays text inside HTML, also inside attribute values.
std::string HtmlEscape(std::string_view text);
