// Exports the branches of a catalogue grown by 10,000 function details (5 top classes, 20 subsystems,
// 300 sub-functions: 10,325 nodes) and compares the time with the raw-SQLite floors (ExportFloor.h).
// Contenders: Read (the branches read into memory, ReadCatalogBranches: the same work as Floor), Encode
// (the packet file's bytes made from branches read beforehand, EncodeBranchPacketSet), Save (those
// bytes made and written, SaveBranchPacketSet), Export (read and save, as "orva-deploy export" does),
// TreeExport (read, the packet set built as a dictionary tree and saved: the same file the way the
// export made it before, for comparison), Floor (the same statements on raw SQLite, reading the same
// rows) and FloorFile (Floor, then a file of the packet file's size written as crash-safely as the
// export writes: temporary file, sync, rename, folder sync). The goals: Read within 2x of Floor;
// Export within 2x of FloorFile, the least any export of these rows into such a file takes.
//
// Usage: ExportBench [--grown-details=N] [--keep=FOLDER] [Google Benchmark options]
// (bench/run-export-bench.sh builds and runs it). The account and the packet file go to $TMPDIR
// (default /tmp); --keep copies both into FOLDER afterwards (account.db, DeployFunction.Dat), e.g. to
// compare the packet files two builds write.

#include <benchmark/benchmark.h>
#include <fcntl.h>
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
std::string g_keep;

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
    fs::path PacketFile() const { return folder / "DeployFunction.Dat"; }
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

void Encode(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchDetail> details = ReadCatalogBranches(Data().Address(), Data().Roots(), false);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        benchmark::DoNotOptimize(core::EncodeBranchPacketSet(details));
        clock.Stop();
        state.ResumeTiming();
    }
    Report(state, clock, static_cast<int64_t>(details.size()));
}

void Save(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchDetail> details = ReadCatalogBranches(Data().Address(), Data().Roots(), false);
    const automation::Text file = automation::FromUtf8(Data().PacketFile().string());
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        core::SaveBranchPacketSet(file, details);
        clock.Stop();
        state.ResumeTiming();
    }
    Report(state, clock, static_cast<int64_t>(details.size()));
}

// What "orva-deploy export" does: the branches read, and the packet file written from them.
void Export(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchRoot> roots = Data().Roots();
    const automation::Text file = automation::FromUtf8(Data().PacketFile().string());
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        core::SaveBranchPacketSet(file, ReadCatalogBranches(Data().Address(), roots, false));
        clock.Stop();
        state.ResumeTiming();
    }
    Report(state, clock, g_grownDetails);
}

void TreeExport(benchmark::State& state) {
    MedianClock clock(state);
    std::vector<BranchRoot> roots = Data().Roots();
    const automation::Text file = automation::FromUtf8(Data().PacketFile().string());
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

// Writes bytes to path as the export writes its file: a temporary file beside it, synced, renamed
// over path, and the folder synced.
void WriteFloorFile(const fs::path& path, const std::string& bytes) {
    const std::string temporary = path.string() + ".tmp";
    int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()) ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0) {
        std::abort();
    }
    int folder = ::open(path.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0 || ::fsync(folder) != 0) std::abort();
    ::close(folder);
}

void FloorFile(benchmark::State& state) {
    MedianClock clock(state);
    if (!fs::exists(Data().PacketFile()))
        core::SaveBranchPacketSet(automation::FromUtf8(Data().PacketFile().string()),
                                  ReadCatalogBranches(Data().Address(), Data().Roots(), false));
    const std::string bytes(fs::file_size(Data().PacketFile()), '\x5A');
    const fs::path file = Data().folder / "FloorFile.Dat";
    int64_t details = 0;
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        details = ReadBranchesFloor(Data().account, Data().topClassIds);
        WriteFloorFile(file, bytes);
        clock.Stop();
        state.ResumeTiming();
    }
    if (details != g_grownDetails) state.SkipWithError("the floor read another number of details");
    Report(state, clock, details);
}

// Copies the account and the packet file into g_keep, when asked.
void Keep() {
    if (g_keep.empty()) return;
    fs::create_directories(g_keep);
    for (const fs::path& file : {fs::path(Data().account), Data().PacketFile()}) {
        if (fs::exists(file))
            fs::copy_file(file, fs::path(g_keep) / file.filename(), fs::copy_options::overwrite_existing);
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--grown-details=", 16) == 0) g_grownDetails = std::atoi(argv[i] + 16);
        if (std::strncmp(argv[i], "--keep=", 7) == 0) g_keep = argv[i] + 7;
    }
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        for (auto [name, function] :
             {std::pair{"Read", &Read}, std::pair{"Encode", &Encode}, std::pair{"Save", &Save},
              std::pair{"Export", &Export}, std::pair{"TreeExport", &TreeExport}, std::pair{"Floor", &Floor},
              std::pair{"FloorFile", &FloorFile}}) {
            benchmark::RegisterBenchmark(name, function)
                ->Iterations(7)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        Keep();
        double floor = reporter.Value("Floor", "ms");
        double floorFile = reporter.Value("FloorFile", "ms");
        std::printf("\nBranches of %d function details (%d nodes), median wall time:\n", g_grownDetails,
                    g_grownDetails + 325);
        for (const char* contender :
             {"Read", "Encode", "Save", "Export", "TreeExport", "Floor", "FloorFile"}) {
            double ms = reporter.Value(contender, "ms");
            std::printf("  %-10s %8.1f ms  cpu %8.1f ms  x%.2f of Floor  x%.2f of FloorFile\n", contender, ms,
                        reporter.Value(contender, "cpu_ms"), floor > 0 ? ms / floor : 0,
                        floorFile > 0 ? ms / floorFile : 0);
        }
        std::printf("Goals: Read/Floor at most 2; Export/FloorFile at most 2.\n");
    } catch (const automation::AutomationError& error) {
        std::fprintf(stderr, "ExportBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
