#include "app/CTarvoApp.h"

#include "app/AppPaths.h"
#include "store/LocalDatabase.h"

#include <filesystem>

bool CTarvoApp::InitInstance(const std::string& homeOption, const std::string& executablePath, std::string& error)
{
    const AppDirectories dirs = ResolveAppDirectories(homeOption, executablePath);
    m_strAppDir = dirs.dataDir;
    m_strResourceDir = dirs.resourceDir;
    m_notices.clear();
    if (dirs.fromHomeOption) {
        // A directory the user named is used as it is, never created.
        std::error_code ec;
        if (!std::filesystem::is_directory(m_strAppDir, ec)) {
            error = "应用目录不存在: " + m_strAppDir;
            return false;
        }
    } else {
        if (!EnsureDataDirectory(m_strAppDir, error)) {
            return false;
        }
        LegacyStoreOutcome legacy = AdoptLegacyStore(executablePath, m_strAppDir);
        m_strAppDir = legacy.usedDir;
        m_notices = std::move(legacy.notices);
    }
    m_strMainConnection = MainConnectionString(m_strAppDir);
    // The presets of the application directory when it has its own, else the program's.
    std::error_code ec;
    const bool ownPresets = std::filesystem::exists(m_strAppDir + "messagetype.dat", ec);
    m_strPresetConnection = PresetConnectionString(ownPresets ? m_strAppDir : m_strResourceDir);
    if (!EnsureLocalDatabase(m_strAppDir + "message.dat", error)) {
        return false;
    }
    // The connection reports its own failure in words; keep them for the caller instead of a box.
    m_mainConnection.SetShowErrors(false);
    if (!m_mainConnection.Open(m_strMainConnection, true)) {
        error = "不能打开数据库 " + m_strAppDir + "message.dat";
        std::vector<std::string> probe;
        if (!OpenSqliteBackend(m_strAppDir + "message.dat", probe) && !probe.empty()) {
            error = probe.front();
        }
        return false;
    }
    DbResult probe;
    std::vector<std::string> errors;
    // The tables are there; "limit 0" proves it without reading a row of a million.
    for (const char* table : {"usermessagetype", "userdata", "userHttpExclude"}) {
        if (!m_mainConnection.RunQuery(std::string("select * from ") + table + " limit 0", probe, errors)) {
            error = m_strAppDir + "message.dat 不是本程序的数据库: " + (errors.empty() ? table : errors.front());
            return false;
        }
    }
    m_mainConnection.SetShowErrors(true);
    m_uiConnection.SetBusyTimeout(kUiBusyTimeout);
    m_uiConnection.SetWritePriority(true);
    if (!m_uiConnection.Open(m_strMainConnection, true)) {
        error = "不能打开数据库 " + m_strAppDir + "message.dat";
        return false;
    }
    m_settings.LoadSettings();
    return true;
}

void CTarvoApp::SetReporter(const std::shared_ptr<IMessageReporter>& reporter)
{
    m_mainConnection.SetReporter(reporter);
    m_uiConnection.SetReporter(reporter);
    m_presetConnection.SetReporter(reporter);
}

void CTarvoApp::CloseConnections()
{
    m_uiWrites.Close();
    m_uiConnection.Close();
    m_mainConnection.Close();
    m_presetConnection.Close();
}

std::string CTarvoApp::ProgramFile(const std::string& storedPath) const
{
    return ResolveProgramFile(m_strAppDir, m_strResourceDir, storedPath);
}

std::string ExecutablePath(const char* argv0)
{
    std::error_code ec;
    auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        return self.string();
    }
    return argv0 ? argv0 : "";
}
