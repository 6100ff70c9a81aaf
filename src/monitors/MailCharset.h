#pragma once
// Charset conversion of mail header text to UTF-8 (glibc iconv).
#include <string>
#include <string_view>

// Converts bytes in the named MIME charset (GB2312, GBK, Big5, ISO-8859-x, Windows-125x, UTF-8 ...)
// to UTF-8 and appends them to out. Byte sequences the charset does not allow become U+FFFD.
// Returns false, leaving out alone, when the charset is unknown.
bool AppendAsUtf8(std::string_view bytes, std::string_view charset, std::string& out);

bool IsValidUtf8(std::string_view text);
