#include "platform/AutostartEntry.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

namespace {
constexpr const char* kEntryFileName = "wendar.desktop";
constexpr const char* kHiddenStartArgument = "/R";
constexpr const char* kHomeArgument = "--home";

// freedesktop.org desktop entries, the Exec key: an argument with reserved characters stands in
// double quotes, with '"', '`', '$' and '\' escaped by a backslash; '%' is doubled (field codes).
// The string-value escape ("\\" for a backslash) applies on top of that, so a backslash takes four.
std::string QuoteExecArgument(const std::string& argument)
{
    std::string quoted = "\"";
    for (const char c : argument) {
        switch (c) {
        case '"':
        case '`':
        case '$':
            quoted += "\\\\";
            quoted += c;
            break;
        case '\\':
            quoted += "\\\\\\\\";
            break;
        case '%':
            quoted += "%%";
            break;
        default:
            quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

bool HasControlCharacter(const std::string& text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            return true;
        }
    }
    return false;
}

bool CanStandInEntry(const std::string& path)
{
    return !path.empty() && path[0] == '/' && !HasControlCharacter(path);
}
} // namespace

AutostartEntry::AutostartEntry() : AutostartEntry(DefaultDirectory()) {}

AutostartEntry::AutostartEntry(std::string autostartDirectory)
{
    m_path = std::move(autostartDirectory);
    if (!m_path.empty() && m_path.back() != '/') {
        m_path += '/';
    }
    m_path += kEntryFileName;
}

std::string AutostartEntry::DefaultDirectory()
{
    // XDG Base Directory: a relative XDG_CONFIG_HOME is invalid and must be ignored.
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    std::string base;
    if (configHome != nullptr && configHome[0] == '/') {
        base = configHome;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.config";
    }
    return base + "/autostart";
}

bool AutostartEntry::Exists() const
{
    std::error_code ec;
    return std::filesystem::is_regular_file(m_path, ec);
}

std::string AutostartEntry::EntryText(const std::string& executablePath, const std::string& dataDirectory)
{
    if (!CanStandInEntry(executablePath) || (!dataDirectory.empty() && !CanStandInEntry(dataDirectory))) {
        return {};
    }
    // "/R" stays first: only a command line that begins with it starts hidden.
    std::string arguments = kHiddenStartArgument;
    if (!dataDirectory.empty()) {
        arguments += std::string(" ") + kHomeArgument + " " + QuoteExecArgument(dataDirectory);
    }
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Wendar\n"
           "Comment=Watches databases, web pages, FTP directories and mailboxes for new messages\n"
           "Comment[zh_CN]=自动检查数据库、网页、FTP目录和邮箱中的新消息\n"
           "Exec=" +
           QuoteExecArgument(executablePath) + " " + arguments +
           "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

bool AutostartEntry::Write(const std::string& executablePath, const std::string& dataDirectory,
                           std::string& error) const
{
    const std::string text = EntryText(executablePath, dataDirectory);
    if (text.empty()) {
        error = "cannot write an autostart entry for the program path \"" + executablePath + "\"" +
                (dataDirectory.empty() ? "" : " and the data directory \"" + dataDirectory + "\"");
        return false;
    }
    const std::filesystem::path path(m_path);
    std::error_code ec;
    std::filesystem::create_directories(path.parent_path(), ec);
    if (ec) {
        error = "cannot create " + path.parent_path().string() + ": " + ec.message();
        return false;
    }
    // Written beside and renamed over, so a session starting meanwhile never sees half an entry.
    const std::string temporary = m_path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.flush();
        if (!out) {
            error = "cannot write " + temporary + ": " + std::strerror(errno);
            out.close();
            std::filesystem::remove(temporary, ec);
            return false;
        }
    }
    std::filesystem::rename(temporary, path, ec);
    if (ec) {
        error = "cannot write " + m_path + ": " + ec.message();
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        return false;
    }
    return true;
}

bool AutostartEntry::Remove(std::string& error) const
{
    std::error_code ec;
    std::filesystem::remove(m_path, ec);
    if (ec) {
        error = "cannot remove " + m_path + ": " + ec.message();
        return false;
    }
    return true;
}
