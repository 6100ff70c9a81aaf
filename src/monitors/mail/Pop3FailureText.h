#pragma once
// What a failed POP3 dialogue means for the user, in one place for the mail monitor.
#include <cstdint>
#include <string>

class CPop3Client;

// The sentence for the client's last failure on a dialogue with host and port, e.g.
// "无法连接服务器 127.0.0.1:1100", followed by the client's own words in parentheses.
std::string Pop3FailureText(const CPop3Client& client, const std::string& host, std::uint16_t port);
