// Wall time of database checks on a remote view of 100,000 rows (SQLite3 ODBC driver), CheckNumber 0:
// a first check that stores every row, a second that stores none, and beside them a plain ODBC read
// of the same rows, and the checks' ratios to that read (the goal's from pairs measured side by
// side); also the search index of the first check's rows, which the check leaves to steps after
// it. Set WENDAR_BENCH_ROWS to change the row count.
#include "BenchSupport.h"
#include "TimesReporter.h"
#include "monitors/CRunState.h"
#include "monitors/CheckContext.h"
#include "monitors/database/DatabaseMonitor.h"
#include "store/CAdoConnection.h"
#include "store/LocalDatabase.h"
#include "store/MessageTypeInfo.h"
#include "store/OdbcBackend.h"
#include "store/SearchIndex.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

// The remote view, built once through the ODBC driver itself.
class RemoteView final
{
public:
    RemoteView() : m_connection(BuildRemoteView(m_dir)) {}
    const std::string& connection() const { return m_connection; }

private:
    BenchDir m_dir;
    std::string m_connection;
};

RemoteView& Remote()
{
    static RemoteView view;
    return view;
}

// A fresh message.dat with one database item on the remote view.
class LocalStore final
{
public:
    LocalStore()
    {
        const std::string path = m_dir.path() + "message.dat";
        std::string error;
        if (!EnsureLocalDatabase(path, error) || !m_connection.Open("DBQ=" + path + ";DRIVER={SQLite3}", true)) {
            throw std::runtime_error("cannot open the local store: " + error);
        }
        m_item.MessageTypeName = "通知";
        m_item.connAddress = Remote().connection();
        m_item.ViewName = "v_notice";
        m_item.CheckNumber = 0;
        m_item.Save(m_connection, 1);
    }
    int Check()
    {
        CheckContext context{m_connection, m_run, m_dir.path()};
        return CheckDatabase(context, m_item);
    }
    int NewCount() const { return m_item.m_nNewCount; }
    // The search index of what the checks stored, in the command-line program's steps.
    bool IndexForSearch()
    {
        SearchIndexProgress progress;
        std::string error;
        do {
            if (!IndexNextSearchStep(m_connection, 5000, progress, error)) {
                return false;
            }
        } while (!progress.Complete());
        return true;
    }

private:
    BenchDir m_dir;
    CAdoConnection m_connection;
    CRunState m_run;
    MessageTypeInfo m_item;
};

// The rows read, or -1 when the read failed.
long PlainRead()
{
    std::vector<std::string> errors;
    auto db = OpenOdbcBackend(Remote().connection(), errors);
    DbResult result;
    if (!db || !db->Query("select * from v_notice order by id desc", result, errors)) {
        return -1;
    }
    return static_cast<long>(result.rows.size());
}

void BM_PlainOdbcRead(benchmark::State& state)
{
    for (auto _ : state) {
        const long rows = PlainRead();
        if (rows < 0) {
            state.SkipWithError("plain read failed");
            return;
        }
        state.counters["rows"] = static_cast<double>(rows);
    }
}

void BM_FirstCheckStoresAll(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<LocalStore>();
        state.ResumeTiming();
        if (store->Check() != 1) {
            state.SkipWithError("first check stored nothing");
            return;
        }
        state.counters["stored"] = store->NewCount();
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

void BM_SearchIndexAfterFirstCheck(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::make_unique<LocalStore>();
        store->Check();
        state.ResumeTiming();
        if (!store->IndexForSearch()) {
            state.SkipWithError("indexing failed");
            return;
        }
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

void BM_SecondCheckStoresNone(benchmark::State& state)
{
    LocalStore store;
    store.Check();
    const int stored = store.NewCount();
    for (auto _ : state) {
        if (store.Check() != 0) {
            state.SkipWithError("second check stored rows again");
            return;
        }
    }
    state.counters["stored"] = store.NewCount() - stored;
}

BENCHMARK(BM_PlainOdbcRead)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_FirstCheckStoresAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SearchIndexAfterFirstCheck)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SecondCheckStoresNone)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

double MillisecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The speed of a shared machine drifts between the phases of a run by a third and more, so the
// goal's ratio is the median of pairs, each a plain read and a first check one right after the other.
void PrintPairedFirstCheckRatio()
{
    constexpr int kPairs = 5;
    std::vector<double> ratios;
    for (int pair = 0; pair < kPairs; ++pair) {
        const double plain = MillisecondsOf([] { PlainRead(); });
        LocalStore store;
        const double check = MillisecondsOf([&store] { store.Check(); });
        ratios.push_back(check / plain);
    }
    std::sort(ratios.begin(), ratios.end());
    std::printf("first check, %d pairs side by side: median %.2fx the plain read (goal <= 3; pairs %.2f to %.2f)\n",
                kPairs, ratios[kPairs / 2], ratios.front(), ratios.back());
}

// The checks' times against the plain read of the same rows, measured in the same run.
void PrintRatios(const std::map<std::string, double>& times)
{
    const auto plain = times.find("BM_PlainOdbcRead/iterations:3/real_time");
    if (plain == times.end() || plain->second <= 0) {
        return;
    }
    for (const auto& [name, label] : {std::pair{"BM_FirstCheckStoresAll/iterations:1/real_time", "first check"},
                                      std::pair{"BM_SecondCheckStoresNone/iterations:1/real_time", "second check"},
                                      std::pair{"BM_SearchIndexAfterFirstCheck/iterations:1/real_time",
                                                "search index of the first check's rows, after it:"}}) {
        if (const auto found = times.find(name); found != times.end()) {
            std::printf("%-13s %9.0f ms = %.2fx the plain read (%.0f ms)\n", label, found->second,
                        found->second / plain->second, plain->second);
        }
    }
    PrintPairedFirstCheckRatio();
}

} // namespace

int main(int argc, char** argv)
{
    return RunThenPrint(argc, argv, PrintRatios);
}
