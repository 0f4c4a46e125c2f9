// The deployment journal's costs besides a deployment's (DeploymentBench measures those): an undo of
// a run that created 10,000 nodes, against a minimal program issuing the same statements
// (JournalUndoFloor.h), and the history of an account with 10,000 runs. Goals: undo within 2x of its
// floor; the whole history listed in under 100 ms.
//
// Every undo runs on a fresh copy of the account; copying and the host context are outside the time.
// Usage: JournalBench [--nodes=N] [--runs=N] [Google Benchmark options] (bench/run-deploy-bench.sh
// builds and runs it after DeploymentBench). Account copies go to $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "BenchClock.h"
#include "JournalUndoFloor.h"
#include "SummaryReporter.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "account/DeployJournal.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/CatalogWriter.h"
#include "catalog/DeployHistory.h"
#include "core/RunUndo.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "storage/Transaction.h"

namespace {

using namespace orva;
using namespace orva::automation;
using namespace orva::bench;
using namespace orva::components;
namespace fs = std::filesystem;

int g_nodes = 10000;
int g_runs = 10000;

// One run that creates g_nodes nodes: one top class, 10 subsystems, 10 sub-functions under each, and
// the rest function details spread over the sub-functions.
int32_t JournaledRun(const std::string& path) {
    AccountAddress account{path};
    JournalRunInfo info;
    info.language = u"EN";
    JournalRun run(account, info);
    CatalogWriter writer(account);
    auto named = [](const char16_t* field, const Text& name) {
        DictionaryRef data = Dictionary::Create();
        data->SetValue(field, name);
        return data;
    };
    int32_t top = writer.CreateTopClass(1, *named(u"FTopClassName", u"Undo bench"));
    std::vector<int32_t> subFuncs;
    for (int s = 1; s <= 10; ++s) {
        int32_t sub = writer.CreateSubSys(top, s, *named(u"FSysName", u"Sub " + Int32ToText(s)));
        for (int f = 1; f <= 10; ++f) {
            subFuncs.push_back(writer.CreateSubFunc(sub, f, *named(u"FFuncName", u"Func " + Int32ToText(f))));
        }
    }
    int details = g_nodes - 1 - 10 - 100;
    for (int d = 0; d < details; ++d) {
        DictionaryRef data = named(u"FFuncName", u"Detail " + Int32ToText(d));
        data->SetValue(kClassParamField, Text(u"Base|") + Int32ToText(d));
        writer.CreateDetailFunc(subFuncs[static_cast<size_t>(d) % subFuncs.size()], d / 100 + 1, *data);
    }
    run.Finish(true, {});
    return run.Id();
}

struct Fixture {
    fs::path folder;
    std::string undoTemplate, history;
    int32_t run = 0;
    int copies = 0;

    Fixture() {
        std::string pattern = (fs::temp_directory_path() / "orva-journal-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        undoTemplate = (folder / "undo.db").string();
        history = (folder / "history.db").string();
        CreateAccountFile(undoTemplate, {});
        run = JournaledRun(undoTemplate);
        CreateAccountFile(history, {});
        DatabaseRef database = OpenAccount({history});
        Transaction transaction(*database);
        JournalRunInfo info;
        info.packetFile = u"DeployFunction.Dat";
        info.packetSha256 = std::string(64, 'a');
        info.language = u"CHS";
        JournalActor actor = CurrentJournalActor();
        for (int i = 0; i < g_runs; ++i) {
            int32_t id = InsertJournalRun(*database, info, actor);
            FinishJournalRun(*database, id, true, {u"功能发布完毕！"});
        }
        transaction.Commit();
        CloseIdleAccountConnections();
    }
    ~Fixture() {
        CloseIdleAccountConnections();
        fs::remove_all(folder);
    }

    std::string Copy() {
        std::string path = (folder / ("run-" + std::to_string(++copies) + ".db")).string();
        fs::copy_file(undoTemplate, path);
        return path;
    }
    static void Remove(const std::string& path) {
        CloseIdleAccountConnections();
        for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(path + suffix);
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void Report(MedianClock& clock, benchmark::State& state) {
    if (!clock.Empty()) state.counters["ms"] = 1e3 * clock.MedianWall();
}

void UndoEngine(benchmark::State& state) {
    MedianClock clock(state);
    PublishOwnProperty(u"Language", u"EN");
    hostctx::ResetModuleState();
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = Data().Copy();
        VectorRef messages;
        clock.Start();
        bool undone = core::UndoJournalRun({path}, Data().run, false, messages);
        clock.Stop();
        Fixture::Remove(path);
        if (!undone || messages->Count() != g_nodes + 1) {
            state.SkipWithError("the undo did not remove every node");
            break;
        }
        state.ResumeTiming();
    }
    Report(clock, state);
}

void UndoFloor(benchmark::State& state) {
    MedianClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        std::string path = Data().Copy();
        int removed = 0;
        {
            clock.Start();
            FloorUndoer floor(path);
            removed = floor.Undo(Data().run);
            clock.Stop();
        }
        Fixture::Remove(path);
        if (removed != g_nodes) {
            state.SkipWithError("the floor did not remove every node");
            break;
        }
        state.ResumeTiming();
    }
    Report(clock, state);
}

void History(benchmark::State& state, std::optional<int64_t> limit) {
    MedianClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        std::vector<HistoryRun> runs = ListJournalRuns({Data().history}, limit);
        clock.Stop();
        if (runs.size() != static_cast<size_t>(limit.value_or(g_runs))) {
            state.SkipWithError("history listed another number of runs");
            break;
        }
        state.ResumeTiming();
    }
    Report(clock, state);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--nodes=", 8) == 0) g_nodes = std::max(200, std::atoi(argv[i] + 8));
        if (std::strncmp(argv[i], "--runs=", 7) == 0) g_runs = std::atoi(argv[i] + 7);
    }
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        for (auto [name, function] :
             {std::pair{"Undo/engine", &UndoEngine}, std::pair{"Undo/floor", &UndoFloor}}) {
            benchmark::RegisterBenchmark(name, function)
                ->Iterations(3)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark("History/all", History, std::nullopt)
            ->Iterations(20)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("History/limit20", History, std::optional<int64_t>(20))
            ->Iterations(20)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        double engine = reporter.Value("Undo/engine", "ms"), floor = reporter.Value("Undo/floor", "ms");
        std::printf(
            "\nUndo of a run of %d nodes: engine %.1f ms, floor %.1f ms, engine/floor %.2f (goal: at most "
            "2)\n",
            g_nodes, engine, floor, floor > 0 ? engine / floor : 0);
        std::printf("History of %d runs: all %.1f ms, newest 20 %.2f ms (goal: all under 100 ms)\n", g_runs,
                    reporter.Value("History/all", "ms"), reporter.Value("History/limit20", "ms"));
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "JournalBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
