#pragma once
// SummaryReporter: the console reporter of the benchmark programs, which also keeps every counter of
// every run (the mean over repetitions) for the summary table each program prints at the end.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace orva::bench {

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the output usually goes to a log or a report.
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            Sums& sums = m_runs[run.run_name.function_name];
            for (const auto& [name, counter] : run.counters) sums.values[name] += counter.value;
            ++sums.count;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The mean of a counter of a run, 0 when the run or the counter is missing.
    double Value(const std::string& runName, const std::string& counter) const {
        auto run = m_runs.find(runName);
        if (run == m_runs.end() || run->second.count == 0) return 0;
        auto value = run->second.values.find(counter);
        return value == run->second.values.end() ? 0 : value->second / run->second.count;
    }

private:
    struct Sums {
        std::map<std::string, double> values;
        int count = 0;
    };
    std::map<std::string, Sums> m_runs;
};

}  // namespace orva::bench
