#include "app/CHeadlessTickActions.h"
#include "app/CMainTick.h"
#include "app/CMessageOperations.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "cli/CliArgs.h"
#include "cli/Commands.h"
#include "cli/HealthOutput.h"
#include "cli/JsonWriter.h"
#include "cli/RecordJson.h"
#include "util/TerminalText.h"
#include "util/UiText.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <ctime>
#include <mutex>
#include <ostream>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// SIGINT and SIGTERM are blocked in every thread (main does it first); they are taken here.
bool WaitForSignal(std::chrono::milliseconds timeout)
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    ts.tv_nsec = static_cast<long>(timeout.count() % 1000) * 1000000L;
    return sigtimedwait(&set, nullptr, &ts) > 0;
}

// The newest record stored so far; 0 when there is none or it cannot be read.
long long NewestMessageId(CMessageOperations& messages)
{
    std::string error;
    return messages.NewestMessageId(error).value_or(0);
}

// Prints status texts as the run writes them; output from the worker and main thread is serialised.
class RunPrinter final
{
public:
    explicit RunPrinter(CliContext& context) : m_context(context) {}

    void Status(const std::string& text)
    {
        std::lock_guard guard(m_lock);
        // Status texts carry server replies and names from sources: nothing raw reaches the terminal.
        (m_context.json ? m_context.err : m_context.out) << TerminalSafe(text, false) << std::endl;
    }

    // The records stored since the last call, as "item<TAB>title<TAB>link" lines.
    void NewFindings(CMessageOperations& messages)
    {
        std::lock_guard guard(m_lock);
        std::string error;
        const auto records = messages.StoredSince(m_lastId, error);
        if (!records) {
            return;
        }
        for (const StoredRecord& record : *records) {
            if (m_context.json) {
                JsonWriter json;
                json.BeginObject().Key("finding").BeginObject();
                json.Key("ID").Value(record.id).Key("MessageTypeName").Value(record.itemName);
                json.Key("SourceInfo").Value(record.info).Key("SourceLink").Value(record.link);
                json.EndObject().EndObject();
                m_context.out << json.Text() << std::endl;
            } else {
                m_context.out << UiText("CheckCommands", "新消息\t") << PlainField(record.itemName) << '\t'
                              << PlainField(record.info) << '\t' << PlainField(record.link) << std::endl;
            }
            m_lastId = std::max<long long>(m_lastId, record.id);
        }
    }

    // A change of an item's health, once per change.
    void HealthChanged(const HealthChange& change)
    {
        std::lock_guard guard(m_lock);
        if (m_context.json) {
            JsonWriter json;
            json.BeginObject().Key("healthChange").BeginObject();
            json.Key("messagetypeid").Value(change.messagetypeid).Key("MessageTypeName").Value(change.itemName);
            json.Key("health").Value(HealthStateName(change.to)).Key("text").Value(change.text);
            json.EndObject().EndObject();
            m_context.out << json.Text() << std::endl;
        } else {
            m_context.out << UiText("CheckCommands", "状态变化\t") << PlainField(change.itemName) << '\t'
                          << HealthWord(change.to) << '\t' << PlainField(change.text) << std::endl;
        }
    }

    void SetLastId(long long id) { m_lastId = id; }
    std::mutex& Lock() { return m_lock; }

private:
    CliContext& m_context;
    std::mutex m_lock;
    long long m_lastId = 0;
};

// The checks leave the search index of what they stored to steps after the run. A step that meets
// another program's lock leaves the rest to the next run or search.
void IndexStoredFindings(CMessageOperations& messages)
{
    std::string ignored;
    messages.CompleteSearchIndex(CMessageOperations::kLongIndexStepKeys, nullptr, ignored);
}

// Runs one check run to its end; a signal asks it to stop. True when a signal arrived. The wait
// wakes on a signal or on the worker's end, whichever comes first (no polling).
bool RunChecks(CTarvoDoc& doc, const ItemPtr& item)
{
    const int ended = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    doc.SetWorkerEndedListener([ended] {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = write(ended, &one, sizeof one);
    });
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    const int signals = signalfd(-1, &set, SFD_CLOEXEC | SFD_NONBLOCK);

    bool signalled = false;
    if (item) {
        doc.CheckOne(item);
    } else {
        doc.CheckAll();
    }
    while (doc.HasRunningChecks()) {
        if (ended < 0 || signals < 0) {
            // No descriptors to wait on: fall back to short waits.
            if (WaitForSignal(std::chrono::milliseconds(100))) {
                doc.RequestStop();
                signalled = true;
            }
            continue;
        }
        pollfd fds[] = {{ended, POLLIN, 0}, {signals, POLLIN, 0}};
        // The time-out only guards against a lost wake-up; the worker's end writes the event.
        poll(fds, 2, 1000);
        if (fds[1].revents & POLLIN) {
            signalfd_siginfo info{};
            while (read(signals, &info, sizeof info) == sizeof info) {
                doc.RequestStop();
                signalled = true;
            }
        }
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t n = read(ended, &count, sizeof count);
    }
    doc.WaitForChecks();
    doc.SetWorkerEndedListener(nullptr);
    if (signals >= 0) {
        close(signals);
    }
    if (ended >= 0) {
        close(ended);
    }
    return signalled;
}

// check ID --dry-run: the item as stored, tried without writing; a signal cancels it.
int RunDryCheckCommand(CliContext& context, int id)
{
    std::string error;
    const auto stored = context.app.Items().Load(id, error);
    if (!stored) {
        context.err << (error.empty() ? UiText("CheckCommands", "没有这个检查项目: ") + std::to_string(id) : error)
                    << '\n';
        return 1;
    }
    const auto options = context.app.Health().Options(id, error);
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    DryRunResult result;
    std::thread trial([&] {
        result = context.app.DryRun(*stored, cancel, options ? options->pinnedCertificate : std::string());
        done = true;
    });
    while (!done) {
        if (WaitForSignal(std::chrono::milliseconds(200))) {
            cancel = true;
        }
    }
    trial.join();
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("dryRun").Value(true).Key("ok").Value(result.ok);
        json.Key("newFindings").Value(result.newFindings).Key("subjects").BeginArray();
        for (const auto& subject : result.subjects) {
            json.Value(subject);
        }
        json.EndArray().Key("error").Value(result.error).EndObject();
        context.out << json.Text() << '\n';
    } else if (result.ok) {
        context.out << UiText("CheckCommands", "试验检查: 新消息") << result.newFindings
                    << UiText("CheckCommands", "条 (没有保存)\n");
        for (const auto& subject : result.subjects) {
            context.out << UiText("CheckCommands", "主题\t") << PlainField(subject) << '\n';
        }
    } else {
        context.out << UiText("CheckCommands", "试验检查失败: ") << TerminalSafe(result.error, false) << '\n';
    }
    return result.ok ? 0 : 1;
}

} // namespace

int RunCheckCommand(CliContext& context, CliArgs& args)
{
    ItemPtr item;
    if (args.TakeFlag("--dry-run")) {
        const int id = ParseInt(args.Next("ID"), "ID");
        args.ExpectEnd();
        return RunDryCheckCommand(context, id);
    }
    if (args.TakeFlag("--all")) {
        args.ExpectEnd();
    } else {
        const std::string word = args.Next(UiText("CheckCommands", "ID 或 --all").c_str());
        args.ExpectEnd();
        const int id = ParseInt(word, "ID");
        item = context.Doc().FindItem(id);
        if (!item) {
            throw UsageError(UiText("CheckCommands", "没有这个检查项目: ") + word);
        }
    }
    CTarvoDoc& doc = context.Doc();
    CMessageOperations& messages = context.app.Messages();
    const long long before = NewestMessageId(messages);
    const int errorsBefore = context.app.m_run.ErrorCount();
    RunPrinter printer(context);
    context.app.m_run.SetStatusListener([&printer](const std::string& text) { printer.Status(text); });
    std::atomic<int> result{0};
    doc.SetItemCheckedListener([&result](MessageTypeInfo&, int r) { result |= r; });

    RunChecks(doc, item);
    context.app.m_run.SetStatusListener(nullptr);
    doc.SetItemCheckedListener(nullptr);

    long long stored = 0;
    std::string error;
    for (const StoredCount& count : messages.StoredCountsSince(before, error).value_or(std::vector<StoredCount>())) {
        stored += count.count;
    }
    const int errors = context.app.m_run.ErrorCount() - errorsBefore;
    if (context.json) {
        JsonWriter json;
        json.BeginObject().Key("result").Value(result.load()).Key("stored").Value(stored).Key("errors").Value(errors);
        json.Key("status").Value(context.app.m_run.GetStatusText()).EndObject();
        context.out << json.Text() << '\n';
    } else {
        context.out << UiText("CheckCommands", "检查结果:") << result.load() << UiText("CheckCommands", "\n新消息:")
                    << stored << UiText("CheckCommands", "条\n");
        if (errors > 0) {
            context.out << UiText("CheckCommands", "检查出错:") << errors << UiText("CheckCommands", "项\n");
        }
    }
    IndexStoredFindings(messages);
    // Sounds queued by the run play once it has ended; give them a moment before leaving.
    doc.Sounds().WaitUntilIdle(std::chrono::seconds(15));
    // A run in which an item could not be checked is no success, even when others found something.
    return errors > 0 ? 1 : 0;
}

int RunWatchCommand(CliContext& context, CliArgs& args)
{
    CTarvoDoc& doc = context.Doc();
    CHeadlessTickActions actions(doc);
    if (auto text = args.TakeOption("--interval-seconds")) {
        const int seconds = ParseInt(*text, "--interval-seconds");
        if (seconds < 1) {
            throw UsageError(UiText("CheckCommands", "--interval-seconds 必须大于 0"));
        }
        actions.SetPeriodOverride(std::chrono::seconds(seconds));
        doc.SetTimerPeriod(std::chrono::seconds(seconds)); // the items' schedules reckon with it
    }
    args.ExpectEnd();
    CMessageOperations& messages = context.app.Messages();
    RunPrinter printer(context);
    printer.SetLastId(NewestMessageId(messages));
    context.app.m_run.SetStatusListener([&printer](const std::string& text) { printer.Status(text); });
    doc.SetItemCheckedListener([&printer, &messages](MessageTypeInfo&, int) { printer.NewFindings(messages); });
    doc.SetHealthChangedListener([&printer](const HealthChange& change) { printer.HealthChanged(change); });

    // The frame's schedule without the frame: the once-a-second pass repeats the sounds of unread
    // findings; the auto-check timer starts the runs, the first one at once.
    CMainTick tick(doc, context.app.m_settings, actions);
    doc.RecountUnread();
    tick.Start();
    tick.OnAutoCheckTimer();
    bool running = true;
    auto nextSecond = Clock::now() + std::chrono::seconds(1);
    for (bool stop = false; !stop;) {
        const auto untilSecond = std::chrono::duration_cast<std::chrono::milliseconds>(nextSecond - Clock::now());
        stop = WaitForSignal(std::clamp(untilSecond, std::chrono::milliseconds(1), std::chrono::milliseconds(200)));
        if (running && !doc.HasRunningChecks()) {
            running = false;
            IndexStoredFindings(messages);
            doc.RecountUnread();
            printer.Status(doc.TrayTipText());
        }
        if (stop) {
            break;
        }
        if (Clock::now() >= nextSecond) {
            // A pass held up (a suspended machine) is not made up for in a burst of repeats.
            nextSecond = std::max(nextSecond + std::chrono::seconds(1), Clock::now());
            tick.OnSecond();
        }
        if (actions.TakeDueTimer()) {
            tick.OnAutoCheckTimer();
            running = true;
        }
    }
    if (running) {
        doc.RequestStop();
        doc.WaitForChecks();
        doc.RecountUnread();
        printer.Status(doc.TrayTipText());
    }
    context.app.m_run.SetStatusListener(nullptr);
    doc.SetItemCheckedListener(nullptr);
    doc.SetHealthChangedListener(nullptr);
    return 0;
}
