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
    if (const auto colon = rest.rfind(':'); colon != std::string_view::npos) {
        port = ReadPort(rest.substr(colon + 1));
        rest = rest.substr(0, colon);
    }
    address.host = std::string(rest);
    if (const std::uint16_t viewPort = ReadPort(Trim(viewName)); viewPort != 0)
        port = viewPort;
    address.port = port != 0 ? port : (address.tls ? kPop3sPort : kPop3Port);
    return address;
}
