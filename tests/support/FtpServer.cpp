#include "support/FtpServer.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

FtpServer::FtpServer()
{
    std::filesystem::create_directories(root());
    const std::string command = "exec /usr/bin/python3 '" WENDAR_TEST_SOURCE_DIR "/support/FtpServer.py' '" + root() +
                                "' '" + kUser + "' '" + kPassword + "' '" + m_dir.path() + "ftpd.log'";
    m_output = ::popen(command.c_str(), "re");
    char line[64] = {};
    if (m_output && std::fgets(line, sizeof line, m_output))
        std::sscanf(line, "%d %d", &m_port, &m_pid);
    if (m_port == 0) {
        Stop();
        throw std::runtime_error("pyftpdlib did not start (is python3-pyftpdlib installed?): " + Log());
    }
}

FtpServer::~FtpServer()
{
    Stop();
}

void FtpServer::Stop()
{
    if (m_pid > 0)
        ::kill(m_pid, SIGTERM);
    if (m_output)
        ::pclose(m_output);
}

std::string FtpServer::Log() const
{
    std::ostringstream text;
    text << std::ifstream(m_dir.path() + "ftpd.log").rdbuf();
    return text.str();
}

FtpServer& FtpServer::Shared()
{
    static FtpServer server;
    return server;
}
