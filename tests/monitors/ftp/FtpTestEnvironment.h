#pragma once
// What every FTP test shares: the pyftpdlib server (support/FtpServer.h), and the control script of
// scripted FTP servers.
#include "support/FtpServer.h"
#include "support/ScriptedLineServer.h"

#include <string>
#include <vector>

// A scripted FTP control connection as curl drives it: the greeting, then one reply per command
// read. The first `login` of USER, PASS, PWD, "CWD /pub", EPSV (to dataPort) and TYPE are answered,
// then `then`; an empty last reply holds the connection silent.
std::vector<ScriptedLineServer::Step> FtpControlScript(int dataPort, const std::vector<std::string>& then,
                                                       std::size_t login = 6);
