#include "app/AppPaths.h"

#include <cstdlib>
#include <filesystem>

namespace {

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

} // namespace

std::string ResolveApplicationDirectory(const std::string& homeOption, const std::string& executablePath)
{
    if (!homeOption.empty()) {
        return WithSlash(std::filesystem::absolute(homeOption).lexically_normal().string());
    }
    if (const char* env = std::getenv("WENDAR_HOME"); env && *env) {
        return WithSlash(std::filesystem::absolute(env).lexically_normal().string());
    }
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::canonical(executablePath, ec);
    if (ec) {
        exe = std::filesystem::absolute(executablePath);
    }
    return WithSlash(exe.parent_path().string());
}

std::string MainConnectionString(const std::string& appDir)
{
    return "DBQ=" + appDir + "message.dat;DRIVER={SQLite3}";
}

std::string PresetConnectionString(const std::string& appDir)
{
    return "DBQ=" + appDir + "messagetype.dat;DRIVER={SQLite3}";
}

bool IsAutoStartCommandLine(const std::string& rawCommandLine)
{
    return rawCommandLine.rfind("/R", 0) == 0;
}

std::string ResolveProgramFile(const std::string& appDir, const std::string& storedPath)
{
    std::string path = storedPath;
    for (char& c : path) {
        if (c == '\\') {
            c = '/';
        }
    }
    if (path.empty() || path.front() == '/') {
        return path;
    }
    return appDir + path;
}
