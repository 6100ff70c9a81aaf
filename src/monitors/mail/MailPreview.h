#pragma once
// The first lines of a mail's body as plain text for its notice: MIME parts (RFC 2045, 2046),
// transfer encodings and charsets decoded, text/plain preferred over text/html, HTML reduced to
// its text. Untrusted input: any bytes give valid UTF-8 of bounded size, never a failure.
#include <cstddef>
#include <string>
#include <string_view>

inline constexpr std::size_t kMailPreviewBytes = 2048;
// The body lines the mail monitor asks for (POP3 "TOP n 20").
inline constexpr int kMailPreviewLines = 20;

// The preview of a mail text (header block, empty line, body; a POP3 reply's dot-stuffing and
// final "." line allowed): at most maxBytes of UTF-8, "…" at its end when it was cut; empty when
// the mail has no text part.
std::string MailPreviewText(std::string_view mail, std::size_t maxBytes = kMailPreviewBytes);

// The text of an HTML fragment: tags, comments, scripts and styles left out, line breaks for
// block elements, runs of white space made one blank, character references decoded.
std::string HtmlToPlainText(std::string_view html);
