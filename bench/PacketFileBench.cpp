// Save and Load of a packet set with 10,000 deployment entries per language, against the same data
// as plain JSON text through nlohmann-json, and against parsing the packet bytes only (a CBOR walk
// that builds nothing). Prints the ratios the packet file is held to: Load within 2x of parse-only
// and peak memory of Load within 3x of the file size.
//
// Usage: PacketFileBench [--entries=N] [Google Benchmark options]   (bench/run-bench.sh runs it)

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <new>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "bag/Dictionary.h"
#include "bag/PacketCodec.h"
#include "bag/PacketFile.h"
#include "bag/PropertyBagJson.h"
#include "bag/Vector.h"
#include "cbor/CborReader.h"
#include "storage/AtomicFile.h"

// Heap accounting for the peak-memory figure: while g_counting is set, every operator new and delete
// moves the balance of live bytes (blocks freed then that were allocated before count too, as the
// memory they give back is real). It stays off while times are taken.
namespace {
bool g_counting = false;
int64_t g_liveBytes = 0;
int64_t g_peakBytes = 0;

void* Allocate(size_t size) {
    void* block = std::malloc(size == 0 ? 1 : size);
    if (!block) throw std::bad_alloc();
    if (g_counting) {
        g_liveBytes += static_cast<int64_t>(malloc_usable_size(block));
        if (g_liveBytes > g_peakBytes) g_peakBytes = g_liveBytes;
    }
    return block;
}

void Release(void* block) {
    if (!block) return;
    if (g_counting) g_liveBytes -= static_cast<int64_t>(malloc_usable_size(block));
    std::free(block);
}
}  // namespace

void* operator new(size_t size) { return Allocate(size); }
void* operator new[](size_t size) { return Allocate(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
    try {
        return Allocate(size);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](size_t size, const std::nothrow_t& tag) noexcept { return operator new(size, tag); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, size_t) noexcept { Release(block); }
void operator delete[](void* block, size_t) noexcept { Release(block); }

namespace {

using namespace orva::automation;
using namespace orva::components;
namespace fs = std::filesystem;

int g_entriesPerLanguage = 10000;

struct Names {
    const char16_t* language;
    const char16_t* topClasses[4];
    const char16_t* subSystems[6];
    const char16_t* subFunctions[3];
    const char16_t* objects[8];
    const char16_t* actions[4];
    const char16_t* publishedTo;
};

const Names kNames[] = {
    {u"CHS",
     {u"供应链", u"财务会计", u"生产制造", u"人力资源"},
     {u"采购管理", u"销售管理", u"仓存管理", u"总账", u"应收款管理", u"成本管理"},
     {u"基础资料", u"日常业务", u"报表分析"},
     {u"采购订单", u"销售出库单", u"质检方案", u"物料清单", u"收款单", u"凭证", u"生产任务单", u"员工档案"},
     {u"维护", u"新增", u"序时簿", u"查询"},
     u"发布到"},
    {u"CHT",
     {u"供應鏈", u"財務會計", u"生產製造", u"人力資源"},
     {u"採購管理", u"銷售管理", u"倉存管理", u"總賬", u"應收款管理", u"成本管理"},
     {u"基礎資料", u"日常業務", u"報表分析"},
     {u"採購訂單", u"銷售出庫單", u"質檢方案", u"物料清單", u"收款單", u"憑證", u"生產任務單", u"員工檔案"},
     {u"維護", u"新增", u"序時簿", u"查詢"},
     u"發佈到"},
    {u"EN",
     {u"Supply chain", u"Financial accounting", u"Manufacturing", u"Human resources"},
     {u"Purchasing", u"Sales", u"Inventory", u"General ledger", u"Receivables", u"Costing"},
     {u"Basic data", u"Daily business", u"Reports"},
     {u"Purchase order", u"Sales delivery", u"Inspection plan", u"Bill of materials", u"Receipt", u"Voucher",
      u"Production task", u"Employee file"},
     {u"Maintain", u"New", u"List", u"Query"},
     u"published to"},
};

Text Number(long value) {
    std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

DictionaryRef Entry(const Names& names, int i) {
    int top = i % 4, sub = (i / 4) % 6, func = (i / 24) % 3, object = (i / 3) % 8, action = i % 4;
    Text function = Text(names.objects[object]) + u"-" + names.actions[action];
    Text classId = Number(200000000 + i);
    static const char16_t* kPrefixes[] = {u"Base|", u"Bill|", u"List|", u"SQLRPT|"};
    DictionaryRef entry = Dictionary::Create();
    entry->SetValue(u"FTopClassID", Number(top + 1));
    entry->SetValue(u"FTopClassName", names.topClasses[top]);
    entry->SetValue(u"FSubSystemID", Number(300 + sub));
    entry->SetValue(u"FSubSystemName", names.subSystems[sub]);
    entry->SetValue(u"FSubFuncID", Number(1000 + 10 * sub + func));
    entry->SetValue(u"FSubFuncName", names.subFunctions[func]);
    entry->SetValue(u"NewName", function);
    entry->SetValue(u"FFuncName", function);
    entry->SetValue(u"FClassName", u"OrvaHost.Application");
    entry->SetValue(u"FClassParam", kPrefixes[action] + classId);
    entry->SetValue(u"FHelpCode", u"");
    entry->SetValue(u"No", u"[" + function + u"] " + names.publishedTo + u": [" + names.topClasses[top] +
                               u"." + names.subSystems[sub] + u"." + names.subFunctions[func] + u"]");
    return entry;
}

// The benchmark data, made once: the packet set, its packet file and JSON text, written to a
// temporary folder.
struct Fixture {
    DictionaryRef set;
    std::string packetBytes;
    std::string jsonText;
    fs::path folder;
    Text packetPath;
    Text jsonPath;
    int64_t entries = 0;

    Fixture() {
        set = Dictionary::Create();
        for (const Names& names : kNames) {
            VectorRef packet = Vector::Create();
            for (int i = 0; i < g_entriesPerLanguage; ++i) packet->Add(Entry(names, i));
            set->SetValue(names.language, packet);
        }
        entries = 3 * int64_t{g_entriesPerLanguage};
        packetBytes = EncodePacket(*set);
        jsonText = WritePropertyBagJson(set, -1);
        std::string pattern = (fs::temp_directory_path() / "orva-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) std::abort();
        folder = pattern;
        packetPath = FromUtf8((folder / "DeployFunction.Dat").string());
        jsonPath = FromUtf8((folder / "DeployFunction.json").string());
        WriteFileAtomically(packetPath, packetBytes);
        WriteFileAtomically(jsonPath, jsonText);
    }
    ~Fixture() { fs::remove_all(folder); }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

std::string ReadFile(const Text& path) {
    std::ifstream file(ToUtf8(path), std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// Time per entry and bytes per entry as counters beside the time per call.
void Count(benchmark::State& state, size_t bytes) {
    const Fixture& data = Data();
    state.counters["time/entry"] =
        benchmark::Counter(static_cast<double>(data.entries),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["bytes/entry"] = static_cast<double>(bytes) / static_cast<double>(data.entries);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void PacketSave(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) SavePacketFile(data.packetPath, *data.set);
    Count(state, data.packetBytes.size());
}

// Runs load once per iteration; freeing what it built is left out of the time, for every contender.
template <typename Load>
void TimeLoads(benchmark::State& state, Load load) {
    for (auto _ : state) {
        auto result = load();
        benchmark::DoNotOptimize(result);
        state.PauseTiming();
        result = {};
        state.ResumeTiming();
    }
}

void PacketLoad(benchmark::State& state) {
    Fixture& data = Data();
    TimeLoads(state, [&] { return LoadPacketFile(data.packetPath); });
    Count(state, data.packetBytes.size());
}

void PacketEncode(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) benchmark::DoNotOptimize(EncodePacket(*data.set));
    Count(state, data.packetBytes.size());
}

void PacketDecode(benchmark::State& state) {
    Fixture& data = Data();
    TimeLoads(state, [&] { return DecodePacket(data.packetBytes, u"memory"); });
    Count(state, data.packetBytes.size());
}

// Parse only: read the file and walk every item, checking it as Load does (heads, lengths, UTF-8,
// depth), building nothing.
void CborParseOnly(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) {
        std::string bytes = ReadFile(data.packetPath);
        CborReader reader(bytes, u"memory");
        reader.ReadHead();
        reader.SkipItem(kMaxPacketDepth + 1);
        if (!reader.AtEnd()) std::abort();
    }
    Count(state, data.packetBytes.size());
}

// A second reference: nlohmann-json's CBOR reader building its own generic tree.
void NlohmannFromCbor(benchmark::State& state) {
    Fixture& data = Data();
    TimeLoads(state, [&] {
        return nlohmann::json::from_cbor(ReadFile(data.packetPath), true, true,
                                         nlohmann::json::cbor_tag_handler_t::ignore);
    });
    Count(state, data.packetBytes.size());
}

void JsonSave(benchmark::State& state) {
    Fixture& data = Data();
    for (auto _ : state) WriteFileAtomically(data.jsonPath, WritePropertyBagJson(data.set, -1));
    Count(state, data.jsonText.size());
}

void JsonLoad(benchmark::State& state) {
    Fixture& data = Data();
    TimeLoads(state, [&] { return ParsePropertyBagJson(ReadFile(data.jsonPath), data.jsonPath); });
    Count(state, data.jsonText.size());
}

void NlohmannParseJson(benchmark::State& state) {
    Fixture& data = Data();
    TimeLoads(state, [&] { return nlohmann::ordered_json::parse(ReadFile(data.jsonPath)); });
    Count(state, data.jsonText.size());
}

// Keeps the mean CPU time per call of every run for the ratios printed at the end. CPU time, as the
// contenders run on one thread and the machine may be busy with other work; Save, whose time is
// mostly waiting for the disk, is compared by its wall time.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && run.iterations > 0) {
                double iterations = static_cast<double>(run.iterations);
                m_cpu[run.run_name.function_name] = run.cpu_accumulated_time / iterations;
                m_real[run.run_name.function_name] = run.real_accumulated_time / iterations;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }
    double Ratio(const std::string& a, const std::string& b, bool wallTime = false) const {
        const auto& times = wallTime ? m_real : m_cpu;
        auto first = times.find(a);
        auto second = times.find(b);
        if (first == times.end() || second == times.end() || second->second <= 0) return 0;
        return first->second / second->second;
    }

private:
    std::map<std::string, double> m_cpu;
    std::map<std::string, double> m_real;
};

struct PeakMemory {
    double peak;      // bytes allocated at the highest point, above what was live before
    double retained;  // bytes still held afterwards (the loaded tree)
};

template <typename Load>
PeakMemory MeasurePeak(Load load) {
    g_liveBytes = 0;
    g_peakBytes = 0;
    g_counting = true;
    auto result = load();
    g_counting = false;
    benchmark::DoNotOptimize(result);
    return PeakMemory{static_cast<double>(g_peakBytes), static_cast<double>(g_liveBytes)};
}

void PrintSummary(const RatioReporter& reporter) {
    Fixture& data = Data();
    double fileSize = static_cast<double>(data.packetBytes.size());
    double jsonSize = static_cast<double>(data.jsonText.size());
    PeakMemory packet = MeasurePeak([&] { return LoadPacketFile(data.packetPath); });
    PeakMemory json =
        MeasurePeak([&] { return ParsePropertyBagJson(ReadFile(data.jsonPath), data.jsonPath); });

    std::printf(
        "\nPacket set: %lld entries (%d per language), packet file %.0f bytes (%.1f per entry), "
        "JSON text %.0f bytes (%.1f per entry)\n",
        static_cast<long long>(data.entries), g_entriesPerLanguage, fileSize, fileSize / data.entries,
        jsonSize, jsonSize / data.entries);
    std::printf("Load / parse only (CborReader walk):    %.2f  (goal: at most 2; CPU time)\n",
                reporter.Ratio("PacketLoad", "CborParseOnly"));
    std::printf("Load / parse only (nlohmann from_cbor): %.2f\n",
                reporter.Ratio("PacketLoad", "NlohmannFromCbor"));
    std::printf("Load JSON / Load packet:                %.2f\n", reporter.Ratio("JsonLoad", "PacketLoad"));
    std::printf("Save JSON / Save packet:                %.2f  (wall time, syncs included)\n",
                reporter.Ratio("JsonSave", "PacketSave", true));
    std::printf(
        "Peak memory of Load / file size:        %.2f  (goal: at most 3; the loaded tree alone is %.2f, "
        "the rest %.2f)\n",
        packet.peak / fileSize, packet.retained / fileSize, (packet.peak - packet.retained) / fileSize);
    std::printf("Peak memory of JSON Load / packet size: %.2f  (JSON file size: %.2f)\n",
                json.peak / fileSize, json.peak / jsonSize);
}

}  // namespace

BENCHMARK(PacketSave)->Unit(benchmark::kMillisecond);
BENCHMARK(PacketLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(PacketEncode)->Unit(benchmark::kMillisecond);
BENCHMARK(PacketDecode)->Unit(benchmark::kMillisecond);
BENCHMARK(CborParseOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(NlohmannFromCbor)->Unit(benchmark::kMillisecond);
BENCHMARK(JsonSave)->Unit(benchmark::kMillisecond);
BENCHMARK(JsonLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(NlohmannParseJson)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--entries=", 10) == 0) g_entriesPerLanguage = std::atoi(argv[i] + 10);
    }
    benchmark::Initialize(&argc, argv);
    try {
        Data();
        RatioReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        PrintSummary(reporter);
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "PacketFileBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return 0;
}
