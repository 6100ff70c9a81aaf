#include "FtpTestEnvironment.h"

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <curl/curl.h>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <sys/stat.h>

namespace {

std::unique_ptr<FtpServerProcess> g_server;

class Environment final : public ::testing::Environment
{
public:
    void SetUp() override
    {
        // ctest sets these; a direct run of the binary gets the same.
        ::setenv("TZ", "Asia/Shanghai", 0);
        ::tzset();
        curl_global_init(CURL_GLOBAL_DEFAULT);
    }
    void TearDown() override
    {
        g_server.reset();
        curl_global_cleanup();
    }
};

[[maybe_unused]] auto* const g_environment = ::testing::AddGlobalTestEnvironment(new Environment);

} // namespace

FtpServerProcess& FtpTestEnvironment::Server()
{
    // Started on first use, so tests that need no server (parsers, texts) start none.
    if (!g_server) {
        g_server = std::make_unique<FtpServerProcess>();
    }
    if (!g_server->running()) {
        throw std::runtime_error("the FTP test server is not running: " + g_server->error());
    }
    return *g_server;
}

std::string FtpTestEnvironment::FreshDirectory(std::string& localPath)
{
    static std::atomic<int> counter{0};
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info ? info->name() : "dir") + "_" + std::to_string(++counter);
    for (char& c : name) {
        if (c == '/') {
            c = '_';
        }
    }
    localPath = Server().root() + name + "/";
    std::filesystem::create_directories(localPath);
    return "/" + name + "/";
}

void SetModificationTimeUtc(const std::string& path, const std::string& utc)
{
    std::tm tm{};
    if (!strptime(utc.c_str(), "%Y-%m-%d %H:%M:%S", &tm)) {
        throw std::invalid_argument("bad time " + utc);
    }
    const timespec times[2] = {{timegm(&tm), 0}, {timegm(&tm), 0}};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        throw std::runtime_error("utimensat failed on " + path);
    }
}
