#include "app/AppPaths.h"

#include "util/UiText.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// Set by the build from the install directories; these are the usual values.
#ifndef WENDAR_RESOURCE_RELATIVE_DIR
#define WENDAR_RESOURCE_RELATIVE_DIR "../share/wendar"
#endif
#ifndef WENDAR_RESOURCE_INSTALL_DIR
#define WENDAR_RESOURCE_INSTALL_DIR "/usr/local/share/wendar"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kStoreFile = "message.dat";
constexpr const char* kPresetFile = "messagetype.dat";

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

std::string AbsoluteDir(const std::string& dir)
{
    return WithSlash(fs::absolute(dir).lexically_normal().string());
}

std::string ExecutableDir(const std::string& executablePath)
{
    std::error_code ec;
    fs::path exe = fs::canonical(executablePath, ec);
    if (ec) {
        exe = fs::absolute(executablePath);
    }
    return WithSlash(exe.parent_path().string());
}

bool Exists(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec);
}

// rename(2), or copy and remove across file systems. The target must not exist.
bool MoveFile(const std::string& from, const std::string& to, std::string& error)
{
    if (::rename(from.c_str(), to.c_str()) == 0) {
        return true;
    }
    if (errno != EXDEV) {
        error = std::strerror(errno);
        return false;
    }
    std::error_code ec;
    if (!fs::copy_file(from, to, fs::copy_options::none, ec)) {
        error = ec.message();
        fs::remove(to, ec);
        return false;
    }
    fs::permissions(to, fs::perms::owner_read | fs::perms::owner_write, ec);
    if (!fs::remove(from, ec)) {
        error = ec.message();
        fs::remove(to, ec);
        return false;
    }
    return true;
}

} // namespace

std::string DefaultDataDirectory()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/') {
        return WithSlash(fs::path(xdg).lexically_normal().string()) + "wendar/";
    }
    std::string home;
    if (const char* env = std::getenv("HOME"); env && *env) {
        home = env;
    } else if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    return WithSlash(home) + ".local/share/wendar/";
}

std::string ResourceDirectoryFor(const std::string& executablePath)
{
    const std::string exeDir = ExecutableDir(executablePath);
    if (Exists(exeDir + kPresetFile)) {
        return exeDir;
    }
    const std::string relative =
        WithSlash((fs::path(exeDir) / WENDAR_RESOURCE_RELATIVE_DIR).lexically_normal().string());
    std::error_code ec;
    if (fs::is_directory(relative, ec)) {
        return relative;
    }
    return WithSlash(WENDAR_RESOURCE_INSTALL_DIR);
}

AppDirectories ResolveAppDirectories(const std::string& homeOption, const std::string& executablePath)
{
    AppDirectories dirs;
    dirs.resourceDir = ResourceDirectoryFor(executablePath);
    if (!homeOption.empty()) {
        dirs.dataDir = AbsoluteDir(homeOption);
        dirs.fromHomeOption = true;
    } else if (const char* env = std::getenv("WENDAR_HOME"); env && *env) {
        dirs.dataDir = AbsoluteDir(env);
        dirs.fromHomeOption = true;
    } else {
        dirs.dataDir = DefaultDataDirectory();
    }
    return dirs;
}

std::string ResolveApplicationDirectory(const std::string& homeOption, const std::string& executablePath)
{
    return ResolveAppDirectories(homeOption, executablePath).dataDir;
}

bool EnsureDataDirectory(const std::string& dir, std::string& error)
{
    std::error_code ec;
    if (fs::is_directory(dir, ec)) {
        return true;
    }
    const fs::path path = fs::path(dir).lexically_normal();
    const fs::path target = path.has_filename() ? path : path.parent_path();
    fs::create_directories(target.parent_path(), ec);
    // Private from the start: message.dat holds the sources' passwords.
    if (::mkdir(target.c_str(), 0700) != 0 && errno != EEXIST) {
        error = UiText("AppPaths", "不能创建数据目录 ") + dir + ": " + std::strerror(errno);
        return false;
    }
    if (!fs::is_directory(dir, ec)) {
        error = UiText("AppPaths", "数据目录不是一个目录: ") + dir;
        return false;
    }
    return true;
}

LegacyStoreOutcome AdoptLegacyStore(const std::string& executablePath, const std::string& dataDir)
{
    LegacyStoreOutcome outcome{{}, dataDir};
    const std::string exeDir = ExecutableDir(executablePath);
    const std::string oldStore = exeDir + kStoreFile;
    const std::string newStore = dataDir + kStoreFile;
    std::error_code ec;
    if (exeDir == dataDir || !fs::is_regular_file(oldStore, ec)) {
        return outcome;
    }
    if (Exists(newStore)) {
        outcome.notices.push_back(UiText("AppPaths", "旧的数据库 ") + oldStore + UiText("AppPaths", " 没有使用: ") +
                                  newStore + UiText("AppPaths", " 已经存在。需要旧数据库里的项目时, 用 --home ") +
                                  exeDir + UiText("AppPaths", " 打开它。"));
        return outcome;
    }
    // The write-ahead log and its index hold committed records too: they travel with the file.
    std::vector<std::string> moved;
    std::string error;
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const std::string from = oldStore + suffix;
        if (*suffix && !Exists(from)) {
            continue;
        }
        if (!MoveFile(from, newStore + suffix, error)) {
            for (const std::string& done : moved) {
                std::string ignored;
                MoveFile(newStore + done, oldStore + done, ignored);
            }
            outcome.notices.push_back(UiText("AppPaths", "不能把旧的数据库 ") + oldStore +
                                      UiText("AppPaths", " 移到 ") + newStore + ": " + error +
                                      UiText("AppPaths", "。继续使用原处的数据库。"));
            outcome.usedDir = exeDir;
            return outcome;
        }
        moved.push_back(suffix);
    }
    outcome.notices.push_back(UiText("AppPaths", "已把旧的数据库 ") + oldStore + UiText("AppPaths", " 移到 ") +
                              newStore);
    return outcome;
}

std::string MainConnectionString(const std::string& appDir)
{
    return "DBQ=" + appDir + kStoreFile + ";DRIVER={SQLite3}";
}

std::string PresetConnectionString(const std::string& appDir)
{
    return "DBQ=" + appDir + kPresetFile + ";DRIVER={SQLite3}";
}

bool IsAutoStartCommandLine(const std::string& rawCommandLine)
{
    return rawCommandLine.rfind("/R", 0) == 0;
}

std::string ResolveProgramFile(const std::string& appDir, const std::string& storedPath)
{
    return ResolveProgramFile(appDir, std::string(), storedPath);
}

std::string ResolveProgramFile(const std::string& dataDir, const std::string& resourceDir,
                               const std::string& storedPath)
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
    if (!resourceDir.empty() && !Exists(dataDir + path) && Exists(resourceDir + path)) {
        return resourceDir + path;
    }
    return dataDir + path;
}
