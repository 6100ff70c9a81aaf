#pragma once
// Rewriting relative link values of an HTML text into absolute URLs, for frame sources and for
// the detail pane. Only the value after each keyword is looked at; nothing else changes.
#include <string>

// The three prefixes a relative value gets, worked out from a base URL.
struct LinkPrefixes
{
    std::string directory; // for "x.gif": the base's folder, ending in "/"
    std::string parent;    // for "../x.gif": the folder above, ending in "/"
    std::string root;      // for "/x.gif": scheme, server and port, no "/" at the end
};

// False when the base URL cannot be split.
bool MakeLinkPrefixes(const std::string& baseUrl, LinkPrefixes& prefixes);

// The absolute form of one link value (without quotes): values starting with "http" in any case
// stay, "/..." gets the root, one leading "../" is replaced by the parent, all else gets the folder.
std::string ResolveLinkValue(const LinkPrefixes& prefixes, const std::string& value);

// Rewrites, in place, the value after every case-sensitive occurrence of keyword (e.g. "SRC=").
// A keyword at the very first character ends the pass. A base URL that cannot be split changes
// nothing.
void MakeLinksAbsolute(const std::string& baseUrl, const std::string& keyword, std::string& html);
