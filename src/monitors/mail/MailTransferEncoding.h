#pragma once
// Content-Transfer-Encoding decoders for mail (RFC 2045 base64 and quoted-printable) and the
// "Q" encoding of header words (RFC 2047). Untrusted input: any bytes decode to something.
#include <string>
#include <string_view>

// Groups of four symbols, other characters skipped, missing symbols counted as padding; a group
// whose first or second symbol is padding gives nothing.
std::string DecodeBase64(std::string_view text);
// "=XX" is a byte, "=" at a line's end (blanks after it allowed) joins the lines; an '=' without
// two hex digits stays as it is. Line ends are kept as they come.
std::string DecodeQuotedPrintable(std::string_view text);
// RFC 2047 "Q": '_' is a space, "=XX" a byte; an '=' without two hex digits stays as it is.
std::string DecodeQ(std::string_view text);
