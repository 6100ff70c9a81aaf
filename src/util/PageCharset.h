#pragma once
// Web pages as UTF-8. The charset is taken from the HTTP Content-Type, else from the page's own
// <meta charset> or http-equiv declaration, else UTF-8 when the bytes are valid UTF-8, else
// GB18030 (which reads GB2312 and GBK as well). After decoding, the page's charset declarations
// say "utf-8", so a stored copy shows right wherever it is opened.
#include <string>
#include <string_view>

// The charset parameter of a Content-Type value ("text/html; charset=GBK" gives "GBK"); empty
// when there is none.
std::string ContentTypeCharset(std::string_view contentType);
// The first charset declared by a <meta> tag within the page's head; empty when there is none.
std::string DeclaredMetaCharset(std::string_view page);

// Decodes the page in place by the rule above.
void DecodePageToUtf8(std::string& page, std::string_view contentType);
// A page copy stored by an older version may hold the page's own bytes: such a copy is decoded
// as if it had just been downloaded without a Content-Type, so that comparing it with a fresh,
// decoded page sees only real changes. A copy that is valid UTF-8 only gets its declarations
// rewritten.
void NormalizeStoredPage(std::string& copy);
