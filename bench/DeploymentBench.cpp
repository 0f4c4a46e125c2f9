// Deploys packets of 1,000 and 10,000 entries with DeployPacketToCatalogue into a demo account as it
// is created and into one grown to 100,000 function details, and the same entries through the
// raw-SQLite floor (DeploymentFloor.h); prints entries per second, the engine/floor ratio and how the
// time per entry changes with the size of the catalogue. The goals: the engine within 2x of the
// floor, and a time per entry that does not grow with the catalogue.
//
// Every run deploys into a fresh copy of the account; copying, publishing the host context, building
// the packet and checking the result afterwards are outside the time. The time is wall time (the
// commits write the WAL, and a checkpoint waits for the disk); CPU time is reported beside it.
//
// Usage: DeploymentBench [--grown-details=N] [--language=CHS|CHT|EN] [Google Benchmark options]
// (bench/run-deploy-bench.sh builds and runs it). Account copies go to $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "DeploymentFloor.h"
#include "DeploymentShared.h"
#include "DeploymentWorkload.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "core/DeploymentEngine.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

namespace {

using namespace orva;
using namespace orva::automation;
using namespace orva::bench;
using namespace orva::components;
namespace fs = std::filesystem;

int g_grownDetails = 100000;
std::string g_language = "EN";

enum class Catalogue { Fresh, Grown };

// The two account files every run copies: the demo account, and the demo account grown.
struct Templates {
    fs::path folder;
    std::string fresh;
    std::string grown;
    int copies = 0;

    Templates() {
        std::string pattern = (fs::temp_directory_path() / "orva-deploy-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        fresh = (folder / "fresh.db").string();
        grown = (folder / "grown.db").string();
        CreateAccountFile(fresh, {.demo = true});
        CreateAccountFile(grown, {.demo = true});
        GrowCatalogue(grown, g_grownDetails);
    }
    ~Templates() {
        CloseIdleAccountConnections();
        fs::remove_all(folder);
    }

    // A new copy of a template under a name never used before.
    std::string Copy(Catalogue catalogue) {
        std::string path = (folder / ("run-" + std::to_string(++copies) + ".db")).string();
        fs::copy_file(catalogue == Catalogue::Fresh ? fresh : grown, path);
        return path;
    }
};

Templates& Data() {
    static Templates templates;
    return templates;
}

void RemoveAccount(const std::string& path) {
    CloseIdleAccountConnections();
    for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
}

// What a host does before it calls the library: publish its language and properties string.
void PublishHostContext(const std::string& path) {
    PublishOwnProperty(u"Language", FromUtf8(g_language));
    PublishOwnProperty(u"PropsString",
                       FromUtf8("Language=" + g_language + ";ConnectString=sqlite:" + path + ";"));
    hostctx::ResetModuleState();
}

struct Case {
    const char* name;  // "<entries>/<catalogue>", shared by both contenders
    int entries;
    Catalogue catalogue;
    WorkloadTarget target;
};

// The catalogue each case left behind, by case name: the engine and the floor must build the same
// one, or the comparison would be between different amounts of work.
std::map<std::string, CatalogueCounts>& Outcomes() {
    static std::map<std::string, CatalogueCounts> outcomes;
    return outcomes;
}

std::string CompareOutcome(const Case& run, const CatalogueCounts& after) {
    auto [known, first] = Outcomes().emplace(run.name, after);
    const CatalogueCounts& other = known->second;
    if (first || (other.topClasses == after.topClasses && other.subSystems == after.subSystems &&
                  other.subFuncs == after.subFuncs && other.details == after.details)) {
        return {};
    }
    return "the catalogue differs from the other contender's: " + std::to_string(after.Nodes()) +
           " nodes, not " + std::to_string(other.Nodes());
}

// Runs deploy(clock, path, workload, before) once per iteration on a fresh copy of the case's
// account; deploy times its own work with the clock and returns a failure text (empty when it
// worked). Afterwards every entry must have created one function detail, and the catalogue must be
// the one the other contender built.
template <typename Deploy>
void TimeDeployments(benchmark::State& state, const Case& run, Deploy deploy) {
    std::vector<WorkloadEntry> workload = MakeWorkload(run.entries, run.target);
    DeployClock clock(state);
    int64_t detailsBefore = 0;
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = Data().Copy(run.catalogue);
        CatalogueCounts before = CountCatalogue(path);
        std::string failure = deploy(clock, path, workload, before);
        CatalogueCounts after = CountCatalogue(path);
        RemoveAccount(path);
        if (failure.empty() && after.details - before.details != run.entries) {
            failure = "created " + std::to_string(after.details - before.details) +
                      " function details, not " + std::to_string(run.entries);
        }
        if (failure.empty()) failure = CompareOutcome(run, after);
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
        detailsBefore = before.details;
    }
    clock.Report(run.entries, detailsBefore);
}

void Engine(benchmark::State& state, Case run) {
    TimeDeployments(
        state, run,
        [](DeployClock& clock, const std::string& path, const std::vector<WorkloadEntry>& workload,
           const CatalogueCounts& before) -> std::string {
            PublishHostContext(path);
            VectorRef packet = BuildPacket(workload);
            VectorRef messages;
            clock.Start();
            bool ok = core::DeployPacketToCatalogue(packet, messages);
            clock.Stop();
            if (!ok) return "the engine failed: " + ToUtf8Lossy(messages->Item(messages->Count()).ToText());
            // One line per node created, one per entry, one for the end.
            int64_t expected = CountCatalogue(path).Nodes() - before.Nodes() + 1;
            if (messages->Count() != expected) {
                return "the engine wrote " + std::to_string(messages->Count()) + " message lines, not " +
                       std::to_string(expected);
            }
            return {};
        });
}

void Floor(benchmark::State& state, Case run) {
    TimeDeployments(state, run,
                    [](DeployClock& clock, const std::string& path,
                       const std::vector<WorkloadEntry>& workload, const CatalogueCounts&) -> std::string {
                        clock.Start();
                        FloorDeployer floor(path);
                        FloorResult result = floor.Deploy(workload);
                        clock.Stop();
                        benchmark::DoNotOptimize(result);
                        return {};
                    });
}

struct Benchmarked {
    Case run;
    int iterations;
};

std::vector<Benchmarked> Cases() {
    return {
        {{"1000/fresh", 1000, Catalogue::Fresh, WorkloadTarget::NewBranches}, 10},
        {{"1000/grown", 1000, Catalogue::Grown, WorkloadTarget::NewBranches}, 10},
        {{"10000/fresh", 10000, Catalogue::Fresh, WorkloadTarget::NewBranches}, 3},
        {{"10000/grown", 10000, Catalogue::Grown, WorkloadTarget::NewBranches}, 3},
        // The same packet size aimed at the populated sub-functions: the engine walks every sibling
        // of the target sub-function for each entry.
        {{"1000/grown-populated", 1000, Catalogue::Grown, WorkloadTarget::PopulatedSubFuncs}, 3},
    };
}

void PrintSummary(const SummaryReporter& reporter) {
    auto value = [&](const char* contender, const std::string& name, const char* counter) {
        return reporter.Value(std::string(contender) + "/" + name, counter);
    };
    std::printf(
        "\nDeployment into a fresh copy of the account per run (language %s); median wall time of the "
        "deploy call.\n",
        g_language.c_str());
    std::printf("%-22s %10s %12s %12s %8s %10s %10s %8s %9s\n", "case (entries/target)", "details",
                "engine e/s", "floor e/s", "eng/flr", "eng us/e", "flr us/e", "cpu e/f", "eng cpu%");
    for (const Benchmarked& benchmarked : Cases()) {
        std::string name = benchmarked.run.name;
        double engine = value("Engine", name, "us/entry");
        double floor = value("Floor", name, "us/entry");
        if (engine == 0 && floor == 0) continue;
        double engineCpu = value("Engine", name, "cpu_us/entry");
        double floorCpu = value("Floor", name, "cpu_us/entry");
        std::printf("%-22s %10.0f %12.0f %12.0f %8.2f %10.1f %10.1f %8.2f %8.0f%%\n", name.c_str(),
                    value("Engine", name, "catalogue"), value("Engine", name, "entries/s"),
                    value("Floor", name, "entries/s"), Ratio(engine, floor), engine, floor,
                    Ratio(engineCpu, floorCpu), 100 * Ratio(engineCpu, engine));
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
            g_grownDetails / kPopulatedSubFuncs, crowdedEngine, Ratio(crowdedEngine, newEngine), crowdedFloor,
            Ratio(crowdedEngine, crowdedFloor));
    }
    std::printf("Goal: engine/floor at most 2 in every row.\n");
}

void RegisterCases() {
    for (const Benchmarked& benchmarked : Cases()) {
        for (auto [contender, function] : {std::pair{"Engine/", &Engine}, std::pair{"Floor/", &Floor}}) {
            benchmark::RegisterBenchmark((contender + std::string(benchmarked.run.name)).c_str(), function,
                                         benchmarked.run)
                ->Iterations(benchmarked.iterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--grown-details=", 16) == 0) g_grownDetails = std::atoi(argv[i] + 16);
        if (std::strncmp(argv[i], "--language=", 11) == 0) g_language = argv[i] + 11;
    }
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        RegisterCases();
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintSummary(reporter);
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "DeploymentBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
