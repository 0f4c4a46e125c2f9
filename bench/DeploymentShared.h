#pragma once
// What the deployment benchmarks on SQLite (DeploymentBench.cpp) and on PostgreSQL
// (PgDeployBench.cpp) share: their cases, the packet as the publish list hands it to the engine, the
// timed loop over fresh account copies with its checks, the engine's contender, the clock of a deploy
// step with its per-entry counters, and the summary table printed at the end.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "DeploymentWorkload.h"
#include "SummaryReporter.h"
#include "automation/Text.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "core/DeployPacket.h"
#include "core/DeploymentEngine.h"
#include "core/JournaledDeployment.h"
#include "core/KeyedEntry.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

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

inline double Ratio(double a, double b) { return b > 0 ? a / b : 0; }

enum class Catalogue { Fresh, Grown };

struct Case {
    const char* name;  // "<entries>/<catalogue>", shared by both contenders
    int entries;
    Catalogue catalogue;
    WorkloadTarget target;
};

struct Benchmarked {
    Case run;
    int iterations;
};

// The cases of both benchmarks; the 1,000-entry packets into new branches run smallIterations times.
inline std::vector<Benchmarked> DeploymentCases(int smallIterations) {
    return {
        {{"1000/fresh", 1000, Catalogue::Fresh, WorkloadTarget::NewBranches}, smallIterations},
        {{"1000/grown", 1000, Catalogue::Grown, WorkloadTarget::NewBranches}, smallIterations},
        {{"10000/fresh", 10000, Catalogue::Fresh, WorkloadTarget::NewBranches}, 3},
        {{"10000/grown", 10000, Catalogue::Grown, WorkloadTarget::NewBranches}, 3},
        // The same packet size aimed at the populated sub-functions: the new detail lands among
        // 1,000 siblings.
        {{"1000/grown-populated", 1000, Catalogue::Grown, WorkloadTarget::PopulatedSubFuncs}, 3},
    };
}

// Registers Engine/<case> and Floor/<case> for every case, timed by their own clocks.
inline void RegisterDeploymentCases(const std::vector<Benchmarked>& cases,
                                    void (*engine)(benchmark::State&, Case),
                                    void (*floor)(benchmark::State&, Case)) {
    for (const Benchmarked& benchmarked : cases) {
        for (auto [contender, function] : {std::pair{"Engine/", engine}, std::pair{"Floor/", floor}}) {
            benchmark::RegisterBenchmark((contender + std::string(benchmarked.run.name)).c_str(), function,
                                         benchmarked.run)
                ->Iterations(benchmarked.iterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

// What a host does before it calls the library: publish its language and properties string.
inline void PublishHostContext(const std::string& language, const std::string& connectString) {
    using automation::FromUtf8;
    components::PublishOwnProperty(u"Language", FromUtf8(language));
    components::PublishOwnProperty(
        u"PropsString", FromUtf8("Language=" + language + ";ConnectString=" + connectString + ";"));
    hostctx::ResetModuleState();
}

// The catalogue each case left behind, by case name: the engine and the floor must build the same
// one, or the comparison would be between different amounts of work.
inline std::string CompareOutcome(const Case& run, const CatalogueCounts& after) {
    static std::map<std::string, CatalogueCounts> outcomes;
    auto [known, first] = outcomes.emplace(run.name, after);
    const CatalogueCounts& other = known->second;
    if (first || (other.topClasses == after.topClasses && other.subSystems == after.subSystems &&
                  other.subFuncs == after.subFuncs && other.details == after.details)) {
        return {};
    }
    return "the catalogue differs from the other contender's: " + std::to_string(after.Nodes()) +
           " nodes, not " + std::to_string(other.Nodes());
}

// One deployment into a fresh copy of the case's account: deploy(clock, account, workload, before)
// times its own work with the clock and returns a failure text (empty when it worked). Afterwards
// every entry must have created one function detail, and the catalogue must be the one the other
// contender built. accounts hands out the copies: Copy(Catalogue) gives a copy, Count(copy) its
// CatalogueCounts, Remove(copy) deletes it; copy.location is what deploy is given. Returns the failure;
// *detailsBefore is the catalogue's size before.
template <typename Accounts, typename Deploy>
std::string DeployIntoCopy(DeployClock& clock, const Case& run, const std::vector<WorkloadEntry>& workload,
                           Accounts& accounts, Deploy& deploy, int64_t* detailsBefore) {
    auto copy = accounts.Copy(run.catalogue);
    CatalogueCounts before = accounts.Count(copy);
    std::string failure = deploy(clock, copy.location, workload, before);
    CatalogueCounts after = accounts.Count(copy);
    accounts.Remove(copy);
    if (failure.empty() && after.details - before.details != run.entries) {
        failure = "created " + std::to_string(after.details - before.details) + " function details, not " +
                  std::to_string(run.entries);
    }
    if (failure.empty()) failure = CompareOutcome(run, after);
    *detailsBefore = before.details;
    return failure;
}

// Runs DeployIntoCopy once per iteration.
template <typename Accounts, typename Deploy>
void TimeDeployments(benchmark::State& state, const Case& run, Accounts& accounts, Deploy deploy) {
    std::vector<WorkloadEntry> workload = MakeWorkload(run.entries, run.target);
    DeployClock clock(state);
    int64_t detailsBefore = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string failure = DeployIntoCopy(clock, run, workload, accounts, deploy, &detailsBefore);
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    clock.Report(run.entries, detailsBefore);
}

// The engine with its journal's share, measured in pairs: every iteration deploys the packet once
// journaled (deploy(..., true), the iteration's time and the usual counters) and once without the
// journal (deploy(..., false)), each into a fresh copy, the two in turns (journaled first in even
// iterations, last in odd ones) so that a change of load on the machine meets both alike. Counters:
// "bare us/entry", the median of the runs without the journal, and "jrnl%", "jrnl% min", "jrnl% max":
// the median, smallest and largest of the pairs' shares 100 * (journaled - bare) / journaled of the
// wall time; "jrnl cpu%" ... the same of this thread's CPU time (which a loaded machine disturbs less).
template <typename Accounts, typename Deploy>
void TimeJournaledPairs(benchmark::State& state, const Case& run, Accounts& accounts, Deploy deploy) {
    std::vector<WorkloadEntry> workload = MakeWorkload(run.entries, run.target);
    DeployClock journaledClock(state);
    DeployClock bareClock(state, false);
    auto contender = [&](bool journaled) {
        return
            [&deploy, journaled](DeployClock& clock, const std::string& location,
                                 const std::vector<WorkloadEntry>& entries, const CatalogueCounts& before) {
                return deploy(clock, location, entries, before, journaled);
            };
    };
    auto journaled = contender(true);
    auto bare = contender(false);
    int64_t detailsBefore = 0;
    int iteration = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string failure;
        for (bool journaledTurn : {iteration % 2 == 0, iteration % 2 != 0}) {
            if (failure.empty()) {
                failure =
                    journaledTurn
                        ? DeployIntoCopy(journaledClock, run, workload, accounts, journaled, &detailsBefore)
                        : DeployIntoCopy(bareClock, run, workload, accounts, bare, &detailsBefore);
            }
        }
        ++iteration;
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    journaledClock.Report(run.entries, detailsBefore);
    if (bareClock.Empty()) return;
    state.counters["bare us/entry"] = 1e6 * bareClock.MedianWall() / run.entries;
    // The pairs' shares of the wall time ("jrnl%") and of the CPU time ("jrnl cpu%"): median, smallest
    // and largest.
    auto shares = [&](const std::vector<double>& withJournal, const std::vector<double>& without,
                      const std::string& name) {
        std::vector<double> pairs;
        for (size_t i = 0; i < withJournal.size() && i < without.size(); ++i)
            pairs.push_back(100 * (withJournal[i] - without[i]) / withJournal[i]);
        if (pairs.empty()) return;
        state.counters[name] = Median(pairs);
        state.counters[name + " min"] = *std::min_element(pairs.begin(), pairs.end());
        state.counters[name + " max"] = *std::max_element(pairs.begin(), pairs.end());
    };
    shares(journaledClock.Walls(), bareClock.Walls(), "jrnl%");
    shares(journaledClock.Cpus(), bareClock.Cpus(), "jrnl cpu%");
}

// The engine's contender: builds the packet and times DeployPacketToCatalogue alone (journaled: as
// one run of the deployment journal, as a host's deployment runs). Its message list must hold one
// line per node created (nodesAfter() counts them), one per entry, one for the end.
template <typename CountNodes>
std::string DeployWithEngine(DeployClock& clock, const std::vector<WorkloadEntry>& workload,
                             const CatalogueCounts& before, CountNodes nodesAfter, bool journaled = false) {
    components::VectorRef packet = BuildPacket(workload);
    components::VectorRef messages;
    clock.Start();
    bool ok = journaled ? core::DeployJournaled(components::JournalRunInfo(), packet, messages)
                        : core::DeployPacketToCatalogue(packet, messages);
    clock.Stop();
    if (!ok)
        return "the engine failed: " + automation::ToUtf8Lossy(messages->Item(messages->Count()).ToText());
    int64_t expected = nodesAfter() - before.Nodes() + 1;
    if (messages->Count() != expected) {
        return "the engine wrote " + std::to_string(messages->Count()) + " message lines, not " +
               std::to_string(expected);
    }
    return {};
}

// The table of engine against floor for every case that ran, how the time per entry grows with the
// catalogue, and the crowded sub-functions' line. accountKind names what each run copies ("account").
inline void PrintDeploymentSummary(const SummaryReporter& reporter, const std::vector<Benchmarked>& cases,
                                   const char* accountKind, const std::string& language, int grownDetails) {
    auto value = [&](const char* contender, const std::string& name, const char* counter) {
        return reporter.Value(std::string(contender) + "/" + name, counter);
    };
    std::printf(
        "\nDeployment into a fresh copy of the %s per run (language %s); median wall time of the "
        "deploy call.\n",
        accountKind, language.c_str());
    std::printf("%-22s %10s %12s %12s %8s %10s %10s %8s %9s %7s %13s %9s %13s\n", "case (entries/target)",
                "details", "engine e/s", "floor e/s", "eng/flr", "eng us/e", "flr us/e", "cpu e/f",
                "eng cpu%", "jrnl%", "jrnl% range", "jrnl cpu%", "cpu% range");
    for (const Benchmarked& benchmarked : cases) {
        std::string name = benchmarked.run.name;
        double engine = value("Engine", name, "us/entry");
        double floor = value("Floor", name, "us/entry");
        if (engine == 0 && floor == 0) continue;
        double engineCpu = value("Engine", name, "cpu_us/entry");
        double floorCpu = value("Floor", name, "cpu_us/entry");
        // The journal's share: the median of the paired runs' shares, with their smallest and largest.
        bool paired = value("Engine", name, "bare us/entry") > 0;
        auto share = [&](const std::string& counter) {
            char text[24] = "-";
            if (paired) std::snprintf(text, sizeof text, "%.0f%%", value("Engine", name, counter.c_str()));
            return std::string(text);
        };
        auto range = [&](const std::string& counter) {
            char text[32] = "-";
            if (paired) {
                std::snprintf(text, sizeof text, "%.0f..%.0f%%",
                              value("Engine", name, (counter + " min").c_str()),
                              value("Engine", name, (counter + " max").c_str()));
            }
            return std::string(text);
        };
        std::printf("%-22s %10.0f %12.0f %12.0f %8.2f %10.1f %10.1f %8.2f %8.0f%% %7s %13s %9s %13s\n",
                    name.c_str(), value(engine > 0 ? "Engine" : "Floor", name, "catalogue"),
                    value("Engine", name, "entries/s"), value("Floor", name, "entries/s"),
                    Ratio(engine, floor), engine, floor, Ratio(engineCpu, floorCpu),
                    100 * Ratio(engineCpu, engine), share("jrnl%").c_str(), range("jrnl%").c_str(),
                    share("jrnl cpu%").c_str(), range("jrnl cpu%").c_str());
    }
    std::printf("\nTime per entry, grown catalogue / fresh (goal: about 1, flat):\n");
    for (const char* entries : {"1000", "10000"}) {
        for (const char* contender : {"Engine", "Floor"}) {
            double fresh = value(contender, std::string(entries) + "/fresh", "us/entry");
            double grown = value(contender, std::string(entries) + "/grown", "us/entry");
            if (fresh > 0 && grown > 0) {
                std::printf("  %-6s %5s entries: %7.1f -> %7.1f us/entry  x%.2f\n", contender, entries, fresh,
                            grown, grown / fresh);
            }
        }
    }
    double crowdedEngine = value("Engine", "1000/grown-populated", "us/entry");
    double crowdedFloor = value("Floor", "1000/grown-populated", "us/entry");
    double newEngine = value("Engine", "1000/grown", "us/entry");
    if (crowdedEngine > 0 && crowdedFloor > 0) {
        std::printf(
            "Into sub-functions with %d siblings each: engine %.1f us/entry (x%.2f of new branches), floor "
            "%.1f us/entry, engine/floor %.2f\n",
            grownDetails / kPopulatedSubFuncs, crowdedEngine, Ratio(crowdedEngine, newEngine), crowdedFloor,
            Ratio(crowdedEngine, crowdedFloor));
    }
    std::printf(
        "Goal: engine/floor at most 2 in every row, the journal at most 10%% of the engine's time (jrnl%%: "
        "the "
        "median share of paired runs with and without the journal, in turns; the range is theirs).\n");
}

}  // namespace orva::bench
