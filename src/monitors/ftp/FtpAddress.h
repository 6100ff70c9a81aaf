#pragma once
// Where an FTP check item points: the server, port and directory of its address, with the port
// override of the item's ViewName applied.
#include <string>

struct FtpAddress
{
    std::string host; // as the URL names it; an IPv6 address keeps its brackets
    int port = 21;
    std::string path; // decoded, begins and ends with '/'
};

inline constexpr int kDefaultFtpPort = 21;

// Splits an "ftp://host[:port]/path" address with libcurl's URL parser. When portOverride is
// not empty, the decimal number read from it replaces the port (its low 16 bits; 0 gives 21);
// text holding no number leaves the port of the URL. False with a reason in error when the
// address is no FTP URL.
bool ParseFtpAddress(const std::string& url, const std::string& portOverride, FtpAddress& address, std::string& error);
