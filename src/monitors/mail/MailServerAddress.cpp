#include "monitors/mail/MailServerAddress.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr std::uint16_t kPop3Port = 110;
constexpr std::uint16_t kPop3sPort = 995;

std::string_view Trim(std::string_view text)
{
    constexpr std::string_view kSpace = " \t\r\n\v\f";
    const auto first = text.find_first_not_of(kSpace);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kSpace) - first + 1);
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix)
{
    return text.size() >= prefix.size() && std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
           });
}

// The decimal number at the front of text; 0 when there is none or it is no port.
std::uint16_t ReadPort(std::string_view text)
{
    long value = 0;
    std::size_t i = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10 + (text[i] - '0');
        if (value > 65535)
            return 0;
        ++i;
    }
    return static_cast<std::uint16_t>(value);
}

} // namespace

MailServerAddress MailServerAddress::Parse(std::string_view connAddress, std::string_view viewName)
{
    MailServerAddress address;
    std::string_view rest = Trim(connAddress);
    if (StartsWithNoCase(rest, "pop3s://")) {
        address.tls = true;
        rest.remove_prefix(8);
    } else if (StartsWithNoCase(rest, "pop3://")) {
        rest.remove_prefix(7);
    }
    rest = rest.substr(0, rest.find('/'));
    std::uint16_t port = 0;
    if (!rest.empty() && rest.front() == '[') {
        // An IPv6 address with a port: "[::1]:110".
        const auto close = rest.find(']');
        const std::string_view after = close == std::string_view::npos ? std::string_view{} : rest.substr(close + 1);
        if (!after.empty() && after.front() == ':')
            port = ReadPort(after.substr(1));
        rest = rest.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1);
    } else if (std::count(rest.begin(), rest.end(), ':') == 1) {
        const auto colon = rest.find(':');
        port = ReadPort(rest.substr(colon + 1));
        rest = rest.substr(0, colon);
    } // more colons: a bare IPv6 address, without a port
    address.host = std::string(rest);
    if (const std::uint16_t viewPort = ReadPort(Trim(viewName)); viewPort != 0)
        port = viewPort;
    address.port = port != 0 ? port : (address.tls ? kPop3sPort : kPop3Port);
    return address;
}
