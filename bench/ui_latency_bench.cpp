// How long the window waits while a database check stores a remote view of 100,000 rows (SQLite3
// ODBC driver): a message-list page (100 rows) is loaded on the window's connection once every
// 20 ms, and every fifth tick one message is marked read or unread. Three cases: nothing running,
// the check on this program's own worker, and `wendar-cli check --all` storing the same view from
// another process. Prints p50 / p99 / max in milliseconds; not a test.
// WENDAR_BENCH_ROWS changes the row count; WENDAR_CLI names the wendar-cli to run (default: the
// one beside this program).
#include "BenchSupport.h"
#include "app/CBackgroundWrites.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "monitors/CRunState.h"
#include "monitors/database/DatabaseMonitor.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageList.h"
#include "store/MessageTypeInfo.h"
#include "store/OdbcBackend.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTick = std::chrono::milliseconds(20);
constexpr int kWriteEvery = 5;
constexpr int kIdleTicks = 250;

// A local application directory with one database item on the remote view, and the window's
// connection on its message.dat.
class Home final
{
public:
    explicit Home(const std::string& remote)
    {
        const std::string path = m_dir.path() + "message.dat";
        std::string error;
        if (!EnsureLocalDatabase(path, error)) {
            throw std::runtime_error("cannot make the local store: " + error);
        }
        m_ui.SetBusyTimeout(kUiBusyTimeout);
        m_ui.SetWritePriority(true);
        if (!m_ui.Open("DBQ=" + path + ";DRIVER={SQLite3}", true)) {
            throw std::runtime_error("cannot open the local store");
        }
        MessageTypeInfo item;
        item.MessageTypeName = "通知";
        item.connAddress = remote;
        item.ViewName = "v_notice";
        item.CheckNumber = 0;
        item.Save(m_ui, 1);
        // One message to mark read and unread from the first tick on.
        m_ui.Execute("insert into userdata (status, MessageTypeID, SourceInfo) values (0, " +
                     std::to_string(item.messagetypeid) + ", 'mark me')");
        DbResult result;
        std::vector<std::string> errors;
        if (m_ui.RunQuery("select max(ID) from userdata", result, errors) && !result.rows.empty()) {
            m_markSql = "update userdata set status=1-status where ID=" + std::to_string(result.rows[0][0].integer);
        }
    }
    const std::string& markSql() const { return m_markSql; }
    const std::string& path() const { return m_dir.path(); }
    CAdoConnection& ui() { return m_ui; }

private:
    BenchDir m_dir;
    CAdoConnection m_ui;
    std::string m_markSql;
};

struct Samples
{
    std::vector<double> pageMs;
    std::vector<double> writeMs;
    int writesHandedOver = 0;
    int failures = 0;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    const auto index = static_cast<size_t>(p * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(index, values.size() - 1)];
}

void Print(const char* name, const char* what, const std::vector<double>& ms)
{
    if (ms.empty()) {
        return;
    }
    std::printf("%-34s %-12s n=%-5zu p50=%7.2f  p99=%7.2f  max=%7.2f ms\n", name, what, ms.size(), Percentile(ms, 0.50),
                Percentile(ms, 0.99), *std::max_element(ms.begin(), ms.end()));
}

void Report(const char* name, const Samples& samples, double seconds)
{
    Print(name, "page load", samples.pageMs);
    Print(name, "mark read", samples.writeMs);
    std::printf("%-34s %.1f s, %d writes handed to the background, %d failed\n", name, seconds,
                samples.writesHandedOver, samples.failures);
}

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// The window's tick: one page, and now and then one mark, until running() says the work is done.
Samples Sample(CAdoConnection& ui, const std::string& mark, const std::function<bool(int tick)>& running)
{
    CBackgroundWrites writes(ui);
    Samples samples;
    auto next = Clock::now();
    for (int tick = 0; running(tick); ++tick) {
        auto start = Clock::now();
        MessagePage page;
        if (!LoadMessagePage(ui, 0, nullptr, 1, 100, page)) {
            ++samples.failures;
        }
        samples.pageMs.push_back(Ms(Clock::now() - start));
        if (tick % kWriteEvery == 0) {
            start = Clock::now();
            std::string error;
            const auto outcome = writes.Run(
                [mark](CAdoConnection& connection, std::string& words) { return connection.Execute(mark, words); },
                nullptr, error);
            samples.writesHandedOver += outcome == CBackgroundWrites::Outcome::Deferred ? 1 : 0;
            samples.failures += outcome == CBackgroundWrites::Outcome::Failed ? 1 : 0;
            samples.writeMs.push_back(Ms(Clock::now() - start));
        }
        next += kTick;
        std::this_thread::sleep_until(next);
        if (Clock::now() > next + kTick) {
            next = Clock::now(); // a late tick is not made up for
        }
    }
    return samples;
}

std::string CliPath(const char* argv0)
{
    if (const char* cli = std::getenv("WENDAR_CLI")) {
        return cli;
    }
    return (std::filesystem::absolute(argv0).parent_path() / "wendar-cli").string();
}

} // namespace

int main(int argc, char** argv)
{
    (void)argc;
    BenchDir remoteDir;
    const std::string remote = BuildRemoteView(remoteDir);
    std::printf("%d remote rows; a page load every %lld ms, a mark every %d ticks\n", RowCount(),
                static_cast<long long>(kTick.count()), kWriteEvery);

    {
        Home home(remote);
        CRunState run;
        CTarvoDoc doc(home.ui(), run, home.path(), nullptr);
        doc.SetMonitor(kCategoryDatabase, CheckDatabase);
        doc.LoadItems();
        const auto started = Clock::now();
        doc.CheckAll();
        const Samples during = Sample(home.ui(), home.markSql(), [&doc](int) { return doc.HasRunningChecks(); });
        const double seconds = Ms(Clock::now() - started) / 1000;
        doc.WaitForChecks();
        Report("check on this program's worker", during, seconds);
        // The same loads on the same (now full) store with nothing running.
        const auto idleStart = Clock::now();
        const Samples idle = Sample(home.ui(), home.markSql(), [](int tick) { return tick < kIdleTicks; });
        Report("nothing running", idle, Ms(Clock::now() - idleStart) / 1000);
    }

    {
        Home home(remote);
        const std::string cli = CliPath(argv[0]);
        std::vector<std::string> words = {cli, "--home", home.path(), "check", "--all"};
        std::vector<char*> args;
        for (auto& word : words) {
            args.push_back(word.data());
        }
        args.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        pid_t child = 0;
        const auto started = Clock::now();
        if (posix_spawn(&child, cli.c_str(), &actions, nullptr, args.data(), environ) != 0) {
            std::fprintf(stderr, "cannot run %s\n", cli.c_str());
            return 1;
        }
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        bool ended = false;
        const Samples during = Sample(home.ui(), home.markSql(), [&](int) {
            ended = ended || waitpid(child, &status, WNOHANG) == child;
            return !ended;
        });
        if (!ended) {
            waitpid(child, &status, 0);
        }
        Report("wendar-cli check --all alongside", during, Ms(Clock::now() - started) / 1000);
        std::printf("wendar-cli exit status %d\n", WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    }
    return 0;
}
