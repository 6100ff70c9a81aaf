#include "app/CTarvoApp.h"

#include "app/AppConnections.h"
#include "app/AppPaths.h"
#include "app/CMessageOperations.h"
#include "app/CTarvoDoc.h"
#include "monitors/StandardMonitors.h"
#include "store/LocalDatabase.h"
#include "util/UiText.h"

#include <filesystem>

CTarvoApp::CTarvoApp() : m_connections(std::make_unique<Connections>()) {}
CTarvoApp::~CTarvoApp() = default;

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
            error = UiText("CTarvoApp", "应用目录不存在: ") + m_strAppDir;
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
    m_connections->main.SetShowErrors(false);
    if (!m_connections->main.Open(m_strMainConnection, true)) {
        error = UiText("CTarvoApp", "不能打开数据库 ") + m_strAppDir + "message.dat";
        std::vector<std::string> probe;
        if (!OpenSqliteBackend(m_strAppDir + "message.dat", probe) && !probe.empty()) {
            error = probe.front();
        }
        return false;
    }
    std::string missing;
    if (!HasLocalTables(m_connections->main, missing)) {
        error = m_strAppDir + UiText("CTarvoApp", "message.dat 不是本程序的数据库: ") + missing;
        return false;
    }
    m_connections->main.SetShowErrors(true);
    m_connections->ui.SetWritePriority(true);
    if (!m_connections->ui.Open(m_strMainConnection, true)) {
        error = UiText("CTarvoApp", "不能打开数据库 ") + m_strAppDir + "message.dat";
        return false;
    }
    m_messages = std::make_unique<CMessageOperations>(m_connections->ui);
    m_items = std::make_unique<CItemOperations>(m_connections->ui, m_strPresetConnection);
    m_health = std::make_unique<CHealthOperations>(m_connections->ui, &m_settings);
    m_settings.LoadSettings();
    return true;
}

void CTarvoApp::SetReporter(const std::shared_ptr<IMessageReporter>& reporter)
{
    m_connections->main.SetReporter(reporter);
    m_connections->ui.SetReporter(reporter);
}

void CTarvoApp::CloseConnections()
{
    m_connections->uiWrites.Close();
    m_connections->ui.Close();
    m_connections->main.Close();
}

void CTarvoApp::UseBackgroundWrites(std::function<void(bool written, const std::string& error)> done)
{
    m_connections->ui.SetBusyTimeout(kUiBusyTimeout);
    m_messages->SendLockedWritesTo(&m_connections->uiWrites, std::move(done));
}

std::unique_ptr<CTarvoDoc> CTarvoApp::MakeDocument(std::shared_ptr<ISoundPlayer> player)
{
    auto doc = std::make_unique<CTarvoDoc>(m_connections->ui, m_run, m_strAppDir, std::move(player), m_strResourceDir);
    doc->ApplySettings(m_settings);
    doc->SetMonitors(StandardMonitors());
    return doc;
}

void CTarvoApp::PrefetchItems(CTarvoDoc& doc)
{
    doc.PrefetchItems(m_connections->main);
}

DryRunResult CTarvoApp::DryRun(const StoredItem& typed, const std::atomic<bool>& cancel,
                               const std::string& pinnedCertificate) const
{
    return RunDryCheck(m_strMainConnection, typed, cancel, pinnedCertificate);
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
