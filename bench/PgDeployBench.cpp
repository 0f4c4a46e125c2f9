// The deployment benchmark on PostgreSQL. Part one: the engine, journaled as a host's deployment is,
// deploys packets of 1,000 and 10,000 entries into a server account with the demo data as it is
// created and into one grown to 100,000 function details, in turns with the same run without the
// journal, and the libpq floor (PgDeployFloor.h) deploys the same entries; the table gives entries
// per second, the engine/floor ratio, the journal's share of the engine's time and how the time per
// entry changes with the size of the catalogue. Part two: several deployers at once, each a process of its
// own (this program started again with --deployer), first each into its own sub-function (1 alone, 4 and 8
// together), then 8 into one sub-function with overlapping packets; entries per second in total and per
// process. The goals: the engine within 2x of the floor, a time per entry that does not grow with the
// catalogue, and deployers in different sub-functions that do not wait for each other (4 together
// reach at least the throughput of 1 alone, also on two cores).
//
// Every run deploys into a fresh copy of a template database (CREATE DATABASE ... TEMPLATE), which is
// dropped afterwards; copying, publishing the host context, building the packet and checking the
// result are outside the time. The time is wall time: most of it is the server's.
//
// Usage: PgDeployBench [--grown-details=N] [--language=CHS|CHT|EN] [--concurrent-entries=N]
//                      [--concurrent-repeats=N] [--no-concurrency] [Google Benchmark options]
// The server: the admin URI in ORVA_BENCH_POSTGRES, else ORVA_TEST_POSTGRES (a role that may create
// databases). bench/run-pg-deploy-bench.sh starts a throwaway server when neither is set.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DeploymentShared.h"
#include "DeploymentWorkload.h"
#include "PgDeployFloor.h"
#include "PgDeployServer.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "core/DeploymentEngine.h"

namespace {

using namespace orva;
using namespace orva::automation;
using namespace orva::bench;
using namespace orva::components;

int g_grownDetails = 100000;
std::string g_language = "EN";
int g_concurrentEntries = 500;
int g_concurrentRepeats = 3;
bool g_concurrency = true;
std::string g_adminUri;

// The two template databases every run copies: the demo account, and the demo account grown.
struct Templates {
    ScratchDatabases databases{g_adminUri};
    int copies = 0;

    Templates() {
        for (const char* name : {"fresh", "grown"}) {
            std::string uri = databases.Create(name);
            CreateServerAccount(uri, {.demo = true});
            if (std::strcmp(name, "grown") == 0) GrowServerCatalogue(uri, g_grownDetails);
            PgConnection(uri).Exec("ANALYZE");
        }
        // A template must have no connections while it is copied.
        CloseIdleAccountConnections();
    }

    struct Copied {
        std::string name;      // the database's, for Remove
        std::string location;  // its URI
    };

    // A new copy of a template under a name never used before.
    Copied Copy(Catalogue catalogue) {
        std::string name = "run_" + std::to_string(++copies);
        return {name, databases.Create(name, catalogue == Catalogue::Fresh ? "fresh" : "grown")};
    }

    static CatalogueCounts Count(const Copied& copy) { return CountServerCatalogue(copy.location); }

    void Remove(const Copied& copy) {
        CloseIdleAccountConnections();
        databases.Drop(copy.name);
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
        [](DeployClock& clock, const std::string& uri, const std::vector<WorkloadEntry>& workload,
           const CatalogueCounts& before, bool journaled) -> std::string {
            PublishHostContext(g_language, uri);
            return DeployWithEngine(
                clock, workload, before, [&] { return CountServerCatalogue(uri).Nodes(); }, journaled);
        });
}

void Floor(benchmark::State& state, Case run) {
    TimeDeployments(state, run, Data(),
                    [](DeployClock& clock, const std::string& uri, const std::vector<WorkloadEntry>& workload,
                       const CatalogueCounts&) -> std::string {
                        clock.Start();
                        PgFloorDeployer floor(uri);
                        FloorResult result = floor.Deploy(workload);
                        clock.Stop();
                        benchmark::DoNotOptimize(result);
                        return {};
                    });
}

const std::vector<Benchmarked>& Cases() {
    static const std::vector<Benchmarked> cases = DeploymentCases(5);
    return cases;
}

// ------------------------------------------------------------------------------------------------
// Several deployers at once
// ------------------------------------------------------------------------------------------------

// The packet of one concurrent deployer: count entries numbered from first, all into the sub-function
// subFunc under the first top class and subsystem of the workload (which the first deployer to get
// there creates; the others find them).
std::vector<WorkloadEntry> ConcurrentWorkload(int first, int count, const std::string& subFunc) {
    std::vector<WorkloadEntry> all = MakeWorkload(first + count, WorkloadTarget::NewBranches);
    std::vector<WorkloadEntry> entries(all.begin() + first, all.end());
    for (WorkloadEntry& entry : entries) {
        entry.topClass = all.front().topClass;
        entry.subSystem = all.front().subSystem;
        entry.subFunc = subFunc;
        entry.no = "[" + entry.funcName + "] 发布到: [" + entry.topClass + "." + entry.subSystem + "." +
                   subFunc + "]";
    }
    return entries;
}

std::string ConcurrentSubFunc(int number) { return "并发功能 " + std::to_string(number); }

// What a deployer process reports: its own wall time from the start signal to the end of its
// deployment, or a failure.
struct DeployerReport {
    double seconds = 0;
    std::string failure;
};

// The deployer process (this program with --deployer): sets up, writes "ready" on stdout, waits for a
// byte on stdin, deploys (connecting included, as in part one), then writes "done <seconds>" or
// "fail <text>". Returns the exit status.
int RunDeployer(const std::string& contender, const std::string& uri, int first, int count,
                const std::string& subFunc) {
    std::vector<WorkloadEntry> workload = ConcurrentWorkload(first, count, subFunc);
    std::string failure;
    VectorRef packet;
    if (contender == "engine") {
        PublishHostContext(g_language, uri);
        packet = BuildPacket(workload);
    }
    std::printf("ready\n");
    std::fflush(stdout);
    char go = 0;
    if (read(STDIN_FILENO, &go, 1) != 1) return 1;
    auto start = std::chrono::steady_clock::now();
    try {
        if (contender == "engine") {
            VectorRef messages;
            if (!core::DeployPacketToCatalogue(packet, messages)) {
                failure = "the engine failed: " + ToUtf8Lossy(messages->Item(messages->Count()).ToText());
            }
        } else {
            PgFloorDeployer floor(uri);
            floor.Deploy(workload);
        }
    } catch (const AutomationError& error) {
        failure = error.what();
    }
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (failure.empty()) {
        std::printf("done %.6f\n", seconds);
    } else {
        for (char& c : failure) c = c == '\n' ? ' ' : c;
        std::printf("fail %s\n", failure.c_str());
    }
    std::fflush(stdout);
    return failure.empty() ? 0 : 1;
}

// A started deployer process and the two pipes to it.
struct Deployer {
    pid_t pid = -1;
    FILE* output = nullptr;  // its stdout
    int go = -1;             // its stdin
};

Deployer StartDeployer(const std::vector<std::string>& arguments) {
    int toChild[2], fromChild[2];
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) std::abort();
    pid_t pid = fork();
    if (pid < 0) std::abort();
    if (pid == 0) {
        dup2(toChild[0], STDIN_FILENO);
        dup2(fromChild[1], STDOUT_FILENO);
        for (int fd : {toChild[0], toChild[1], fromChild[0], fromChild[1]}) close(fd);
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        execv("/proc/self/exe", argv.data());
        _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    return {pid, fdopen(fromChild[0], "r"), toChild[1]};
}

std::string ReadLine(FILE* stream) {
    char buffer[4096];
    if (!std::fgets(buffer, sizeof buffer, stream)) return {};
    std::string line = buffer;
    if (!line.empty() && line.back() == '\n') line.pop_back();
    return line;
}

struct ConcurrentCase {
    const char* name;
    int processes;
    bool sameSubFunc;  // all into one sub-function, each packet overlapping the next one by half
};

struct ConcurrentOutcome {
    double totalPerSecond =
        0;  // all entries of all packets / wall time from the start signal to the last end
    double perProcessPerSecond = 0;  // mean of each process's own entries per second
    std::string failure;
};

// One run of a concurrent case into a fresh copy of the demo account.
ConcurrentOutcome RunConcurrentOnce(const ConcurrentCase& run, const std::string& contender) {
    ConcurrentOutcome outcome;
    const auto copy = Data().Copy(Catalogue::Fresh);
    const std::string& uri = copy.location;
    CatalogueCounts before = CountServerCatalogue(uri);
    int count = g_concurrentEntries;
    std::vector<Deployer> deployers;
    for (int p = 0; p < run.processes; ++p) {
        int first = run.sameSubFunc ? p * count / 2 : p * count;
        std::string subFunc = ConcurrentSubFunc(run.sameSubFunc ? 1 : p + 1);
        deployers.push_back(StartDeployer(
            {"PgDeployBench", "--deployer=" + contender, "--uri=" + uri, "--first=" + std::to_string(first),
             "--count=" + std::to_string(count), "--subfunc=" + subFunc, "--language=" + g_language}));
    }
    for (Deployer& deployer : deployers) {
        std::string line = ReadLine(deployer.output);
        if (line != "ready") outcome.failure = "a deployer did not start: " + line;
    }
    auto start = std::chrono::steady_clock::now();
    for (Deployer& deployer : deployers) {
        if (write(deployer.go, "g", 1) != 1) outcome.failure = "a deployer went away";
        close(deployer.go);
    }
    double perProcessSum = 0;
    for (Deployer& deployer : deployers) {
        std::string line = ReadLine(deployer.output);
        if (line.rfind("done ", 0) == 0) {
            perProcessSum += count / std::atof(line.c_str() + 5);
        } else if (outcome.failure.empty()) {
            outcome.failure = line.empty()                  ? "a deployer ended without a report"
                              : line.rfind("fail ", 0) == 0 ? line.substr(5)
                                                            : line;
        }
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    for (Deployer& deployer : deployers) {
        std::fclose(deployer.output);
        int status = 0;
        waitpid(deployer.pid, &status, 0);
    }
    CatalogueCounts after = CountServerCatalogue(uri);
    Data().Remove(copy);
    int64_t distinct = run.sameSubFunc ? count + (run.processes - 1) * (count / 2)
                                       : static_cast<int64_t>(run.processes) * count;
    if (outcome.failure.empty() && after.details - before.details != distinct) {
        outcome.failure = "created " + std::to_string(after.details - before.details) +
                          " function details, not " + std::to_string(distinct);
    }
    outcome.totalPerSecond = static_cast<double>(run.processes) * count / wall;
    outcome.perProcessPerSecond = perProcessSum / run.processes;
    return outcome;
}

void RunConcurrency() {
    const ConcurrentCase cases[] = {
        {"1 alone", 1, false},
        {"4 together", 4, false},
        {"8 together", 8, false},
        {"8 overlapping", 8, true},
    };
    std::printf(
        "\nConcurrent deployers (separate processes), %d entries each, into a fresh copy of the demo "
        "account; "
        "median of %d runs.\n",
        g_concurrentEntries, g_concurrentRepeats);
    std::printf("%-30s %12s %12s %12s %12s %8s\n", "case", "engine e/s", "per process", "floor e/s",
                "per process", "eng/flr");
    std::map<std::string, std::pair<double, double>> totals;  // engine, floor
    for (const ConcurrentCase& run : cases) {
        // The contenders take turns, so that a change of load on the machine meets both alike.
        std::map<std::string, std::vector<double>> totalRuns, perProcessRuns;
        std::map<std::string, std::string> failures;
        for (int repeat = 0; repeat < g_concurrentRepeats; ++repeat) {
            for (const char* contender : {"engine", "floor"}) {
                if (failures.count(contender)) continue;
                ConcurrentOutcome outcome = RunConcurrentOnce(run, contender);
                if (!outcome.failure.empty()) {
                    failures[contender] = outcome.failure;
                    continue;
                }
                totalRuns[contender].push_back(outcome.totalPerSecond);
                perProcessRuns[contender].push_back(outcome.perProcessPerSecond);
            }
        }
        std::map<std::string, std::pair<double, double>> figures;
        for (const char* contender : {"engine", "floor"}) {
            figures[contender] = {Median(totalRuns[contender]), Median(perProcessRuns[contender])};
        }
        std::string label =
            std::string(run.name) + (run.sameSubFunc ? " (1 sub-function)" : " (own sub-functions)");
        std::printf("%-30s %12.0f %12.0f %12.0f %12.0f %8.2f\n", label.c_str(), figures["engine"].first,
                    figures["engine"].second, figures["floor"].first, figures["floor"].second,
                    Ratio(figures["floor"].first, figures["engine"].first));
        for (const auto& [contender, failure] : failures) {
            std::printf("  %s failed: %s\n", contender.c_str(), failure.c_str());
        }
        totals[run.name] = {figures["engine"].first, figures["floor"].first};
    }
    std::printf("4 together / 1 alone: engine %.2f, floor %.2f (goal: at least 1)\n",
                Ratio(totals["4 together"].first, totals["1 alone"].first),
                Ratio(totals["4 together"].second, totals["1 alone"].second));
}

// The value of --name=value among the arguments, or nothing.
std::optional<std::string> Option(int argc, char** argv, const char* name) {
    std::string prefix = std::string("--") + name + "=";
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0)
            return std::string(argv[i] + prefix.size());
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    if (auto language = Option(argc, argv, "language")) g_language = *language;
    if (auto contender = Option(argc, argv, "deployer")) {
        return RunDeployer(*contender, Option(argc, argv, "uri").value_or(""),
                           std::atoi(Option(argc, argv, "first").value_or("0").c_str()),
                           std::atoi(Option(argc, argv, "count").value_or("0").c_str()),
                           Option(argc, argv, "subfunc").value_or(""));
    }
    if (auto details = Option(argc, argv, "grown-details")) g_grownDetails = std::atoi(details->c_str());
    if (auto entries = Option(argc, argv, "concurrent-entries"))
        g_concurrentEntries = std::atoi(entries->c_str());
    if (auto repeats = Option(argc, argv, "concurrent-repeats"))
        g_concurrentRepeats = std::atoi(repeats->c_str());
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-concurrency") == 0) g_concurrency = false;
    }
    const char* uri = std::getenv("ORVA_BENCH_POSTGRES");
    if (!uri || !*uri) uri = std::getenv("ORVA_TEST_POSTGRES");
    if (!uri || !*uri) {
        std::fprintf(
            stderr,
            "PgDeployBench: no server: set ORVA_BENCH_POSTGRES (or ORVA_TEST_POSTGRES) to an admin URI, "
            "or run bench/run-pg-deploy-bench.sh, which starts a throwaway server\n");
        return 2;
    }
    g_adminUri = uri;
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        RegisterDeploymentCases(Cases(), &Engine, &Floor);
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintDeploymentSummary(reporter, Cases(), "server account", g_language, g_grownDetails);
        if (g_concurrency) RunConcurrency();
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "PgDeployBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
