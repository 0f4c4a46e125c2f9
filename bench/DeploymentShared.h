#pragma once
// What the deployment benchmarks on SQLite (DeploymentBench.cpp) and on PostgreSQL
// (PgDeployBench.cpp) share: the packet as the publish list hands it to the engine, the clock of a
// deploy step with its per-entry counters, and a reporter that keeps those counters for the summary
// table printed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "DeploymentWorkload.h"
#include "automation/Text.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"

namespace orva::bench {

// The packet as the publish list hands it over: selection entries through BuildDeployPacket. The
// identifiers in the keys are another catalogue's; the engine finds every node by name.
inline components::VectorRef BuildPacket(const std::vector<WorkloadEntry>& workload) {
    using automation::FromUtf8;
    components::VectorRef selections = components::Vector::Create();
    for (const WorkloadEntry& entry : workload) {
        components::DictionaryRef selection = components::Dictionary::Create();
        selection->SetValue(core::selection::kTopClass,
                            core::ComposeKeyedEntry(FromUtf8(entry.topClass), u"7"));
        selection->SetValue(core::selection::kSubSystem,
                            core::ComposeKeyedEntry(FromUtf8(entry.subSystem), u"701"));
        selection->SetValue(core::selection::kSubFunc,
                            core::ComposeKeyedEntry(FromUtf8(entry.subFunc), u"7001"));
        selection->SetValue(core::selection::kFuncDetail,
                            core::ComposeKeyedEntry(FromUtf8(entry.funcName), FromUtf8(entry.classParam)));
        selection->SetValue(core::selection::kNo, FromUtf8(entry.no));
        selections->Add(selection);
    }
    return core::BuildDeployPacket(*selections);
}

// The clock of a deploy step, with counters per entry of the median iteration (BenchClock.h).
class DeployClock : public MedianClock {
public:
    using MedianClock::MedianClock;

    // Counters per entry of a deployment of entriesPerRun entries into a catalogue of detailsBefore
    // function details.
    void Report(int entriesPerRun, int64_t detailsBefore) {
        if (Empty()) return;
        double wall = MedianWall();
        double cpu = MedianCpu();
        m_state.counters["entries/s"] = entriesPerRun / wall;
        m_state.counters["us/entry"] = 1e6 * wall / entriesPerRun;
        m_state.counters["cpu_us/entry"] = 1e6 * cpu / entriesPerRun;
        m_state.counters["catalogue"] = static_cast<double>(detailsBefore);
    }
};

// Keeps every run's counters (averaged over repetitions) for the table printed at the end.
class SummaryReporter : public benchmark::ConsoleReporter {
public:
    // Plain text: the output usually goes to a log or a report.
    SummaryReporter() : ConsoleReporter(OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) continue;
            Sums& sums = m_runs[run.run_name.function_name];
            for (const char* name : {"entries/s", "us/entry", "cpu_us/entry", "catalogue"}) {
                auto counter = run.counters.find(name);
                if (counter != run.counters.end()) sums.values[name] += counter->second.value;
            }
            ++sums.count;
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The mean of a counter of a run, 0 when the run is missing.
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

inline double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

}  // namespace orva::bench
