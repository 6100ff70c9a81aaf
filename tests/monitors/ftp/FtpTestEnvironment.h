#pragma once
// What every FTP test shares: the pyftpdlib server (support/FtpServer.h), and the control script of
// scripted FTP servers.
#include "support/FtpServer.h"
#include "support/ScriptedLineServer.h"

#include <string>
#include <vector>

// A scripted FTP control connection as curl drives it: the greeting, then one reply per command
// read. The first `login` of USER, PASS, PWD, "CWD /pub", EPSV (to dataPort) and TYPE are answered,
// then `then`; an empty last reply holds the connection silent until the client gives up.
inline std::vector<ScriptedLineServer::Step> FtpControlScript(int dataPort, const std::vector<std::string>& then,
                                                              std::size_t login = 6)
{
    const std::string epsv = "229 Extended Passive Mode (|||" + std::to_string(dataPort) + "|)";
    std::vector<std::string> replies = {"220 Hi", "331 Password", "230 In", "257 \"/\"", "250 Ok", epsv, "200 Ok"};
    replies.resize(login + 1);
    replies.insert(replies.end(), then.begin(), then.end());
    for (std::string& reply : replies) {
        reply += reply.empty() ? "" : "\r\n";
    }
    return ScriptedLineServer::Dialogue(replies);
}
