#pragma once
// The texts an FTP finding is stored with: its date text, the directory and entry links and the
// HTML notice the detail pane shows. Names from the server are untrusted: they are HTML-escaped
// in the notice and percent-encoded in links, so the unquoted href values stay one attribute.
#include "monitors/ftp/FtpAddress.h"
#include "monitors/ftp/FtpEntry.h"

#include <optional>
#include <string>
#include <string_view>

// Every byte but the unreserved ones (RFC 3986) as %XX; '/' too unless keepSlash.
std::string FtpPercentEncode(std::string_view text, bool keepSlash);

// "ftp://[user:password@]host[:port]/path/": credentials only for a named user, the port only
// when it is not 21.
std::string FtpDirectoryLink(const FtpAddress& address, const std::string& user, const std::string& password);
// The directory link followed by the entry's name.
std::string FtpEntryLink(const std::string& directoryLink, std::string_view entryName);

// "%Y年%m月%d日-%H:%M", or empty when the server gave no time.
std::string FtpFindingDate(const std::optional<FtpTimestamp>& time);

// The notice stored as the record's content.
std::string FtpNoticeHtml(const std::string& itemName, const std::string& directoryLink, const std::string& entryLink,
                          const FtpEntry& entry, const std::string& dateText);
