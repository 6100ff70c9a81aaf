#include "FtpTestEnvironment.h"

std::vector<ScriptedLineServer::Step> FtpControlScript(int dataPort, const std::vector<std::string>& then,
                                                       std::size_t login)
{
    const std::string epsv = "229 Extended Passive Mode (|||" + std::to_string(dataPort) + "|)";
    std::vector<std::string> replies = {"220 Hi", "331 Password", "230 In", "257 \"/\"", "250 Ok", epsv, "200 Ok"};
    replies.resize(login + 1);
    replies.insert(replies.end(), then.begin(), then.end());
    for (std::string& reply : replies) {
        if (!reply.empty()) {
            reply += "\r\n";
        }
    }
    return ScriptedLineServer::Dialogue(replies); // an empty last reply: silent until the client gives up
}
