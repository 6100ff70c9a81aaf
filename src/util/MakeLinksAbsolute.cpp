#include "util/MakeLinksAbsolute.h"

#include "util/UrlParts.h"

#include <cstddef>
#include <string_view>

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(text[i]) != lower(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::string UpperAscii(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Which prefix a value needs and how many of its leading characters it replaces.
struct Rewrite
{
    const std::string* prefix = nullptr; // null: the value stays
    std::size_t replaced = 0;
};

Rewrite ChooseRewrite(const LinkPrefixes& prefixes, std::string_view value)
{
    if (StartsWithNoCase(value, "http")) {
        return {};
    }
    if (!value.empty() && value.front() == '/') {
        return {&prefixes.root, 0};
    }
    if (value.substr(0, 3) == "../") {
        return {&prefixes.parent, 3};
    }
    return {&prefixes.directory, 0};
}

} // namespace

bool MakeLinkPrefixes(const std::string& baseUrl, LinkPrefixes& prefixes)
{
    UrlParts parts;
    std::string error;
    if (!SplitUrl(baseUrl, parts, error)) {
        return false;
    }
    // The folder prefixes come from the path alone: a "/" inside the query names no folder.
    const std::string origin = parts.server + ":" + std::to_string(parts.port);
    const std::string full = UpperAscii(parts.scheme) + "://" + origin + parts.path;
    const std::string f1 = full.substr(0, full.rfind('/'));
    const std::size_t slash = f1.rfind('/');
    const std::string f2 = slash == std::string::npos ? std::string() : f1.substr(0, slash);
    prefixes.directory = f1 + "/";
    prefixes.parent = f2 + "/";
    prefixes.root = parts.scheme + "://" + origin;
    return true;
}

std::string ResolveLinkValue(const LinkPrefixes& prefixes, const std::string& value)
{
    const Rewrite rewrite = ChooseRewrite(prefixes, value);
    if (rewrite.prefix == nullptr) {
        return value;
    }
    return *rewrite.prefix + value.substr(rewrite.replaced);
}

void MakeLinksAbsolute(const std::string& baseUrl, const std::string& keyword, std::string& html)
{
    LinkPrefixes prefixes;
    if (keyword.empty() || !MakeLinkPrefixes(baseUrl, prefixes)) {
        return;
    }
    std::size_t pos = html.find(keyword);
    while (pos != std::string::npos && pos > 0) {
        std::size_t value = pos + keyword.size();
        if (value < html.size() && (html[value] == '"' || html[value] == '\'')) {
            ++value;
        }
        const Rewrite rewrite = ChooseRewrite(prefixes, std::string_view(html).substr(value));
        std::size_t next = pos + keyword.size() + 1;
        if (rewrite.prefix != nullptr) {
            html.replace(value, rewrite.replaced, *rewrite.prefix);
            // Go on behind the inserted prefix: a keyword inside it is not a link of the page.
            next = value + rewrite.prefix->size();
        }
        pos = next < html.size() ? html.find(keyword, next) : std::string::npos;
    }
}
