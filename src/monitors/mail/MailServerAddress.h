#pragma once
// Where a mail check item's POP3 server is: connAddress is a host name, a dotted IPv4 address or
// an IPv6 address (plain POP3), "pop3://host[:port]" (plain) or "pop3s://host[:port]" (POP3 over
// TLS), an IPv6 address with a port in brackets ("[::1]:110"); ViewName, when it holds a port,
// overrides the address's port.
#include <cstdint>
#include <string>
#include <string_view>

struct MailServerAddress
{
    std::string host;
    std::uint16_t port = 110;
    bool tls = false;

    static MailServerAddress Parse(std::string_view connAddress, std::string_view viewName);
};
