// Exports the branches of a catalogue grown by 10,000 function details (5 top classes, 20 subsystems,
// 300 sub-functions: 10,325 nodes) and compares the time with the raw-SQLite floor (ExportFloor.h),
// which issues the same statements and reads the same rows. Three contenders: Read (the branches read
// into memory, ReadCatalogBranches: the same work as the floor), Export (read, packets built and the
// packet file saved, as "orva-deploy export" does) and Floor. The goal: Read within 2x of the floor;
// the table also shows what building and saving the three packets add.
//
// Usage: ExportBench [--grown-details=N] [Google Benchmark options] (bench/run-export-bench.sh builds
// and runs it). The account and the packet file go to $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "DeploymentWorkload.h"
#include "ExportFloor.h"
#include "SummaryReporter.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "core/BranchExport.h"

namespace {

using namespace orva;
using namespace orva::bench;
using namespace orva::components;
namespace fs = std::filesystem;

int g_grownDetails = 10000;

struct Fixture {
    fs::path folder;
    std::string account;
    std::vector<int64_t> topClassIds;  // the grown part's top classes

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "orva-export-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        account = (folder / "account.db").string();
        CreateAccountFile(account, {.demo = true});
        GrowCatalogue(account, g_grownDetails);
        sqlite3* db = nullptr;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_open_v2(account.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db, "SELECT FTopClassID FROM t_TopClass WHERE FTopClassID > 5", -1, &statement,
                               nullptr) != SQLITE_OK) {
            std::abort();
        }
        while (sqlite3_step(statement) == SQLITE_ROW)
            topClassIds.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        sqlite3_close(db);
    }
    ~Fixture() {
        CloseIdleAccountConnections();
        fs::remove_all(folder);
    }

    std::vector<BranchRoot> Roots() const {
        std::vector<BranchRoot> roots;
        for (int64_t id : topClassIds) roots.push_back({1, static_cast<int32_t>(id), {}});
        return roots;
    }
    AccountAddress Address() const { return {account, false}; }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void Report(benchmark::State& state, const MedianClock& clock, int64_t details) {
    if (clock.Empty()) return;
    state.counters["ms"] = 1e3 * clock.MedianWall();
    state.counters["cpu_ms"] = 1e3 * clock.MedianCpu();
    state.counters["us/node"] = 1e6 * clock.MedianWall() / static_cast<double>(details);
}

void Read(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchRoot> roots = Data().Roots();
    size_t details = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        details = ReadCatalogBranches(Data().Address(), roots, false).size();
        clock.Stop();
        state.ResumeTiming();
    }
    Report(state, clock, static_cast<int64_t>(details));
}

void Export(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchRoot> roots = Data().Roots();
    const automation::Text file = automation::FromUtf8((Data().folder / "DeployFunction.Dat").string());
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        core::ExportCatalogBranches(Data().Address(), roots, false)->Save(file);
        clock.Stop();
        state.ResumeTiming();
    }
    Report(state, clock, g_grownDetails);
}

void Floor(benchmark::State& state) {
    MedianClock clock(state);
    int64_t details = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        details = ReadBranchesFloor(Data().account, Data().topClassIds);
        clock.Stop();
        state.ResumeTiming();
    }
    if (details != g_grownDetails) state.SkipWithError("the floor read another number of details");
    Report(state, clock, details);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--grown-details=", 16) == 0) g_grownDetails = std::atoi(argv[i] + 16);
    }
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        for (auto [name, function] :
             {std::pair{"Read", &Read}, std::pair{"Export", &Export}, std::pair{"Floor", &Floor}}) {
            benchmark::RegisterBenchmark(name, function)
                ->Iterations(7)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        double floor = reporter.Value("Floor", "ms");
        std::printf("\nBranches of %d function details (%d nodes), median wall time:\n", g_grownDetails,
                    g_grownDetails + 325);
        for (const char* contender : {"Read", "Export", "Floor"}) {
            double ms = reporter.Value(contender, "ms");
            std::printf("  %-7s %8.1f ms  cpu %8.1f ms  x%.2f of the floor\n", contender, ms,
                        reporter.Value(contender, "cpu_ms"), floor > 0 ? ms / floor : 0);
        }
        std::printf("Goal: Read/Floor at most 2.\n");
    } catch (const automation::AutomationError& error) {
        std::fprintf(stderr, "ExportBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
