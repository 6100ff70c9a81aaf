// The message list widget over 1,000,000 stored messages: the next page, a change of the read
// filter and a sort by a column header, each a full refill of the real list (query, unread
// recount, rows into the widget; and once more with the list painted), beside the raw SQLite
// statements for the same page in the same run. Prints the ratio list/raw at the end (goal <= 1.5
// for the refill) and the times against their goals: each refill <= 50 ms; marking all 100,000
// records of one item read <= 1 s; the unread recount after a run <= 20 ms.
#include "TimesReporter.h"
#include "app/AppConnections.h"
#include "app/CTarvoApp.h"
#include "app/CTarvoDoc.h"
#include "app/UiLanguage.h"
#include "gui/frame/GuiContext.h"
#include "gui/list/CMessageListCtrl.h"
#include "gui/list/CTarvoView.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace {

constexpr long kRows = 1000000;
constexpr long kPageSize = 100;
constexpr long kPagesWalked = 50;
constexpr long long kSortKeysStep = 2000;

class NoBoxes final : public IMessageBoxes
{
public:
    QMessageBox::StandardButton Show(QWidget*, const QString&, const QString&, QMessageBox::Icon,
                                     QMessageBox::StandardButtons, QMessageBox::StandardButton) override
    {
        return QMessageBox::Ok;
    }
};

class NoOpener final : public IDesktopOpener
{
public:
    bool Open(const QUrl&) override { return false; }
};

// The program's core on a store of kRows messages in ten items, every fourth read.
class BenchWorld final
{
public:
    BenchWorld()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendar-list-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp");
        }
        m_dir = pattern + "/";
        setenv("XDG_CONFIG_HOME", (m_dir + "config").c_str(), 1);
        SetUpLanguage(kUiLanguageChinese); // the text order both programs install at start
        std::string error;
        if (!m_app.InitInstance(m_dir, m_dir + "wendar", error)) {
            throw std::runtime_error(error);
        }
        if (sqlite3_open((m_dir + "message.dat").c_str(), &m_raw) != SQLITE_OK) {
            throw std::runtime_error("open");
        }
        sqlite3_busy_timeout(m_raw, 60000);
        Exec("pragma synchronous=normal");
        Exec("begin");
        for (int i = 1; i <= 10; ++i) {
            Exec("insert into usermessagetype (MessageCategory, MessageTypeName) values (1, 'item" + std::to_string(i) +
                 "')");
        }
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(m_raw,
                           "insert into userdata (status,userid,username,MessageCategory,MessageTypeName,MessageTypeID,"
                           "sourcedate,sourcefromname,sourceid,sourcelink,sourcecontent,sourceinfo,sourcetoname) "
                           "values (?,88,'morvaten',1,'库存通知',?,'2024年01月02日-03:04','发送人',?,"
                           "'http://127.0.0.1/x','some content of a notice, long enough to be like one',?,'接收人')",
                           -1, &insert, nullptr);
        for (long i = 0; i < kRows; ++i) {
            sqlite3_bind_int(insert, 1, i % 4 == 0 ? 1 : 0);
            sqlite3_bind_int(insert, 2, static_cast<int>(i % 10) + 1);
            const std::string id = std::to_string(i);
            sqlite3_bind_text(insert, 3, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, ("新的订单 " + id).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec("commit");
        MakeSortKeys();
        Exec("analyze");
        m_app.m_settings.pagesize = kPageSize;
        m_doc = std::make_unique<CTarvoDoc>(m_app.Db().main, m_app.m_run, m_app.m_strAppDir, nullptr);
        m_doc->ApplySettings(m_app.m_settings);
        m_doc->LoadItems();
        m_context = std::make_unique<GuiContext>(GuiContext{m_app, *m_doc, m_boxes, m_opener, nullptr});
        m_view = std::make_unique<CTarvoView>(*m_context);
        m_view->resize(800, 500);
        m_view->show();
        QCoreApplication::processEvents();
    }
    ~BenchWorld()
    {
        m_view.reset();
        m_context.reset();
        m_doc.reset();
        sqlite3_close(m_raw);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    // What the window does in the background after start: the text sorts' keys of every record.
    void MakeSortKeys()
    {
        const auto start = std::chrono::steady_clock::now();
        const double pagesBefore = Number("pragma page_count");
        std::string error;
        for (bool ready = false; !ready;) {
            const auto keys = m_app.Messages().MakeSortKeys(kSortKeysStep, error);
            if (!keys) {
                throw std::runtime_error(error);
            }
            ready = keys->Ready();
        }
        std::printf("sort keys of %ld records made in %.0f ms, %.0f MiB\n", kRows,
                    std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count(),
                    (Number("pragma page_count") - pagesBefore) * Number("pragma page_size") / (1 << 20));
    }
    double Number(const char* sql)
    {
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(m_raw, sql, -1, &stmt, nullptr);
        const double value = sqlite3_step(stmt) == SQLITE_ROW ? sqlite3_column_double(stmt, 0) : 0;
        sqlite3_finalize(stmt);
        return value;
    }

    CTarvoApp& app() { return m_app; }
    CTarvoDoc& doc() { return *m_doc; }
    CTarvoView& view() { return *m_view; }
    sqlite3* raw() { return m_raw; }
    void Exec(const std::string& sql) { sqlite3_exec(m_raw, sql.c_str(), nullptr, nullptr, nullptr); }

    // What the frame does for a page or filter change: the list's update (query, recount, rows into
    // the widget); painted: then the list drawn as the user sees it.
    void Refill(bool painted)
    {
        m_view->OnUpdate(*m_doc, nullptr, 0);
        if (painted) {
            m_view->List()->viewport()->repaint();
        }
    }

private:
    std::string m_dir;
    CTarvoApp m_app;
    sqlite3* m_raw = nullptr;
    std::unique_ptr<CTarvoDoc> m_doc;
    NoBoxes m_boxes;
    NoOpener m_opener;
    std::unique_ptr<GuiContext> m_context;
    std::unique_ptr<CTarvoView> m_view;
};

// Built on first use; ended in main while the QApplication still exists.
std::unique_ptr<BenchWorld> g_world;

BenchWorld& World()
{
    if (!g_world) {
        g_world = std::make_unique<BenchWorld>();
    }
    return *g_world;
}

// The raw statements for one page: the count, then the page's rows, every value read.
long RawPage(sqlite3* db, int filter, long page)
{
    const std::string where = filter == 1 ? "status=0" : filter == 2 ? "status=1" : "1=1";
    const std::string countSql =
        std::string("select ifnull(sum(n), 0) from userdata_counts where 1=1") + (filter == 1   ? " and status=0"
                                                                                  : filter == 2 ? " and status=1"
                                                                                                : "");
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, countSql.c_str(), -1, &stmt, nullptr);
    sqlite3_step(stmt);
    const long total = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    const std::string sql = "select ID,status,MessageTypeID,MessageCategory,bCanChangeState,MessageTypeName,"
                            "strftime('%Y年%m月%d日-%H:%M',RecieveDate),SourceFromName,SourceInfo,SourceToName,"
                            "SourceLink from userdata where " +
                            where + " order by status, id desc limit " + std::to_string(kPageSize) + " offset " +
                            std::to_string((page - 1) * kPageSize);
    sqlite3_prepare_v2(db, sql.c_str(), -1, &stmt, nullptr);
    long bytes = 0;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
        for (int i = 0; i < sqlite3_column_count(stmt); ++i) {
            bytes += sqlite3_column_bytes(stmt, i);
        }
    }
    sqlite3_finalize(stmt);
    return bytes + total;
}

void BM_ListNextPage(benchmark::State& state)
{
    BenchWorld& world = World();
    CTarvoDoc& doc = world.doc();
    doc.m_nReadFilter = 0;
    doc.m_nCurPage = 1;
    for (auto _ : state) {
        doc.m_nCurPage = doc.m_nCurPage % kPagesWalked + 1;
        doc.m_nCurMessageId = 0;
        doc.m_bReload = false;
        world.Refill(state.range(0) != 0);
    }
}

void BM_RawNextPage(benchmark::State& state)
{
    BenchWorld& world = World();
    long page = 1;
    for (auto _ : state) {
        page = page % kPagesWalked + 1;
        benchmark::DoNotOptimize(RawPage(world.raw(), 0, page));
    }
}

void BM_ListFilterChange(benchmark::State& state)
{
    BenchWorld& world = World();
    CTarvoDoc& doc = world.doc();
    doc.m_nCurPage = 1;
    for (auto _ : state) {
        doc.m_nReadFilter = (doc.m_nReadFilter + 1) % 3;
        doc.m_nCurMessageId = 0;
        doc.m_bReload = true;
        world.Refill(state.range(0) != 0);
    }
}

void BM_RawFilterChange(benchmark::State& state)
{
    BenchWorld& world = World();
    int filter = 0;
    for (auto _ : state) {
        filter = (filter + 1) % 3;
        benchmark::DoNotOptimize(RawPage(world.raw(), filter, 1));
    }
}

// The sortable columns (type, date, sender, subject, receiver) in turn, each ascending then descending.
constexpr int kSortColumns[] = {1, 1, 2, 2, 3, 3, 5, 5, 7, 7};
constexpr const char* kRawSortKeys[] = {"MessageTypeName collate nocase, id desc",
                                        "MessageTypeName collate nocase desc, id",
                                        "RecieveDate desc, id desc",
                                        "RecieveDate, id",
                                        "SourceFromName collate nocase, id desc",
                                        "SourceFromName collate nocase desc, id",
                                        "SourceInfo collate nocase, id desc",
                                        "SourceInfo collate nocase desc, id",
                                        "SourceToName collate nocase, id desc",
                                        "SourceToName collate nocase desc, id"};

void BM_ListSort(benchmark::State& state)
{
    BenchWorld& world = World();
    CTarvoDoc& doc = world.doc();
    doc.m_nReadFilter = 0;
    size_t next = 0;
    for (auto _ : state) {
        doc.m_nCurMessageId = 0;
        world.view().SortByHeader(kSortColumns[next++ % std::size(kSortColumns)]);
        if (state.range(0) != 0) {
            world.view().List()->viewport()->repaint();
        }
    }
    world.view().SortByHeader(-1);
    doc.m_sortOrder = ListOrder{};
}

void BM_RawSort(benchmark::State& state)
{
    BenchWorld& world = World();
    size_t next = 0;
    for (auto _ : state) {
        const std::string sql =
            std::string("select ID,status,MessageTypeID,MessageCategory,bCanChangeState,"
                        "MessageTypeName,strftime('%Y年%m月%d日-%H:%M',RecieveDate),"
                        "SourceFromName,SourceInfo,SourceToName,SourceLink from userdata order by ") +
            kRawSortKeys[next++ % std::size(kRawSortKeys)] + " limit " + std::to_string(kPageSize);
        sqlite3_stmt* stmt = nullptr;
        sqlite3_prepare_v2(world.raw(), sql.c_str(), -1, &stmt, nullptr);
        long bytes = 0;
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            bytes += sqlite3_column_bytes(stmt, 8);
        }
        sqlite3_finalize(stmt);
        benchmark::DoNotOptimize(bytes);
    }
}

// Every record of the first item (100,000 of the million, a quarter of them read already) marked
// read through the core's operation; between the rounds they become unread again, untimed, with
// the log of that change copied back into the file (which the program does after the change, on a
// thread of its own) so that the timed round does not share the machine with it.
void BM_MarkAllRead(benchmark::State& state)
{
    BenchWorld& world = World();
    std::string error;
    for (auto _ : state) {
        state.PauseTiming();
        world.app().Messages().SetAllRead(1, false, error);
        world.Exec("pragma wal_checkpoint(truncate)");
        state.ResumeTiming();
        if (!world.app().Messages().SetAllRead(1, true, error)) {
            state.SkipWithError(error.c_str());
        }
    }
}

// What follows a run that stored findings: every item's unread count read again.
void BM_RecountUnread(benchmark::State& state)
{
    BenchWorld& world = World();
    for (auto _ : state) {
        world.doc().RecountUnread();
        benchmark::DoNotOptimize(world.doc().m_nUnreadCount.load());
    }
}

BENCHMARK(BM_ListNextPage)->ArgName("painted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawNextPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListFilterChange)->ArgName("painted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawFilterChange)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListSort)->ArgName("painted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawSort)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkAllRead)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecountUnread)->Unit(benchmark::kMillisecond);

// Each case beside its raw SQLite twin measured in the same run, then the goals.
void PrintRatios(const TimesReporter& reporter)
{
    const auto& times = reporter.Real();
    // CPU time as well: on a shared machine the wall time also counts the waits for a core.
    std::printf("\n%-24s %12s %12s %8s %14s %14s %8s\n", "case", "list (ms)", "raw (ms)", "ratio", "list cpu (ms)",
                "raw cpu (ms)", "ratio");
    for (const char* name : {"NextPage", "FilterChange", "Sort"}) {
        const auto raw = times.find(std::string("BM_Raw") + name);
        for (const char* painted : {"/painted:0", "/painted:1"}) {
            const auto list = times.find(std::string("BM_List") + name + painted);
            if (list != times.end() && raw != times.end() && raw->second > 0) {
                const double listCpu = reporter.Cpu().at(list->first);
                const double rawCpu = reporter.Cpu().at(raw->first);
                std::printf("%-24s %12.3f %12.3f %8.2f %14.3f %14.3f %8.2f\n", (std::string(name) + painted).c_str(),
                            list->second, raw->second, list->second / raw->second, listCpu, rawCpu, listCpu / rawCpu);
            }
        }
    }
    std::printf("\n");
    for (const auto& [name, goal] :
         {std::pair{"BM_ListNextPage/painted:1", 50.0}, std::pair{"BM_ListFilterChange/painted:1", 50.0},
          std::pair{"BM_ListSort/painted:1", 50.0}, std::pair{"BM_MarkAllRead/iterations:3", 1000.0},
          std::pair{"BM_RecountUnread", 20.0}}) {
        if (const auto found = times.find(name); found != times.end()) {
            std::printf("%-32s %10.3f ms (goal <= %.0f ms)\n", name, found->second, goal);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    PrintRatios(reporter);
    std::fflush(stdout);
    g_world.reset();
    benchmark::Shutdown();
    return 0;
}
