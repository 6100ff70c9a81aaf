#pragma once
// What every FTP test shares: libcurl initialised once, the time zone fixed to Asia/Shanghai, one
// pyftpdlib server (support/FtpServer.py) on 127.0.0.1 for the whole run, started on first use, and
// the control script of scripted FTP servers.
#include "support/ScriptedLineServer.h"

#include <string>
#include <vector>

namespace FtpTestServer {
inline const std::string kUser = "tester";
inline const std::string kPassword = "p@ss word";
int Port();         // throws when the server does not start
std::string Root(); // the served directory on disk, ends with '/'
std::string Log();
} // namespace FtpTestServer

// A scripted FTP control connection as curl drives it: the greeting, then one reply per command
// read. The first `login` of USER, PASS, PWD, "CWD /pub", EPSV (to dataPort) and TYPE are answered,
// then `then`; an empty last reply holds the connection silent.
std::vector<ScriptedLineServer::Step> FtpControlScript(int dataPort, const std::vector<std::string>& then,
                                                       std::size_t login = 6);
