#pragma once
// A page URL split the way the web monitor and the link rewriter use it: server, object (path and
// query, never empty) and port (the scheme's default when the URL names none).
#include <string>

struct UrlParts
{
    std::string scheme; // lower case: "http" or "https" (or whatever the URL names)
    std::string server; // IPv6 addresses keep their brackets
    std::string path;   // "/" at least
    std::string object; // path, then "?" and the query when there is one
    int port = 0;

    // scheme "://" server ":" port object: the address a request is sent to.
    std::string RequestUrl() const;
};

// Splits url with libcurl's URL parser. A URL without a scheme is taken as http. False with the
// parser's reason in error when the URL is malformed (an empty URL included).
bool SplitUrl(const std::string& url, UrlParts& parts, std::string& error);
