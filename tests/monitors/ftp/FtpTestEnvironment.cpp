#include "FtpTestEnvironment.h"

#include "support/TestStore.h"

#include <csignal>
#include <cstdio>
#include <curl/curl.h>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace {

std::optional<TempDir> g_dir;
FILE* g_output = nullptr; // the server's stdout; its first line is "PORT PID"
int g_port = 0;
pid_t g_pid = -1;

class Environment final : public ::testing::Environment
{
    void SetUp() override
    {
        ::setenv("TZ", "Asia/Shanghai", 1);
        ::tzset();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    }
    void TearDown() override
    {
        if (g_pid > 0) {
            ::kill(g_pid, SIGTERM);
        }
        if (g_output) {
            ::pclose(g_output);
        }
        curl_global_cleanup();
    }
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace

int FtpTestServer::Port()
{
    if (!g_dir) {
        g_dir.emplace();
        std::filesystem::create_directories(Root());
        const std::string command = "exec /usr/bin/python3 '" WENDAR_TEST_SOURCE_DIR "/support/FtpServer.py' '" +
                                    Root() + "' '" + kUser + "' '" + kPassword + "' '" + g_dir->path() + "ftpd.log'";
        g_output = ::popen(command.c_str(), "re");
        char line[64] = {};
        if (g_output && std::fgets(line, sizeof line, g_output)) {
            std::sscanf(line, "%d %d", &g_port, &g_pid);
        }
    }
    if (g_port == 0) {
        throw std::runtime_error("pyftpdlib did not start (is python3-pyftpdlib installed?): " + Log());
    }
    return g_port;
}

std::string FtpTestServer::Root()
{
    return g_dir->path() + "root/";
}

std::string FtpTestServer::Log()
{
    std::ostringstream text;
    text << std::ifstream(g_dir->path() + "ftpd.log").rdbuf();
    return text.str();
}

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
