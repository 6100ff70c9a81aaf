#include "app/TransferHost.h"

#include "monitors/ftp/FtpAddress.h"
#include "store/MessageTypeInfo.h"
#include "util/UrlParts.h"

#include <algorithm>
#include <cctype>

std::string TransferHost(const MessageTypeInfo& item)
{
    std::string host;
    std::string error;
    if (item.MessageCategory == kCategoryWebPage) {
        UrlParts parts;
        if (SplitUrl(item.connAddress, parts, error)) {
            host = parts.server;
        }
    } else if (item.MessageCategory == kCategoryFtp) {
        FtpAddress address;
        if (ParseFtpAddress(item.connAddress, item.ViewName, address, error)) {
            host = address.host;
        }
    }
    std::transform(host.begin(), host.end(), host.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return host;
}
