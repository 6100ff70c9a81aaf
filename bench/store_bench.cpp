// The message list and the duplicate test over 10,000 and 1,000,000 userdata rows, each beside the
// same work done with raw SQLite calls in this process. Prints the ratio ours/raw at the end.
// Targets: list pages within 1.5x of raw SQLite, about the same time at 1M as at 10k rows; the
// duplicate test flat in the table's size.
#include "TimesReporter.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageList.h"
#include "store/MessageTypeInfo.h"
#include "store/SourceRowInfo.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sqlite3.h>
#include <stdexcept>
#include <string>

namespace {

// One store per size, built on first use and kept for the whole run.
class BenchStore final
{
public:
    explicit BenchStore(long rows)
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "wendar-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            throw std::runtime_error("mkdtemp");
        }
        m_dir = pattern + "/";
        std::string error;
        if (!EnsureLocalDatabase(m_dir + "message.dat", error)) {
            throw std::runtime_error(error);
        }
        if (sqlite3_open(path().c_str(), &m_raw) != SQLITE_OK) {
            throw std::runtime_error("open");
        }
        Exec("pragma synchronous=normal");
        // Ten items; every fourth row read; long enough texts to look like real notices.
        Exec("begin");
        for (int i = 1; i <= 10; ++i) {
            Exec("insert into usermessagetype (MessageCategory, MessageTypeName) values (1, 'item" + std::to_string(i) +
                 "')");
        }
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(m_raw,
                           "insert into userdata (status,userid,username,MessageCategory,MessageTypeName,MessageTypeID,"
                           "sourcedate,sourcefromname,sourceid,sourcelink,sourcecontent,sourceinfo) values "
                           "(?,88,'morvaten',1,'item',?,'2024年01月02日-03:04','sender',?,'http://127.0.0.1/x',"
                           "'some content of a notice, long enough to be like one',?)",
                           -1, &insert, nullptr);
        for (long i = 0; i < rows; ++i) {
            sqlite3_bind_int(insert, 1, i % 4 == 0 ? 1 : 0);
            sqlite3_bind_int(insert, 2, static_cast<int>(i % 10) + 1);
            const std::string id = std::to_string(i);
            sqlite3_bind_text(insert, 3, id.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 4, ("title " + id).c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        Exec("commit");
        Exec("analyze");
        m_connection.Open("DBQ=" + path() + ";DRIVER={SQLite3}", true);
    }
    ~BenchStore()
    {
        sqlite3_close(m_raw);
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }

    std::string path() const { return m_dir + "message.dat"; }
    sqlite3* raw() { return m_raw; }
    CAdoConnection& connection() { return m_connection; }
    void Exec(const std::string& sql) { sqlite3_exec(m_raw, sql.c_str(), nullptr, nullptr, nullptr); }

private:
    std::string m_dir;
    sqlite3* m_raw = nullptr;
    CAdoConnection m_connection;
};

BenchStore& Store(long rows)
{
    static std::map<long, std::unique_ptr<BenchStore>> stores;
    auto& store = stores[rows];
    if (!store) {
        store = std::make_unique<BenchStore>(rows);
    }
    return *store;
}

// The raw equivalent of one list page: the same two statements the list runs, every value read.
long RawPage(sqlite3* db, const std::string& countSql, const std::string& where, long offset, bool fromEnd)
{
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(db, countSql.c_str(), -1, &stmt, nullptr);
    sqlite3_step(stmt);
    const long total = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    const std::string order = fromEnd
                                  ? " order by status desc, id limit 100 offset " + std::to_string(total - offset - 100)
                                  : " order by status, id desc limit 100 offset " + std::to_string(offset);
    const std::string sql = "select ID,status,MessageTypeID,MessageCategory,bCanChangeState,MessageTypeName,"
                            "RecieveDate,SourceFromName,SourceInfo,SourceToName,SourceLink from userdata where " +
                            where + order;
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

struct PageCase
{
    const char* name;
    int filter;
    int item; // 0 = all items
};
constexpr PageCase kCases[] = {{"all", kFilterAll, 0}, {"item", kFilterAll, 3}, {"unread", kFilterUnread, 0}};

void BM_ListPage(benchmark::State& state)
{
    BenchStore& store = Store(state.range(0));
    const PageCase& c = kCases[state.range(1)];
    const bool last = state.range(2) != 0;
    MessageTypeInfo item;
    item.messagetypeid = c.item;
    MessagePage page;
    for (auto _ : state) {
        LoadMessagePage(store.connection(), c.filter, c.item ? &item : nullptr, last ? 1000000 : 1, 100, page);
        benchmark::DoNotOptimize(page.rows.data());
    }
    state.SetLabel(std::string(c.name) + (last ? " last" : " first"));
}

void BM_RawListPage(benchmark::State& state)
{
    BenchStore& store = Store(state.range(0));
    const PageCase& c = kCases[state.range(1)];
    const bool last = state.range(2) != 0;
    std::string where = c.filter == kFilterUnread ? "status=0 " : "1=1 ";
    std::string countSql = std::string("select ifnull(sum(n), 0) from userdata_counts where 1=1") +
                           (c.filter == kFilterUnread ? " and status=0" : "");
    if (c.item) {
        where += " and messagetypeid=" + std::to_string(c.item);
        countSql += " and messagetypeid=" + std::to_string(c.item);
    }
    // The last page's offset, worked out as the list does.
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(store.raw(), countSql.c_str(), -1, &stmt, nullptr);
    sqlite3_step(stmt);
    const long total = sqlite3_column_int64(stmt, 0);
    sqlite3_finalize(stmt);
    const long offset = last ? (total - 1) / 100 * 100 : 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(RawPage(store.raw(), countSql, where, offset, last && total - offset == 100));
    }
    state.SetLabel(std::string(c.name) + (last ? " last" : " first"));
}

void BM_DuplicateTestAndInsert(benchmark::State& state)
{
    BenchStore& store = Store(state.range(0));
    MessageTypeInfo item;
    item.messagetypeid = 5;
    item.MessageTypeName = "item5";
    long serial = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            SourceRowInfo row;
            row.ID = "new-" + std::to_string(++serial);
            row.FromDate = "2024年01月02日-03:04";
            row.Info = "it's new";
            if (!row.IsKnown(store.connection(), item)) {
                row.Insert(store.connection(), item);
            }
        }
    }
}

void BM_RawDuplicateTestAndInsert(benchmark::State& state)
{
    BenchStore& store = Store(state.range(0));
    long serial = 0;
    for (auto _ : state) {
        for (int i = 0; i < 1000; ++i) {
            const std::string id = "raw-" + std::to_string(++serial);
            sqlite3_stmt* stmt = nullptr;
            sqlite3_prepare_v2(
                store.raw(),
                ("select * from userdata where messagetypeid=5 and sourceid='" + id + "' order by id desc limit 1")
                    .c_str(),
                -1, &stmt, nullptr);
            const bool known = sqlite3_step(stmt) == SQLITE_ROW;
            sqlite3_finalize(stmt);
            if (!known) {
                store.Exec("insert into userdata (userid,username,MessageCategory,MessageTypeName,MessageTypeID,"
                           "sourcedate,sourceid,sourcecontent,sourceinfo) values (88,'morvaten',1,'item5',5,"
                           "'2024年01月02日-03:04','" +
                           id + "',' ','it''s new')");
            }
        }
    }
}

void PageArgs(benchmark::internal::Benchmark* b)
{
    for (long rows : {10000L, 1000000L}) {
        for (long c = 0; c < 3; ++c) {
            for (long last : {0L, 1L}) {
                b->Args({rows, c, last});
            }
        }
    }
}

BENCHMARK(BM_ListPage)->Apply(PageArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RawListPage)->Apply(PageArgs)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DuplicateTestAndInsert)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_RawDuplicateTestAndInsert)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Each case beside its raw SQLite twin (BM_Raw...), measured in the same run.
void PrintRatios(const std::map<std::string, double>& times)
{
    std::printf("\n%-60s %12s %12s %8s\n", "case", "ours (ms)", "raw (ms)", "ratio");
    for (const auto& [name, ours] : times) {
        if (name.rfind("BM_Raw", 0) == 0) {
            continue;
        }
        const auto raw = times.find("BM_Raw" + name.substr(3));
        if (raw != times.end() && raw->second > 0) {
            std::printf("%-60s %12.3f %12.3f %8.2f\n", name.c_str(), ours, raw->second, ours / raw->second);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    return RunThenPrint(argc, argv, PrintRatios);
}
