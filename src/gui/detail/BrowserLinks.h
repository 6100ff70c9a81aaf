#pragma once
// What the detail pane's browser is showing, and which links it hands to the desktop.
#include <QUrl>

enum class BrowserMode
{
    Own,    // our start page or a notice
    Stored, // one stored page file
    Remote, // an http or https address
};

// http, https, ftp and mailto: what a clicked link or a subject may hand to the desktop's opener.
bool IsOpenableLink(const QUrl& url);
// A link as a subject or a record names it; a bare host name with an optional port and path
// ("www.example.com", "example.com:8080/a") is a web address and becomes http. Anything else
// stays as written (a connection string is no link).
QUrl LinkUrl(const QString& text);
