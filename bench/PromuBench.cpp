// The publish dialog with its Qt view, against a floor of filling the same Qt widgets directly.
//
// Two steps:
//   load  a new frmPromu for a subsystem of N class types (every fifth a bill type) and N/5 reports,
//         N = 1,000, 2,000, 5,000, shown as the Qt UI services show it: Load (the tree of three groups,
//         the publish data, the target lists), then its view built, shown and brought up to date;
//   tick  on the shown dialog of a subsystem of M bill types with five actions each (M = 250, 500,
//         1,000), the user ticks the check box of the "Bill" group node: every bill type is ticked and
//         its five functions appear, selected, in lvwFuncDetail.
// The floor fills widgets set up as the view's (a QTreeWidget with check boxes and icons for the tree,
// QListWidget for list boxes, QTreeWidget for list views) with the very texts the dialog ended with,
// inserted in one batch and selected once, and shows them. For the tick, the floor's tree already holds
// the bill types; it sets the M + 1 check marks and fills the 5 M function rows.
// Goal: the dialog within 3x of the floor, and a time per class type (load) or bill type (tick) that
// stays flat as the count grows. The verdict is taken on this thread's CPU time (steadier than wall
// time on a shared machine; both are printed). The Headless rows run the same steps on the model
// without a view, so the table can tell the view's share (dialog - headless) from the model's.
//
// Subsystems, types, actions and reports are added to a demo account once; every run reads the same
// file.
//
// Usage: PromuBench [--language=CHS|CHT|EN] [Google Benchmark options] under QT_QPA_PLATFORM=offscreen
// (bench/run-promu-bench.sh builds and runs it). The account goes to $TMPDIR (default /tmp).

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QItemSelection>
#include <QListWidget>
#include <QStyle>
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
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/Twips.h"
#include "dialogs/promu/frmPromu.h"
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

constexpr int kActionsPerBill = 5;

[[noreturn]] void Fail(const std::string& what) {
    std::fprintf(stderr, "PromuBench: %s\n", what.c_str());
    std::exit(1);
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(sqlite3_errmsg(db));
}

enum class Step { Load, Tick };

struct Case {
    std::string name;  // the count
    Step step;
    int count;  // class types of the subsystem (load) or bill types (tick)
    int iterations;
    int32_t subsystem;
};

std::vector<Case> Cases() {
    return {
        {"1000", Step::Load, 1000, 6, 901}, {"2000", Step::Load, 2000, 4, 902},
        {"5000", Step::Load, 5000, 3, 905}, {"250", Step::Tick, 250, 6, 921},
        {"500", Step::Tick, 500, 4, 922},   {"1000", Step::Tick, 1000, 3, 924},
    };
}

int32_t FirstType(int32_t subsystem) { return 200000000 + subsystem * 100000; }
int32_t FirstReport(int32_t subsystem) { return 600000000 + subsystem * 100000; }

// Inserts the cases' subsystems, class types, bill actions and reports in one transaction. There is no
// writer for class types or reports (they come with the suite's metadata), so this goes straight to
// SQLite.
void AddCaseData(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) Fail("cannot open " + path);
    Exec(db, "PRAGMA foreign_keys = ON; BEGIN IMMEDIATE");
    sqlite3_stmt* subsystem = nullptr;
    sqlite3_stmt* type = nullptr;
    sqlite3_stmt* action = nullptr;
    sqlite3_stmt* report = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO t_BizSubSystem VALUES (?1, ?2, ?2, ?2)", -1, &subsystem, nullptr);
    sqlite3_prepare_v2(
        db,
        "INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) "
        "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
        -1, &type, nullptr);
    sqlite3_prepare_v2(
        db,
        "INSERT INTO t_BillAction (FClassTypeID, FKey, FOrder, FName_CHS, FName_CHT, FName_EN, "
        "FEnvironment) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)",
        -1, &action, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO t_Report (FID, FName_CHS, FName_CHT, FName_EN, FType, FFunctionID) "
                       "VALUES (?1, ?2, ?3, ?4, ?5, ?6)",
                       -1, &report, nullptr);
    if (!subsystem || !type || !action || !report) Fail(sqlite3_errmsg(db));
    const auto step = [&](sqlite3_stmt* statement) {
        if (sqlite3_step(statement) != SQLITE_DONE) Fail(sqlite3_errmsg(db));
        sqlite3_reset(statement);
    };
    const auto names = [](sqlite3_stmt* statement, const std::string& chs, const std::string& cht,
                          const std::string& en) {
        sqlite3_bind_text(statement, 2, chs.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 3, cht.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 4, en.c_str(), -1, SQLITE_TRANSIENT);
    };
    struct Action {
        const char* key;
        const char* chs;
        const char* cht;
        const char* en;
        int environment;  // 1: the bill form, 64: the bill list
    };
    const Action actions[kActionsPerBill] = {{"mnuFileNew", "新增", "新增", "New", 1},
                                             {"mnuViewList", "序时簿", "序時簿", "List", 64},
                                             {"mnuEditCheck", "审核", "審核", "Approve", 64},
                                             {"mnuEditUnCheck", "反审核", "反審核", "Disapprove", 64},
                                             {"mnuFilePrint", "打印", "打印", "Print", 64}};
    char number[16];
    for (const Case& run : Cases()) {
        sqlite3_bind_int(subsystem, 1, run.subsystem);
        sqlite3_bind_text(subsystem, 2, ("Bench " + std::to_string(run.subsystem)).c_str(), -1,
                          SQLITE_TRANSIENT);
        step(subsystem);
        for (int i = 0; i < run.count; ++i) {
            std::snprintf(number, sizeof number, "%05d", i);
            // Load cases: every fifth type a bill; tick cases: bills only.
            const bool bill = run.step == Step::Tick || i % 5 == 4;
            const int32_t fid = FirstType(run.subsystem) + i;
            sqlite3_bind_int(type, 1, fid);
            names(type, std::string(bill ? "单据类型" : "物料类型") + number,
                  std::string(bill ? "單據類型" : "物料類型") + number,
                  std::string(bill ? "Bill type " : "Item type ") + number);
            sqlite3_bind_int(type, 5, bill ? 4 : 1);
            sqlite3_bind_int(type, 6, run.subsystem);
            step(type);
            if (run.step != Step::Tick) continue;
            for (int k = 0; k < kActionsPerBill; ++k) {
                sqlite3_bind_int(action, 1, fid);
                sqlite3_bind_text(action, 2, actions[k].key, -1, SQLITE_STATIC);
                sqlite3_bind_int(action, 3, k + 1);
                sqlite3_bind_text(action, 4, actions[k].chs, -1, SQLITE_STATIC);
                sqlite3_bind_text(action, 5, actions[k].cht, -1, SQLITE_STATIC);
                sqlite3_bind_text(action, 6, actions[k].en, -1, SQLITE_STATIC);
                sqlite3_bind_int(action, 7, actions[k].environment);
                step(action);
            }
        }
        if (run.step != Step::Load) continue;
        for (int i = 0; i < run.count / 5; ++i) {
            std::snprintf(number, sizeof number, "%05d", i);
            sqlite3_bind_int(report, 1, FirstReport(run.subsystem) + i);
            names(report, std::string("报表") + number, std::string("報表") + number,
                  std::string("Report ") + number);
            sqlite3_bind_int(report, 5, 1000 + i % 3);
            sqlite3_bind_int(report, 6, run.subsystem);
            step(report);
        }
    }
    for (sqlite3_stmt* statement : {subsystem, type, action, report}) sqlite3_finalize(statement);
    Exec(db, "COMMIT");
    sqlite3_close(db);
}

// The demo account with the cases' data, published as the host's account.
struct Account {
    fs::path folder;
    std::string path;

    Account() {
        std::string pattern = (fs::temp_directory_path() / "orva-promu-bench-XXXXXX").string();
        if (!mkdtemp(pattern.data())) Fail("cannot create a folder in " + fs::temp_directory_path().string());
        folder = pattern;
        path = (folder / "account.db").string();
        CreateAccountFile(path, {.demo = true});
        AddCaseData(path);
        PublishOwnProperty(u"Language", FromUtf8(g_language));
        PublishOwnProperty(u"PropsString",
                           FromUtf8("Language=" + g_language + ";ConnectString=sqlite:" + path + ";"));
        hostctx::ResetModuleState();
    }
    ~Account() {
        CloseIdleAccountConnections();
        fs::remove_all(folder);
    }
};

Account& Data() {
    static Account account;
    return account;
}

std::shared_ptr<frmPromu> NewPromu(const Case& run) {
    auto promu = std::make_shared<frmPromu>(std::make_shared<ScriptedUi>());
    promu->m_lCurSubSystem = run.subsystem;
    return promu;
}

// The dialog shown as the Qt UI services show it (Load, then the view), up to date on screen.
std::unique_ptr<DialogView> ShowPromu(frmPromu& promu) {
    promu.Load();
    promu.MarkShown();
    std::unique_ptr<DialogView> view = CreateView(promu, nullptr);
    view->show();
    QApplication::processEvents();
    return view;
}

QTreeWidget* TreeOf(const frmPromu& promu, const DialogView& view) {
    return static_cast<QTreeWidget*>(view.WidgetOf(promu.tvList));
}

QTreeWidgetItem* BillGroupItem(const frmPromu& promu, const DialogView& view) {
    const int32_t index = promu.tvList.IndexOf(u"Bill");
    QTreeWidget* tree = TreeOf(promu, view);
    for (int i = 0; i < tree->topLevelItemCount(); ++i) {
        if (tree->topLevelItem(i)->data(0, Qt::UserRole).toInt() == index) return tree->topLevelItem(i);
    }
    Fail("the tree shows no Bill group");
}

// The user's click on the group's check box, as Qt reports it: the item's mark changes and the
// binding hands the click to the model.
void TickBills(const frmPromu& promu, const DialogView& view) {
    BillGroupItem(promu, view)->setCheckState(0, Qt::Checked);
    QApplication::processEvents();
}

// The texts and marks a dialog of a case ends with, for the floor to fill its widgets with.
struct Texts {
    struct Node {
        QString text;
        int parent;  // index among the nodes, -1 for a group
        bool checked;
        bool expanded;
        QString image;
    };
    std::vector<Node> nodes;
    QStringList topClasses, subSystems, subFuncs;
    QStringList functions;  // lvwFuncDetail
    QString functionColumn, resultColumn;
};

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
    static std::map<std::pair<int, int>, Texts> known;
    const std::pair key{static_cast<int>(run.step), run.count};
    auto it = known.find(key);
    if (it != known.end()) return it->second;
    auto promu = NewPromu(run);
    auto view = ShowPromu(*promu);
    if (run.step == Step::Tick) TickBills(*promu, *view);
    Texts texts;
    for (int32_t index = 1; index <= promu->tvList.Count(); ++index) {
        const TreeNode& node = promu->tvList.Node(index);
        const std::optional<Text>& image =
            node.expanded && node.expandedImage ? node.expandedImage : node.image;
        texts.nodes.push_back({ToQt(node.text), node.parent - 1, node.checked, node.expanded,
                               image ? ToQt(*image) : QString()});
    }
    texts.topClasses = DisplayTexts(promu->lstTopClass);
    texts.subSystems = DisplayTexts(promu->lstSubSystem);
    texts.subFuncs = DisplayTexts(promu->lstSubFunc);
    texts.functions = ItemTexts(promu->lvwFuncDetail);
    texts.functionColumn = ToQt(promu->lvwFuncDetail.Columns().front().text);
    texts.resultColumn = ToQt(promu->lvwResult.Columns().front().text);
    view.reset();
    return known.emplace(key, std::move(texts)).first->second;
}

// What a run must have shown; an empty text when it did.
std::string CheckPromu(const Case& run, const frmPromu& promu, const DialogView& view, bool ticked) {
    const int reports = run.step == Step::Load ? run.count / 5 : 0;
    const int nodes = 3 + run.count + reports;
    QTreeWidget* tree = TreeOf(promu, view);
    int shown = 0;
    int checked = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        ++shown;
        if ((*it)->checkState(0) == Qt::Checked) ++checked;
    }
    if (promu.tvList.Count() != nodes || shown != nodes) {
        return "tvList shows " + std::to_string(shown) + " nodes, not " + std::to_string(nodes);
    }
    const int marks = ticked ? run.count + 1 : 0;
    if (checked != marks)
        return "tvList shows " + std::to_string(checked) + " marks, not " + std::to_string(marks);
    const int rows = ticked ? run.count * kActionsPerBill : 0;
    auto* functions = static_cast<QTreeWidget*>(view.WidgetOf(promu.lvwFuncDetail));
    if (promu.lvwFuncDetail.Count() != rows || functions->topLevelItemCount() != rows ||
        static_cast<int>(functions->selectionModel()->selectedRows().size()) != rows) {
        return "lvwFuncDetail shows " + std::to_string(functions->topLevelItemCount()) + " rows, not " +
               std::to_string(rows) + " selected";
    }
    if (promu.lstTopClass.ListCount() == 0 || promu.lstSubFunc.ListCount() == 0)
        return "the target lists are not filled";
    return {};
}

// The median wall and CPU time of the timed part of the iterations (BenchClock.h). The CPU time of
// this thread is the steadier figure on a machine shared with other work (all of the dialog's and Qt's
// work runs here).
class StepClock : public orva::bench::MedianClock {
public:
    using MedianClock::MedianClock;
    void Report(int count) {
        if (Empty()) return;
        m_state.counters["ms"] = 1e3 * MedianWall();
        m_state.counters["cpu_ms"] = 1e3 * MedianCpu();
        m_state.counters["cpu_us/obj"] = 1e6 * MedianCpu() / count;
    }
};

void DialogLoad(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto promu = NewPromu(run);
        auto view = ShowPromu(*promu);
        clock.Stop();
        std::string failure = CheckPromu(run, *promu, *view, false);
        view.reset();
        promu.reset();
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    clock.Report(run.count);
}

void DialogTick(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto promu = NewPromu(run);
        auto view = ShowPromu(*promu);
        clock.Start();
        TickBills(*promu, *view);
        clock.Stop();
        std::string failure = CheckPromu(run, *promu, *view, true);
        view.reset();
        promu.reset();
        state.ResumeTiming();
        if (!failure.empty()) {
            state.SkipWithError(failure.c_str());
            break;
        }
    }
    clock.Report(run.count);
}

// The model alone, without a view: which share of the dialog's time is the model's.
void HeadlessLoad(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto promu = NewPromu(run);
        promu->Load();
        promu->MarkShown();
        clock.Stop();
        promu.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

void HeadlessTick(benchmark::State& state, Case run) {
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto promu = NewPromu(run);
        promu->Load();
        promu->MarkShown();
        const int32_t group = promu->tvList.IndexOf(u"Bill");
        clock.Start();
        promu->tvList.CheckByUser(group, true);
        clock.Stop();
        const bool complete = promu->lvwFuncDetail.Count() == run.count * kActionsPerBill;
        promu.reset();
        state.ResumeTiming();
        if (!complete) {
            state.SkipWithError("the headless tick added the wrong number of rows");
            break;
        }
    }
    clock.Report(run.count);
}

// ---- The floor: the same widgets, set up as the view sets them up, filled directly ----------------

class FloorDialog {
public:
    // The dialog's client size and the widgets at their controls' places.
    explicit FloorDialog(const frmPromu& layout) {
        const Geometry& client = layout.Position();
        m_dialog.setFixedSize(TwipsToPixels(client.width, m_dialog.logicalDpiX()),
                              TwipsToPixels(client.height, m_dialog.logicalDpiY()));
        tree = new QTreeWidget(&m_dialog);
        tree->setHeaderHidden(true);
        tree->header()->setMinimumSectionSize(0);
        tree->header()->setDefaultSectionSize(0);
        tree->setColumnCount(2);
        tree->header()->setStretchLastSection(false);
        tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        tree->header()->setSectionResizeMode(1, QHeaderView::Stretch);
        tree->setUniformRowHeights(true);
        tree->setSelectionMode(QAbstractItemView::SingleSelection);
        tree->setGeometry(Inside(layout.framePub3, layout.tvList));
        for (QListWidget** list : {&topClass, &subSystem, &subFunc}) {
            *list = new QListWidget(&m_dialog);
            (*list)->setUniformItemSizes(true);
            (*list)->setSelectionMode(QAbstractItemView::SingleSelection);
        }
        topClass->setGeometry(Inside(layout.framePub0, layout.lstTopClass));
        subSystem->setGeometry(Inside(layout.framePub0, layout.lstSubSystem));
        subFunc->setGeometry(Inside(layout.framePub0, layout.lstSubFunc));
        for (QTreeWidget** view : {&functions, &result}) {
            *view = new QTreeWidget(&m_dialog);
            (*view)->setRootIsDecorated(false);
            (*view)->setUniformRowHeights(true);
            (*view)->setSelectionMode(QAbstractItemView::ExtendedSelection);
        }
        functions->setGeometry(TwipsRect(layout.lvwFuncDetail.Position(), m_dialog));
        result->setGeometry(TwipsRect(layout.lvwResult.Position(), m_dialog));
        QStyle* style = m_dialog.style();
        m_icons = {{ToQt(frmPromu::kImageClosed), style->standardIcon(QStyle::SP_DirClosedIcon)},
                   {ToQt(frmPromu::kImageOpen), style->standardIcon(QStyle::SP_DirOpenIcon)},
                   {ToQt(frmPromu::kImageLeaf), style->standardIcon(QStyle::SP_FileIcon)}};
    }

    void Show() {
        m_dialog.show();
        QApplication::processEvents();
    }

    // The nodes with their marks and icons, linked before the tree takes the groups in one insertion.
    void FillTree(const std::vector<Texts::Node>& nodes, bool marks) {
        m_items.clear();
        m_items.reserve(nodes.size());
        QList<QTreeWidgetItem*> groups;
        for (const Texts::Node& node : nodes) {
            auto* item = new QTreeWidgetItem(QStringList{node.text});
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
            item->setCheckState(0, marks && node.checked ? Qt::Checked : Qt::Unchecked);
            if (auto icon = m_icons.find(node.image); icon != m_icons.end()) item->setIcon(0, icon->second);
            if (node.parent < 0) {
                groups.append(item);
            } else {
                m_items[static_cast<size_t>(node.parent)]->addChild(item);
            }
            m_items.push_back(item);
        }
        tree->clear();
        tree->addTopLevelItems(groups);
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].expanded) m_items[i]->setExpanded(true);
        }
    }

    // The marks the dialog ended with, set item by item.
    void Mark(const std::vector<Texts::Node>& nodes) {
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes[i].checked) m_items[i]->setCheckState(0, Qt::Checked);
        }
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

    QTreeWidget* tree = nullptr;
    QListWidget* topClass = nullptr;
    QListWidget* subSystem = nullptr;
    QListWidget* subFunc = nullptr;
    QTreeWidget* functions = nullptr;
    QTreeWidget* result = nullptr;

private:
    QRect Inside(const Control& frame, const Control& control) const {
        Geometry g = control.Position();
        g.left += frame.Position().left;
        g.top += frame.Position().top;
        return TwipsRect(g, m_dialog);
    }

    QDialog m_dialog;
    std::map<QString, QIcon> m_icons;
    std::vector<QTreeWidgetItem*> m_items;  // by node, in the model's order
};

const frmPromu& Layout() {
    static auto layout = std::make_shared<frmPromu>(std::make_shared<ScriptedUi>());
    return *layout;
}

void FloorLists(FloorDialog& floor, const Texts& texts) {
    FloorDialog::Fill(floor.topClass, texts.topClasses);
    FloorDialog::Fill(floor.subSystem, texts.subSystems);
    FloorDialog::Fill(floor.subFunc, texts.subFuncs);
    FloorDialog::Fill(floor.result, texts.resultColumn, {});
}

void FloorLoad(benchmark::State& state, Case run) {
    const Texts& texts = TextsOf(run);
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        clock.Start();
        auto floor = std::make_unique<FloorDialog>(Layout());
        floor->FillTree(texts.nodes, true);
        FloorLists(*floor, texts);
        FloorDialog::Fill(floor->functions, texts.functionColumn, {});
        floor->Show();
        clock.Stop();
        floor.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

void FloorTick(benchmark::State& state, Case run) {
    const Texts& texts = TextsOf(run);
    StepClock clock(state);
    for (auto _ : state) {
        state.PauseTiming();
        auto floor = std::make_unique<FloorDialog>(Layout());
        floor->FillTree(texts.nodes, false);
        FloorLists(*floor, texts);
        FloorDialog::Fill(floor->functions, texts.functionColumn, {});
        floor->Show();
        clock.Start();
        floor->Mark(texts.nodes);
        FloorDialog::Fill(floor->functions, texts.functionColumn, texts.functions);
        QApplication::processEvents();
        clock.Stop();
        floor.reset();
        state.ResumeTiming();
    }
    clock.Report(run.count);
}

// ---- Summary ------------------------------------------------------------------------------------

constexpr double kRatioGoal = 3.0;
constexpr double kFlatGoal = 1.5;  // time per object at the largest count / at the smallest, at most

const char* StepName(Step step) { return step == Step::Load ? "Load" : "Tick"; }

// Prints the table and returns whether every goal holds. The verdict is taken on CPU time.
bool PrintSummary(const SummaryReporter& reporter) {
    const auto value = [&](const Case& run, const char* contender, const char* counter) {
        return reporter.Value(std::string(StepName(run.step)) + "/" + contender + "/" + run.name, counter);
    };
    std::printf(
        "\nPublish dialog with its Qt view vs. the same widgets filled directly (language %s); medians.\n",
        g_language.c_str());
    std::printf(
        "Load: N class types (a fifth of them bills) and N/5 reports; Tick: the Bill group with N bill\n"
        "types of %d actions each. view = dialog - headless model: what the Qt view adds.\n",
        kActionsPerBill);
    std::printf("%-5s %6s %9s %9s %8s %9s %9s %8s %8s %10s %10s\n", "step", "N", "dlg ms", "flr ms",
                "dlg/flr", "dlg cpu", "flr cpu", "cpu d/f", "view/flr", "dlg us/N", "model us/N");
    bool holds = true;
    bool complete = true;
    for (const Case& run : Cases()) {
        double dialog = value(run, "Dialog", "ms");
        double floor = value(run, "Floor", "ms");
        double dialogCpu = value(run, "Dialog", "cpu_ms");
        double floorCpu = value(run, "Floor", "cpu_ms");
        double modelCpu = value(run, "Headless", "cpu_ms");
        if (dialog == 0 || floor == 0 || floorCpu == 0) {
            complete = false;
            continue;
        }
        double ratio = dialogCpu / floorCpu;
        holds &= ratio <= kRatioGoal;
        std::printf("%-5s %6d %9.2f %9.2f %8.2f %9.2f %9.2f %8.2f %8.2f %10.2f %10.2f%s\n",
                    StepName(run.step), run.count, dialog, floor, dialog / floor, dialogCpu, floorCpu, ratio,
                    modelCpu > 0 ? (dialogCpu - modelCpu) / floorCpu : 0, 1e3 * dialogCpu / run.count,
                    1e3 * modelCpu / run.count, ratio <= kRatioGoal ? "" : "  > 3x");
    }
    std::printf(
        "\nCPU time per object as the count grows (goal: flat, at most x%.1f from the smallest to the "
        "largest):\n",
        kFlatGoal);
    for (Step step : {Step::Load, Step::Tick}) {
        std::vector<Case> runs;
        for (const Case& run : Cases()) {
            if (run.step == step) runs.push_back(run);
        }
        for (const char* contender : {"Dialog", "Headless", "Floor"}) {
            std::vector<double> perObject;
            for (const Case& run : runs) perObject.push_back(value(run, contender, "cpu_us/obj"));
            if (perObject.front() == 0 || perObject.back() == 0) continue;
            double growth = perObject.back() / perObject.front();
            if (std::strcmp(contender, "Dialog") == 0) holds &= growth <= kFlatGoal;
            std::printf("  %-4s %-8s", StepName(step), contender);
            for (size_t i = 0; i < perObject.size(); ++i)
                std::printf(i == 0 ? " %7.2f" : " -> %7.2f", perObject[i]);
            std::printf(" us/object  x%.2f\n", growth);
        }
    }
    if (!complete)
        std::printf("\nSome cases did not run (filtered out or failed): the verdict covers the rest.\n");
    std::printf("\nGoal (dialog/floor CPU time at most %.0f in every row, dialog time per object flat): %s\n",
                kRatioGoal, holds ? "holds" : "does NOT hold");
    return holds;
}

void RegisterCases() {
    for (const Case& run : Cases()) {
        const bool load = run.step == Step::Load;
        const std::pair<const char*, void (*)(benchmark::State&, Case)> contenders[] = {
            {"Dialog/", load ? &DialogLoad : &DialogTick},
            {"Floor/", load ? &FloorLoad : &FloorTick},
            {"Headless/", load ? &HeadlessLoad : &HeadlessTick},
        };
        for (auto [contender, function] : contenders) {
            const std::string name = std::string(StepName(run.step)) + "/" + contender + run.name;
            benchmark::RegisterBenchmark(name.c_str(), function, run)
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
        std::fprintf(stderr, "PromuBench: %s\n", error.what());
        return 1;
    }
    benchmark::Shutdown();
    return holds ? 0 : 3;
}
