#pragma once
// The real servers the CLI tests check against, each started on first use and kept for the whole
// test program: Dovecot (POP3), pyftpdlib (FTP) and a cpp-httplib page server, all on 127.0.0.1.
#include <chrono>
#include <string>

namespace LocalServers {

// POP3: the port, and delivery of one message under a unique file name (also its UIDL).
int Pop3Port();
void DeliverMail(const std::string& fileName, const std::string& text);

// FTP (anonymous): the URL of a fresh directory per call, and a file written into it.
std::string NewFtpDirectory(const std::string& name);
void WriteFtpFile(const std::string& directoryName, const std::string& fileName);

// HTTP: pages by path, each answered after `delay`; SetPage returns the page's URL.
std::string SetPage(const std::string& path, const std::string& body, std::chrono::milliseconds delay = {});

} // namespace LocalServers
