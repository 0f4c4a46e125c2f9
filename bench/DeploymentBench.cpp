// Deploys packets of 1,000 and 10,000 entries with DeployPacketToCatalogue, journaled as a host's
// deployment is, into a demo account as it is created and into one grown to 100,000 function details,
// and the same entries through the raw-SQLite floor (DeploymentFloor.h) and, in turns with every
// journaled run, through the engine without the journal; prints entries per second, the engine/floor
// ratio, the journal's share of the engine's time and how the time per entry changes with the size of
// the catalogue. The goals: the engine within
// 2x of the floor, the journal at most 10% of it, and a time per entry that does not grow with the
// catalogue.
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
#include <string>
#include <vector>

#include "DeploymentFloor.h"
#include "DeploymentShared.h"
#include "DeploymentWorkload.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"

namespace {

using namespace orva;
using namespace orva::automation;
using namespace orva::bench;
using namespace orva::components;
namespace fs = std::filesystem;

int g_grownDetails = 100000;
std::string g_language = "EN";

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

    struct Copied {
        std::string location;  // the file's path
    };

    // A new copy of a template under a name never used before.
    Copied Copy(Catalogue catalogue) {
        std::string path = (folder / ("run-" + std::to_string(++copies) + ".db")).string();
        fs::copy_file(catalogue == Catalogue::Fresh ? fresh : grown, path);
        return {path};
    }

    static CatalogueCounts Count(const Copied& copy) { return CountCatalogue(copy.location); }

    static void Remove(const Copied& copy) {
        CloseIdleAccountConnections();
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(copy.location + suffix);
    }
};

Templates& Data() {
    static Templates templates;
    return templates;
}

// The engine as a host runs it, journaled, paired with runs without the journal for its share.
void Engine(benchmark::State& state, Case run) {
    TimeJournaledPairs(
        state, run, Data(),
        [](DeployClock& clock, const std::string& path, const std::vector<WorkloadEntry>& workload,
           const CatalogueCounts& before, bool journaled) -> std::string {
            PublishHostContext(g_language, "sqlite:" + path);
            return DeployWithEngine(
                clock, workload, before, [&] { return CountCatalogue(path).Nodes(); }, journaled);
        });
}

void Floor(benchmark::State& state, Case run) {
    TimeDeployments(state, run, Data(),
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

const std::vector<Benchmarked>& Cases() {
    static const std::vector<Benchmarked> cases = DeploymentCases(20);
    return cases;
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
        RegisterDeploymentCases(Cases(), &Engine, &Floor);
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintDeploymentSummary(reporter, Cases(), "account", g_language, g_grownDetails);
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "DeploymentBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
