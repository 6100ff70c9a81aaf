#include "app/DryRun.h"

#include "app/AppPaths.h"
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/ScratchCopy.h"
#include "util/UiText.h"

#include <cstdlib>
#include <filesystem>

namespace {

constexpr const char* kNoMonitorText = WENDAR_TR_NOOP("DryRun", "这类项目不能检查");
constexpr const char* kScratchFailedText = WENDAR_TR_NOOP("DryRun", "不能准备试验用的数据库: ");
constexpr const char* kCancelledText = WENDAR_TR_NOOP("DryRun", "检查已停止");
constexpr const char* kScratchPattern = "wendar-trial-XXXXXX";

// A directory of its own for the scratch store and the page copies a web check writes; gone with it.
class ScratchDirectory final
{
public:
    ScratchDirectory()
    {
        std::error_code ec;
        std::string pattern = (std::filesystem::temp_directory_path(ec) / kScratchPattern).string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern + "/";
        }
    }
    ~ScratchDirectory()
    {
        if (!m_path.empty()) {
            std::error_code ec;
            std::filesystem::remove_all(m_path, ec);
        }
    }
    ScratchDirectory(const ScratchDirectory&) = delete;
    ScratchDirectory& operator=(const ScratchDirectory&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

// The scratch store with the item as typed (its stored records copied), or false with a reason.
bool PrepareScratch(CAdoConnection& scratch, const std::string& dir, const std::string& mainConnectionString,
                    StoredItem& trial, std::string& error)
{
    if (dir.empty()) {
        error = UiText("DryRun", "没有临时目录");
        return false;
    }
    if (!EnsureLocalDatabase(dir + "message.dat", error)) {
        return false;
    }
    if (!scratch.Open(MainConnectionString(dir), true)) {
        error = scratch.QuietError();
        return false;
    }
    const std::string source = LocalDatabasePath(mainConnectionString);
    if (trial.item.messagetypeid != 0 && !CopyItemRecords(scratch, source, trial.item.messagetypeid, error)) {
        return false;
    }
    // An item deleted meanwhile, or never saved, is a new row here.
    const bool stored = trial.item.messagetypeid != 0 && LoadItem(scratch, trial.item.messagetypeid).has_value();
    if (!stored) {
        trial.item.messagetypeid = 0;
    }
    if (trial.item.Save(scratch) == 0 || trial.item.messagetypeid == 0 ||
        !SaveExcludeRanges(scratch, trial.item.messagetypeid, trial.excludes)) {
        error = scratch.QuietError();
        return false;
    }
    return true;
}

} // namespace

DryRunResult RunDryCheck(const std::string& mainConnectionString, const StoredItem& typed,
                         const std::atomic<bool>& cancel, const std::string& pinnedCertificate,
                         const std::map<int, MonitorFunction>& monitors)
{
    // Page copies go to the scratch directory: the item's real ones stay as they are.
    DryRunResult result;
    const auto monitor = monitors.find(typed.item.MessageCategory);
    if (monitor == monitors.end() || !monitor->second) {
        result.error = UiText("DryRun", kNoMonitorText);
        return result;
    }
    ScratchDirectory dir;
    CAdoConnection scratch;
    scratch.SetShowErrors(false);
    CAdoConnection::QuietOnThisThread quiet(scratch);
    StoredItem trial{typed.item, typed.excludes};
    trial.item.state = 1; // tried also while switched off
    std::string error;
    if (!PrepareScratch(scratch, dir.Path(), mainConnectionString, trial, error)) {
        result.error = UiText("DryRun", kScratchFailedText) + error;
        return result;
    }
    const auto before = NewestRecordId(scratch, error);
    if (!before) {
        result.error = UiText("DryRun", kScratchFailedText) + error;
        return result;
    }
    CRunState run;
    run.SetStopFlag(&cancel);
    CheckContext context{scratch, run, dir.Path(), nullptr, false, pinnedCertificate};
    monitor->second(context, trial.item);
    if (run.IsStopRequested()) {
        result.cancelled = true;
        result.error = UiText("DryRun", kCancelledText);
        return result;
    }
    if (run.ErrorCount() > 0) {
        result.error = run.LastErrorText();
        return result;
    }
    const auto found = ReadScratchFindings(scratch, *before, kDryRunSubjects, error);
    if (!found) {
        result.error = UiText("DryRun", kScratchFailedText) + error;
        return result;
    }
    result.ok = true;
    result.newFindings = found->count;
    result.subjects = found->subjects;
    scratch.Close();
    return result;
}
