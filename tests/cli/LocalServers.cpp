#include "LocalServers.h"

#include "support/DovecotServer.h"
#include "support/TestStore.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <httplib.h>
#include <map>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

struct Page
{
    std::string body;
    std::chrono::milliseconds delay{};
};

struct Servers
{
    std::mutex lock;
    std::unique_ptr<DovecotServer> dovecot;

    std::unique_ptr<TempDir> ftpDir;
    FILE* ftpOutput = nullptr;
    int ftpPort = 0;
    pid_t ftpPid = -1;

    std::unique_ptr<httplib::Server> http;
    std::thread httpThread;
    int httpPort = 0;
    std::map<std::string, Page> pages;

    ~Servers()
    {
        if (http) {
            http->stop();
            httpThread.join();
        }
        if (ftpPid > 0) {
            ::kill(ftpPid, SIGTERM);
        }
        if (ftpOutput) {
            ::pclose(ftpOutput);
        }
    }
};

Servers& Get()
{
    static Servers servers;
    return servers;
}

} // namespace

int LocalServers::Pop3Port()
{
    Servers& s = Get();
    std::lock_guard guard(s.lock);
    if (!s.dovecot) {
        auto server = std::make_unique<DovecotServer>();
        std::string error;
        if (!server->Start(error)) {
            throw std::runtime_error("dovecot: " + error);
        }
        s.dovecot = std::move(server);
    }
    return s.dovecot->plainPort();
}

void LocalServers::DeliverMail(const std::string& fileName, const std::string& text)
{
    Pop3Port();
    if (!Get().dovecot->AddMessage(fileName, text)) {
        throw std::runtime_error("cannot deliver " + fileName);
    }
}

std::string LocalServers::NewFtpDirectory(const std::string& name)
{
    Servers& s = Get();
    std::lock_guard guard(s.lock);
    if (!s.ftpDir) {
        s.ftpDir = std::make_unique<TempDir>();
        const std::string command = "exec /usr/bin/python3 '" WENDAR_TEST_SOURCE_DIR "/support/FtpServer.py' '" +
                                    s.ftpDir->path() + "' tester secret '" + s.ftpDir->path() + "ftpd.log'";
        s.ftpOutput = ::popen(command.c_str(), "re");
        char line[64] = {};
        if (s.ftpOutput && std::fgets(line, sizeof line, s.ftpOutput)) {
            std::sscanf(line, "%d %d", &s.ftpPort, &s.ftpPid);
        }
        if (s.ftpPort == 0) {
            throw std::runtime_error("pyftpdlib did not start (is python3-pyftpdlib installed?)");
        }
    }
    std::filesystem::create_directories(s.ftpDir->path() + name);
    return "ftp://127.0.0.1:" + std::to_string(s.ftpPort) + "/" + name + "/";
}

void LocalServers::WriteFtpFile(const std::string& directoryName, const std::string& fileName)
{
    std::ofstream(Get().ftpDir->path() + directoryName + "/" + fileName) << fileName;
}

// Starts the page server on first use; its port.
static int HttpServerPort()
{
    Servers& s = Get();
    std::lock_guard guard(s.lock);
    if (!s.http) {
        s.http = std::make_unique<httplib::Server>();
        s.http->Get(R"(/.*)", [&s](const httplib::Request& request, httplib::Response& response) {
            std::chrono::milliseconds delay{};
            {
                std::lock_guard pageGuard(s.lock);
                auto page = s.pages.find(request.path);
                if (page == s.pages.end()) {
                    response.status = 404;
                    return;
                }
                delay = page->second.delay;
                response.set_content(page->second.body, "text/html; charset=utf-8");
            }
            std::this_thread::sleep_for(delay);
        });
        s.httpPort = s.http->bind_to_any_port("127.0.0.1");
        if (s.httpPort <= 0) {
            throw std::runtime_error("cannot listen on 127.0.0.1");
        }
        s.httpThread = std::thread([&s] { s.http->listen_after_bind(); });
        for (int waited = 0; waited < 5000 && !s.http->is_running(); ++waited) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return s.httpPort;
}

std::string LocalServers::SetPage(const std::string& path, const std::string& body, std::chrono::milliseconds delay)
{
    const std::string url = "http://127.0.0.1:" + std::to_string(HttpServerPort()) + path;
    Servers& s = Get();
    std::lock_guard guard(s.lock);
    Page& page = s.pages[path];
    page.body = body;
    page.delay = delay;
    return url;
}
