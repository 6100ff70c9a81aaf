#pragma once
// A console reporter that keeps every run's times, so that a benchmark can print its ratios to the
// baselines measured in the same run once all have run.
#include <benchmark/benchmark.h>
#include <map>
#include <string>
#include <vector>

class TimesReporter final : public benchmark::ConsoleReporter
{
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const auto& run : runs) {
            m_real[run.benchmark_name()] = run.GetAdjustedRealTime();
            m_cpu[run.benchmark_name()] = run.GetAdjustedCPUTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // By benchmark name, in the benchmarks' unit.
    const std::map<std::string, double>& Real() const { return m_real; }
    const std::map<std::string, double>& Cpu() const { return m_cpu; }

private:
    std::map<std::string, double> m_real;
    std::map<std::string, double> m_cpu;
};

// The whole main of a benchmark that prints its ratios after the run.
inline int RunThenPrint(int argc, char** argv, void (*print)(const std::map<std::string, double>& realTimes))
{
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    print(reporter.Real());
    benchmark::Shutdown();
    return 0;
}
