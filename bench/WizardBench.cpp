// The deployment wizard with its Qt view, against a floor of filling the same Qt widgets directly.
//
// Two steps, for 1,000, 2,000 and 5,000 chosen types on an account whose catalogue has 200 top classes:
//   load  a new frmWizard is handed the chosen types and shown as the Qt UI services show it: Load
//         (function list, the cascade of target lists with one proposed sub-function per type,
//         publish list), then its view built, shown and brought up to date;
//   set   cmdSet is clicked on the shown wizard with every function selected, so every function
//         becomes a publish line (four selection entries each) and lvwResult shows them all.
// The floor fills widgets set up as the view's (QListWidget for list boxes, QTreeWidget for list views)
// with the very texts the wizard ended with, inserted in one batch and selected once, and shows them.
// Goal: the wizard within 3x of the floor, and a time per chosen type that stays flat as the count
// grows. The verdict is taken on this thread's CPU time (steadier than wall time on a shared machine;
// both are printed). The Headless rows run the same steps on the model without a view, so the table
// can tell the view's share (wizard - headless) from the model's.
//
// The chosen types are base data (one maintenance function each); the "mixed" cases make every tenth
// type a bill with three actions, which the bill-action catalogue reads from the account per type.
// Types and top classes are added to a demo account once; every run reads the same file.
//
// Usage: WizardBench [--language=CHS|CHT|EN] [Google Benchmark options] under QT_QPA_PLATFORM=offscreen
// (bench/run-wizard-bench.sh builds and runs it). The account goes to $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QItemSelection>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "SummaryReporter.h"
#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "bag/Dictionary.h"
#include "catalog/CatalogWriter.h"
#include "catalog/ClassCatalog.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/Twips.h"
#include "dialogs/wizard/frmWizard.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

namespace {

using namespace orva;
using namespace orva::automation;
using namespace orva::components;
using namespace orva::dialogs;
namespace fs = std::filesystem;
using orva::bench::SummaryReporter;

std::string g_language = "EN";

constexpr int kTopClasses = 200;  // in the catalogue, the demo's five included
constexpr int kMaxTypes = 5000;   // base-data types added to the account
constexpr int kMaxBills = 500;    // bill types added, three actions each
constexpr int32_t kFirstBase = 300000001;
constexpr int32_t kFirstBill = 400000001;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "WizardBench: %s\n", what.c_str());
    std::exit(1);
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
}

// Inserts the bench's class types and bill actions in one transaction. There is no writer for class
// types (they come with the suite's metadata), so this goes straight to SQLite.
void AddClassTypes(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) Fail("cannot open " + path);
    Exec(db, "PRAGMA foreign_keys = ON; BEGIN IMMEDIATE");
    sqlite3_stmt* type = nullptr;
    sqlite3_stmt* action = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) "
        "VALUES (?1, ?2, ?3, ?4, ?5, 13)",
        -1, &type, nullptr);
    sqlite3_prepare_v2(
        db,
        "INSERT INTO t_BillAction (FClassTypeID, FKey, FOrder, FName_CHS, FName_CHT, FName_EN, "
        "FEnvironment) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        -1, &action, nullptr);
    if (!type || !action) Fail(sqlite3_errmsg(db));
    const auto insertType = [&](int32_t fid, const std::string& chs, const std::string& cht,
                                const std::string& en, int billType) {
        sqlite3_bind_int(type, 1, fid);
        sqlite3_bind_text(type, 2, chs.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(type, 3, cht.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(type, 4, en.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(type, 5, billType);
        if (sqlite3_step(type) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
        sqlite3_reset(type);
    };
    char number[16];
    for (int i = 0; i < kMaxTypes; ++i) {
        std::snprintf(number, sizeof number, "%05d", i);
        insertType(kFirstBase + i, std::string("物料类型") + number, std::string("物料類型") + number,
                   std::string("Item type ") + number, 1);
    }
    struct Action {
        const char* key;
        const char* chs;
        const char* cht;
        const char* en;
        int environment;
    };
    const Action actions[] = {{"mnuFileNew", "新增", "新增", "New", 1},
                              {"mnuViewList", "序时簿", "序時簿", "List", 64},
                              {"mnuEditCheck", "审核", "審核", "Approve", 64}};
    for (int i = 0; i < kMaxBills; ++i) {
        std::snprintf(number, sizeof number, "%04d", i);
        insertType(kFirstBill + i, std::string("单据类型") + number, std::string("單據類型") + number,
                   std::string("Bill type ") + number, 4);
        for (int k = 0; k < 3; ++k) {
            sqlite3_bind_int(action, 1, kFirstBill + i);
            sqlite3_bind_text(action, 2, actions[k].key, -1, SQLITE_STATIC);
            sqlite3_bind_int(action, 3, k + 1);
            sqlite3_bind_text(action, 4, actions[k].chs, -1, SQLITE_STATIC);
            sqlite3_bind_text(action, 5, actions[k].cht, -1, SQLITE_STATIC);
            sqlite3_bind_text(action, 6, actions[k].en, -1, SQLITE_STATIC);
            sqlite3_bind_int(action, 7, actions[k].environment);
            if (sqlite3_step(action) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
            sqlite3_reset(action);
        }
    }
    sqlite3_finalize(type);
    sqlite3_finalize(action);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

CatalogLanguage CatalogLanguageOf(const std::string& code) {
    if (code == "CHT") return CatalogLanguage::CHT;
    if (code == "EN") return CatalogLanguage::EN;
    return CatalogLanguage::CHS;
}

// The demo account with top classes added through the catalogue writer up to kTopClasses, and the
// bench's class types; published as the host's account.
struct Account {
    fs::path folder;
    std::string path;
    std::vector<DictionaryRef> baseTypes;  // as ClassCatalog answers them, in FID order
    std::vector<DictionaryRef> billTypes;

    Account() {
        std::string pattern = (fs::temp_directory_path() / "orva-wizard-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) Fail("cannot create a folder in " + fs::temp_directory_path().string());
        folder = pattern;
        path = (folder / "account.db").string();
        CreateAccountFile(path, {.demo = true});
        CatalogWriter writer(AccountAddress{path});
        char number[16];
        for (int i = 5; i < kTopClasses; ++i) {
            std::snprintf(number, sizeof number, "%03d", i);
            DictionaryRef data = Dictionary::Create();
            data->SetValue(u"FTopClassName_CHS", FromUtf8(std::string("业务领域") + number));
            data->SetValue(u"FTopClassName_CHT", FromUtf8(std::string("業務領域") + number));
            data->SetValue(u"FTopClassName_EN", FromUtf8(std::string("Business area ") + number));
            data->SetValue(u"FTopClassName", FromUtf8(std::string("业务领域") + number));
            writer.CreateTopClass(100 + i, *data);
        }
        AddClassTypes(path);

        PublishOwnProperty(u"Language", FromUtf8(g_language));
        PublishOwnProperty(u"PropsString",
                           FromUtf8("Language=" + g_language + ";ConnectString=sqlite:" + path + ";"));
        hostctx::ResetModuleState();
        VectorRef types = ClassTypeDictionaries(AccountAddress{path}, CatalogLanguageOf(g_language),
                                                ParseClassTypeFilter(u"FID >= 300000000"));
        for (const Variant& item : *types) {
            DictionaryRef type = AsDictionary(item);
            (type->Value(u"FBillTypeID").ToInt32() == 1 ? baseTypes : billTypes).push_back(type);
        }
        if (baseTypes.size() != kMaxTypes || billTypes.size() != kMaxBills)
            Fail("the class types are not all there");
    }
    ~Account() {
        CloseIdleAccountConnections();
        fs::remove_all(folder);
    }

    // count chosen types; with billEvery > 0 every billEvery-th of them is a bill type.
    VectorRef Chosen(int count, int billEvery) const {
        VectorRef chosen = Vector::Create();
        size_t base = 0;
        size_t bill = 0;
        for (int i = 0; i < count; ++i) {
            bool isBill = billEvery > 0 && (i + 1) % billEvery == 0;
            chosen->Add(isBill ? billTypes.at(bill++) : baseTypes.at(base++));
        }
        return chosen;
    }
};

Account& Data() {
    static Account account;
    return account;
}

struct Case {
    std::string name;  // "<count>/base" or "<count>/mixed"
    int count;
    int billEvery;
    int iterations;
};

std::vector<Case> Cases() {
    return {
        {"1000/base", 1000, 0, 10},  {"2000/base", 2000, 0, 6},   {"5000/base", 5000, 0, 4},
        {"1000/mixed", 1000, 10, 6}, {"5000/mixed", 5000, 10, 3},
    };
}

// The texts a wizard of a case ends with, for the floor to fill its widgets with.
struct Texts {
    QStringList topClasses, subSystems, subFuncs;  // list boxes: display parts
    QStringList functions;                         // lvwFuncDetail
    QStringList lines;                             // lvwResult after cmdSet
    QString functionColumn, resultColumn;
};

std::shared_ptr<frmWizard> NewWizard(const Case& run) {
    auto wizard = std::make_shared<frmWizard>(std::make_shared<ScriptedUi>());
    wizard->SelectClasses = Data().Chosen(run.count, run.billEvery);
    return wizard;
}

// The wizard shown as the Qt UI services show it (Load, then the view), up to date on screen.
std::unique_ptr<DialogView> ShowWizard(frmWizard& wizard) {
    wizard.Load();
    wizard.MarkShown();
    std::unique_ptr<DialogView> view = CreateView(wizard, nullptr);
    view->show();
    QApplication::processEvents();
    return view;
}

void PressSet(frmWizard& wizard, DialogView& view) {
    static_cast<QPushButton*>(view.WidgetOf(wizard.cmdSet))->click();
    QApplication::processEvents();
}

QStringList DisplayTexts(const ListBox& list) {
    QStringList texts;
    for (int32_t i = 0; i < list.ListCount(); ++i) texts.append(ToQt(list.DisplayText(i)));
    return texts;
}

QStringList ItemTexts(const ListView& view) {
    QStringList texts;
    for (const ListViewItem& item : view.Items()) texts.append(ToQt(item.text));
    return texts;
}

const Texts& TextsOf(const Case& run) {
    static std::map<std::string, Texts> known;
    auto it = known.find(run.name);
    if (it != known.end()) return it->second;
    auto wizard = NewWizard(run);
    auto view = ShowWizard(*wizard);
    PressSet(*wizard, *view);
    Texts texts{DisplayTexts(wizard->lstTopClass),
                DisplayTexts(wizard->lstSubSystem),
                DisplayTexts(wizard->lstSubFunc),
                ItemTexts(wizard->lvwFuncDetail),
                ItemTexts(wizard->lvwResult),
                ToQt(wizard->lvwFuncDetail.Columns().front().text),
                ToQt(wizard->lvwResult.Columns().front().text)};
    view.reset();
    return known.emplace(run.name, std::move(texts)).first->second;
}

// What the wizard must show after a step, checked outside the time; empty when it does.
std::string CheckWizard(const Case& run, frmWizard& wizard, DialogView& view, bool afterSet) {
    const int functions = run.count + (run.billEvery > 0 ? 2 * (run.count / run.billEvery) : 0);
    auto* functionView = static_cast<QTreeWidget*>(view.WidgetOf(wizard.lvwFuncDetail));
    auto* resultView = static_cast<QTreeWidget*>(view.WidgetOf(wizard.lvwResult));
    auto* subFuncs = static_cast<QListWidget*>(view.WidgetOf(wizard.lstSubFunc));
    if (wizard.lstTopClass.ListCount() != kTopClasses - 1) return "lstTopClass is not filled";
    if (wizard.lvwFuncDetail.Count() != functions || functionView->topLevelItemCount() != functions ||
        static_cast<int>(functionView->selectionModel()->selectedRows().size()) != functions) {
        return "lvwFuncDetail shows " + std::to_string(functionView->topLevelItemCount()) +
               " functions, not " + std::to_string(functions) + " selected";
    }
    if (subFuncs->count() < run.count || subFuncs->currentRow() != 0) return "lstSubFunc lacks the proposals";
    const int lines = afterSet ? functions : 0;
    if (wizard.PromulgateListEN->Count() != lines || resultView->topLevelItemCount() != lines ||
        static_cast<int>(resultView->selectionModel()->selectedRows().size()) != lines) {
        return "lvwResult shows " + std::to_string(resultView->topLevelItemCount()) + " lines, not " +
               std::to_string(lines);
    }
    return {};
}

// The median wall and CPU time of the timed part of the iterations (BenchClock.h). The CPU time of
// this thread is the steadier figure on a machine shared with other work (all of the wizard's and Qt's
// work runs here).
class StepClock : public orva::bench::MedianClock {
public:
    using MedianClock::MedianClock;
    void Report(int count) {
        if (Empty()) return;
        m_state.counters["ms"] = 1e3 * MedianWall();
        m_state.counters["cpu_ms"] = 1e3 * MedianCpu();
        m_state.counters["cpu_us/type"] = 1e6 * MedianCpu() / count;
    }
};

void WizardLoad(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto wizard = NewWizard(run);
        auto view = ShowWizard(*wizard);
        clock.Stop();
        std::string failure = CheckWizard(run, *wizard, *view, false);
        view.reset();
        wizard.reset();
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    clock.Report(run.count);
}

void WizardSet(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto wizard = NewWizard(run);
        auto view = ShowWizard(*wizard);
        clock.Start();
        PressSet(*wizard, *view);
        clock.Stop();
        std::string failure = CheckWizard(run, *wizard, *view, true);
        view.reset();
        wizard.reset();
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    clock.Report(run.count);
}

// The model alone, without a view: which share of the wizard's time is the model's.
void HeadlessLoad(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto wizard = NewWizard(run);
        wizard->Load();
        clock.Stop();
        wizard.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

void HeadlessSet(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto wizard = NewWizard(run);
        wizard->Load();
        wizard->MarkShown();
        clock.Start();
        wizard->cmdSet.Press();
        clock.Stop();
        wizard.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

// ---- The floor: the same widgets, set up as the view sets them up, filled directly ----------------

class FloorDialog {
public:
    // The wizard's client size and the list widgets at their controls' places.
    explicit FloorDialog(const frmWizard& layout) {
        const Geometry& client = layout.Position();
        m_dialog.setFixedSize(TwipsToPixels(client.width, m_dialog.logicalDpiX()),
                              TwipsToPixels(client.height, m_dialog.logicalDpiY()));
        for (QListWidget** list : {&topClass, &subSystem, &subFunc}) {
            *list = new QListWidget(&m_dialog);
            (*list)->setUniformItemSizes(true);
            (*list)->setSelectionMode(QAbstractItemView::SingleSelection);
        }
        topClass->setGeometry(TwipsRect(layout.lstTopClass.Position(), m_dialog));
        subSystem->setGeometry(TwipsRect(layout.lstSubSystem.Position(), m_dialog));
        subFunc->setGeometry(TwipsRect(layout.lstSubFunc.Position(), m_dialog));
        for (QTreeWidget** view : {&functions, &result}) {
            *view = new QTreeWidget(&m_dialog);
            (*view)->setRootIsDecorated(false);
            (*view)->setUniformRowHeights(true);
            (*view)->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
        functions->setGeometry(TwipsRect(layout.lvwFuncDetail.Position(), m_dialog));
        result->setGeometry(TwipsRect(layout.lvwResult.Position(), m_dialog));
    }

    void Show() {
        m_dialog.show();
        QApplication::processEvents();
    }

    static void Fill(QListWidget* list, const QStringList& texts) {
        list->addItems(texts);
        if (!texts.isEmpty()) list->setCurrentRow(0);
    }

    // Items in one insertion, all selected in one range.
    static void Fill(QTreeWidget* view, const QString& column, const QStringList& texts) {
        view->setHeaderLabels({column});
        QList<QTreeWidgetItem*> items;
        items.reserve(texts.size());
        for (const QString& text : texts) items.append(new QTreeWidgetItem(QStringList{text}));
        view->addTopLevelItems(items);
        if (texts.isEmpty()) return;
        QAbstractItemModel* model = view->model();
        QItemSelection all(model->index(0, 0), model->index(static_cast<int>(texts.size()) - 1, 0));
        view->selectionModel()->select(all, QItemSelectionModel::ClearAndSelect);
    }

    QListWidget* topClass = nullptr;
    QListWidget* subSystem = nullptr;
    QListWidget* subFunc = nullptr;
    QTreeWidget* functions = nullptr;
    QTreeWidget* result = nullptr;

private:
    QDialog m_dialog;
};

const frmWizard& Layout() {
    static auto layout = std::make_shared<frmWizard>(std::make_shared<ScriptedUi>());
    return *layout;
}

void FloorLoad(benchmark::State& state, Case run) {
    const Texts& texts = TextsOf(run);
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto floor = std::make_unique<FloorDialog>(Layout());
        FloorDialog::Fill(floor->topClass, texts.topClasses);
        FloorDialog::Fill(floor->subSystem, texts.subSystems);
        FloorDialog::Fill(floor->subFunc, texts.subFuncs);
        FloorDialog::Fill(floor->functions, texts.functionColumn, texts.functions);
        FloorDialog::Fill(floor->result, texts.resultColumn, {});
        floor->Show();
        clock.Stop();
        floor.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

void FloorSet(benchmark::State& state, Case run) {
    const Texts& texts = TextsOf(run);
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto floor = std::make_unique<FloorDialog>(Layout());
        FloorDialog::Fill(floor->functions, texts.functionColumn, texts.functions);
        FloorDialog::Fill(floor->result, texts.resultColumn, {});
        floor->Show();
        clock.Start();
        FloorDialog::Fill(floor->result, texts.resultColumn, texts.lines);
        QApplication::processEvents();
        clock.Stop();
        floor.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

// ---- Summary ------------------------------------------------------------------------------------

constexpr double kRatioGoal = 3.0;
constexpr double kFlatGoal = 1.5;  // time per type at the largest count / at the smallest, at most

// Prints the table and returns whether every goal holds. The verdict is taken on CPU time.
bool PrintSummary(const SummaryReporter& reporter) {
    const auto value = [&](const char* step, const char* contender, const std::string& name,
                           const char* counter) {
        return reporter.Value(std::string(step) + "/" + contender + "/" + name, counter);
    };
    std::printf("\nWizard with its Qt view vs. the same widgets filled directly (language %s); medians.\n",
                g_language.c_str());
    std::printf("view = wizard - headless model: what the Qt view adds to the model's own work.\n");
    std::printf("%-5s %-11s %9s %9s %8s %9s %9s %8s %8s %10s %10s\n", "step", "case", "wiz ms", "flr ms",
                "wiz/flr", "wiz cpu", "flr cpu", "cpu w/f", "view/flr", "wiz us/t", "model us/t");
    bool holds = true;
    bool complete = true;
    for (const char* step : {"Load", "Set"}) {
        for (const Case& run : Cases()) {
            double wizard = value(step, "Wizard", run.name, "ms");
            double floor = value(step, "Floor", run.name, "ms");
            double wizardCpu = value(step, "Wizard", run.name, "cpu_ms");
            double floorCpu = value(step, "Floor", run.name, "cpu_ms");
            double modelCpu = value(step, "Headless", run.name, "cpu_ms");
            if (wizard == 0 || floor == 0 || floorCpu == 0) {
                complete = false;
                continue;
            }
            double ratio = wizardCpu / floorCpu;
            holds &= ratio <= kRatioGoal;
            std::printf("%-5s %-11s %9.2f %9.2f %8.2f %9.2f %9.2f %8.2f %8.2f %10.2f %10.2f%s\n", step,
                        run.name.c_str(), wizard, floor, wizard / floor, wizardCpu, floorCpu, ratio,
                        modelCpu > 0 ? (wizardCpu - modelCpu) / floorCpu : 0, 1e3 * wizardCpu / run.count,
                        1e3 * modelCpu / run.count, ratio <= kRatioGoal ? "" : "  > 3x");
        }
    }
    std::printf(
        "\nCPU time per chosen type as the count grows (goal: flat, at most x%.1f from 1,000 to 5,000):\n",
        kFlatGoal);
    for (const char* step : {"Load", "Set"}) {
        for (const char* kind : {"base", "mixed"}) {
            for (const char* contender : {"Wizard", "Headless", "Floor"}) {
                double small = value(step, contender, std::string("1000/") + kind, "cpu_us/type");
                double middle = value(step, contender, std::string("2000/") + kind, "cpu_us/type");
                double large = value(step, contender, std::string("5000/") + kind, "cpu_us/type");
                if (small == 0 || large == 0) continue;
                double growth = large / small;
                if (std::strcmp(contender, "Wizard") == 0) holds &= growth <= kFlatGoal;
                std::printf("  %-4s %-5s %-8s %7.2f -> ", step, kind, contender, small);
                if (middle > 0) std::printf("%7.2f -> ", middle);
                std::printf("%7.2f us/type  x%.2f\n", large, growth);
            }
        }
    }
    if (!complete)
        std::printf("\nSome cases did not run (filtered out or failed): the verdict covers the rest.\n");
    std::printf("\nGoal (wizard/floor CPU time at most %.0f in every row, wizard time per type flat): %s\n",
                kRatioGoal, holds ? "holds" : "does NOT hold");
    return holds;
}

void RegisterCases() {
    for (const Case& run : Cases()) {
        const std::pair<const char*, void (*)(benchmark::State&, Case)> contenders[] = {
            {"Load/Wizard/", &WizardLoad}, {"Load/Floor/", &FloorLoad}, {"Load/Headless/", &HeadlessLoad},
            {"Set/Wizard/", &WizardSet},   {"Set/Floor/", &FloorSet},   {"Set/Headless/", &HeadlessSet},
        };
        for (auto [prefix, function] : contenders) {
            benchmark::RegisterBenchmark((prefix + run.name).c_str(), function, run)
                ->Iterations(run.iterations)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--language=", 11) == 0) g_language = argv[i] + 11;
    }
    // No display is needed: the widgets render off screen (a display named in the environment is not
    // used unless QT_QPA_PLATFORM says so).
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    bool holds = false;
    try {
        Data();
        RegisterCases();
        SummaryReporter reporter;
        benchmark::RunSpecifiedBenchmarks(&reporter);
        holds = PrintSummary(reporter);
    } catch (const AutomationError& error) {
        std::fprintf(stderr, "WizardBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return holds ? 0 : 3;
}
