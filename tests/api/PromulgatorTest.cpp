// clsPromulgator on the demo account, called by name as a host calls it, the user played through the UI
// services installed for the thread: what each call preselects in the subsystem's tree, publishing
// through the dialog into the catalogue, a new dialog for every call, and failures that reach the
// caller before or while the dialog shows, also without a display.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <set>
#include <tuple>

#include "api/clsPromulgator.h"
#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "bag/Vector.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/UiContext.h"
#include "dialogs/promu/frmPromu.h"
#include "hostctx/SharedProperties.h"
#include "support/CatalogueDump.h"
#include "support/ErrorNumber.h"
#include "support/TestAccount.h"

namespace orva::api {
namespace {

using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using components::AsDictionary;
using components::AsVector;
using dialogs::DialogModel;
using dialogs::frmPromu;
using dialogs::ModalStep;
using dialogs::ScriptedUi;

// The demo account's Sales subsystem (base data, bills, reports) and Production Data (one base type).
constexpr int32_t kSales = 12;
constexpr int32_t kProductionData = 21;

// A class type as a host hands it over: the dictionary the account's class catalogue answers for it.
ObjectRef ClassTypeOf(int32_t fid) {
    ObjectRef catalog = automation::CreateObject(u"OrvaMeta.ClassCatalog");
    Variant found = automation::CallMethod(
        catalog, u"GetClassType", {hostctx::GetPropsString(), u"FID=" + automation::Int32ToText(fid)});
    return AsVector(found)->Item(1).ToObject();
}

frmPromu& Promu(DialogModel& d) { return static_cast<frmPromu&>(d); }

// What the user saw of one shown dialog.
struct Seen {
    int32_t subsystem = -1;
    int32_t nodes = 0;
    std::vector<Text> checked;  // keys of the ticked nodes
    std::vector<Text> rows;     // texts of lvwFuncDetail
    ObjectRef classType;
    int32_t reportId = 0;
    Text reportName, reportType;
    int32_t publishRows = 0;
    std::weak_ptr<automation::Object> dialog;
};

Seen Look(frmPromu& f) {
    Seen seen;
    seen.subsystem = f.m_lCurSubSystem;
    seen.nodes = f.tvList.Count();
    seen.classType = f.ClassType;
    seen.reportId = f.ReportID;
    seen.reportName = f.ReportName;
    seen.reportType = f.ReportType;
    seen.publishRows = f.lvwResult.Count();
    seen.dialog = f.shared_from_this();
    for (int32_t i = 1; i <= f.tvList.Count(); ++i) {
        if (f.tvList.Node(i).checked) seen.checked.push_back(f.tvList.Node(i).key);
    }
    for (const dialogs::ListViewItem& item : f.lvwFuncDetail.Items()) seen.rows.push_back(item.text);
    return seen;
}

// Queues a step that looks at the shown dialog, then does what `then` does (nothing: the window is
// closed).
void LookThen(ScriptedUi& ui, Seen& seen, std::function<void(frmPromu&)> then = nullptr) {
    ui.Enqueue(frmPromu::kName, [&seen, then](DialogModel& d) {
        seen = Look(Promu(d));
        if (then) then(Promu(d));
    });
}

int32_t IndexOf(const dialogs::ListBox& list, const Text& display) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
        if (list.DisplayText(i) == display) return i;
    }
    return -1;
}

// A by-name call of a publisher; subsystem, when given, is let first.
using Call = std::function<void(const ObjectRef& publisher)>;

Call Promugate(ObjectRef classType) {
    return [classType](const ObjectRef& p) { automation::CallMethod(p, u"Promugate", {classType}); };
}

// Promugate with the dictionary of class type fid, read from the account of the moment of the call.
Call PromugateType(int32_t fid) {
    return [fid](const ObjectRef& p) { automation::CallMethod(p, u"Promugate", {ClassTypeOf(fid)}); };
}

Call PromugateReport(Variant name, Variant id, Variant type) {
    return [=](const ObjectRef& p) { automation::CallMethod(p, u"PromugateReport", {name, id, type}); };
}

TEST(clsPromulgator, EachCallPreselectsTheCallersObjectInTheSubsystemsTree) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        std::optional<int32_t> subsystem;  // none: never set
        Call call;
        int32_t nodes;
        std::vector<Text> checked;
        std::vector<Text> rows;
    };
    const Case cases[] = {
        {"base data", kSales, PromugateType(200000004), 12, {u"Base_Item_200000004"}, {u"客户信用额度-维护"}},
        {"a bill",
         kSales,
         PromugateType(200000003),
         12,
         {u"Bill_Item_200000003"},
         {u"销售报价单-新增", u"销售报价单-序时簿", u"销售报价单-打印"}},
        {"a type of another subsystem", kSales, PromugateType(200000007), 12, {}, {}},
        {"the subsystem chooses the tree",
         kProductionData,
         PromugateType(200000007),
         4,
         {u"Base_Item_200000007"},
         {u"设备-维护"}},
        {"the subsystem never set lists subsystem 0", std::nullopt, PromugateType(200000004), 3, {}, {}},
        {"no type", kSales, Promugate(nullptr), 12, {}, {}},
        {"a report",
         kSales,
         PromugateReport(Text(u"销售收入统计表"), 5102, Text(u"1000")),
         12,
         {u"Report_Item5102"},
         {u"销售收入统计表-查询"}},
        {"a report ID given as text",
         kSales,
         PromugateReport(Text(u"客户销售排行榜"), Text(u"5103"), 1002),
         12,
         {u"Report_Item5103"},
         {u"客户销售排行榜-查询"}},
        {"a report of another subsystem",
         kSales,
         PromugateReport(Text(u"采购价格分析表"), 5201, Text(u"1000")),
         12,
         {},
         {}},
    };
    for (const Case& c : cases) {
        auto ui = std::make_shared<ScriptedUi>();
        dialogs::ScopedUiServices scope(ui);
        Seen seen;
        LookThen(*ui, seen, [](frmPromu& f) { f.cmdCancel.Press(); });
        ObjectRef publisher = automation::CreateObject(clsPromulgator::kProgId);
        if (c.subsystem) automation::LetProperty(publisher, u"SubSystem", *c.subsystem);
        c.call(publisher);
        EXPECT_EQ(ui->Shows(), std::vector<Text>{frmPromu::kName}) << c.what;
        EXPECT_EQ(seen.subsystem, c.subsystem.value_or(0)) << c.what;
        EXPECT_EQ(automation::GetProperty(publisher, u"SubSystem").ToInt32(), c.subsystem.value_or(0))
            << c.what;
        EXPECT_EQ(seen.nodes, c.nodes) << c.what;
        EXPECT_EQ(seen.checked, c.checked) << c.what;
        EXPECT_EQ(seen.rows, c.rows) << c.what;
        EXPECT_TRUE(ui->Messages().empty()) << c.what;
    }
}

TEST(clsPromulgator, TheDialogHoldsTheCallersDictionaryOrTheReportsValues) {
    testing::TestAccount account(true, "CHS");
    auto ui = std::make_shared<ScriptedUi>();
    dialogs::ScopedUiServices scope(ui);
    clsPromulgator publisher;
    publisher.SetSubSystem(-7);  // kept as given
    EXPECT_EQ(publisher.SubSystem(), -7);
    publisher.SetSubSystem(kSales);

    auto type = AsDictionary(ClassTypeOf(200000009));
    Seen seen;
    LookThen(*ui, seen);
    publisher.Promugate(type);
    EXPECT_EQ(seen.classType, type);  // the caller's dictionary itself
    EXPECT_EQ(seen.reportId, 0);

    LookThen(*ui, seen);
    publisher.PromugateReport(u"销售毛利分析表", 5104, u"1000");
    EXPECT_EQ(seen.classType, nullptr);  // how the dialog knows a report call
    EXPECT_EQ((std::tuple{seen.reportName, seen.reportId, seen.reportType}),
              (std::tuple{Text(u"销售毛利分析表"), 5104, Text(u"1000")}));
    EXPECT_EQ(seen.checked, std::vector<Text>{u"Report_Item5104"});
}

TEST(clsPromulgator, APublishThroughTheDialogLandsInTheCatalogue) {
    struct Case {
        const char* what;
        Call call;
        Text subFunc;  // the target under Finance > General Ledger
        std::multiset<Text> created;
    };
    const Text ledger = u"财务会计/总账/";
    const Case cases[] = {
        {"base data into an existing group",
         PromugateType(200000009),
         u"基础资料",
         {ledger + u"基础资料/门店-维护|Base|200000009"}},
        {"a bill into a proposed group",
         PromugateType(200000003),
         u"业务单据",
         {ledger + u"业务单据", ledger + u"业务单据/销售报价单-新增|List|200000003",
          ledger + u"业务单据/销售报价单-序时簿|List|200000003",
          ledger + u"业务单据/销售报价单-打印|Bill|200000003"}},
        {"a report into a proposed group",
         PromugateReport(Text(u"销售收入统计表"), 5102, Text(u"1000")),
         u"业务报表",
         {ledger + u"业务报表", ledger + u"业务报表/销售收入统计表-查询|CROSSRPT|5102"}},
    };
    for (const Case& c : cases) {
        testing::TestAccount account(true, "CHS");
        const auto before = testing::CataloguePaths(account.Path());
        auto ui = std::make_shared<ScriptedUi>();
        dialogs::ScopedUiServices scope(ui);
        ui->Enqueue(frmPromu::kName, [&](DialogModel& d) {
            frmPromu& f = Promu(d);
            f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, c.subFunc));
            f.cmdSet.Press();
            f.cmdOK.Press();
            f.cmdCancel.Press();
        });
        ObjectRef publisher = automation::CreateObject(clsPromulgator::kProgId);
        automation::LetProperty(publisher, u"SubSystem", kSales);
        c.call(publisher);
        ASSERT_EQ(ui->Messages().size(), 1u) << c.what;
        EXPECT_EQ(ui->Messages()[0].text, u"发布对象成功！") << c.what;
        auto after = testing::CataloguePaths(account.Path());
        for (const Text& path : before) after.erase(after.find(path));
        EXPECT_EQ(after, c.created) << c.what;
    }
}

TEST(clsPromulgator, EveryCallShowsANewlyLoadedDialogAndReleasesIt) {
    testing::TestAccount account(true, "CHS");
    auto ui = std::make_shared<ScriptedUi>();
    dialogs::ScopedUiServices scope(ui);
    ObjectRef publisher = automation::CreateObject(clsPromulgator::kProgId);
    automation::LetProperty(publisher, u"SubSystem", kSales);
    const ObjectRef credit = ClassTypeOf(200000004);

    // The first user ticks a report as well and fills the publish list.
    Seen first, second, third;
    std::shared_ptr<automation::Object> firstDialog;
    LookThen(*ui, first, [&](frmPromu& f) {
        f.tvList.CheckByUser(f.tvList.IndexOf(u"Report_Item5101"), true);
        f.cmdSet.Press();
        firstDialog = f.shared_from_this();
    });
    automation::CallMethod(publisher, u"Promugate", {credit});
    EXPECT_EQ(firstDialog->TypeName(), u"frmPromu");
    LookThen(*ui, second);
    automation::CallMethod(publisher, u"Promugate", {credit});
    LookThen(*ui, third);
    automation::CallMethod(publisher, u"PromugateReport", {Text(u"销售收入统计表"), 5102, Text(u"1000")});

    EXPECT_EQ(ui->Shows(), (std::vector<Text>{frmPromu::kName, frmPromu::kName, frmPromu::kName}));
    EXPECT_NE(second.dialog.lock(), firstDialog);
    EXPECT_EQ(second.checked, std::vector<Text>{u"Base_Item_200000004"});
    EXPECT_EQ(second.rows, std::vector<Text>{u"客户信用额度-维护"});
    EXPECT_EQ(second.publishRows, 0);
    // A report call after a type call: the earlier type is not carried over.
    EXPECT_EQ(third.classType, nullptr);
    EXPECT_EQ(third.checked, std::vector<Text>{u"Report_Item5102"});
    // Released when their calls returned (the first only by the test's own reference).
    EXPECT_TRUE(second.dialog.expired());
    EXPECT_TRUE(third.dialog.expired());
}

TEST(clsPromulgator, FailuresReachTheCallerAsFailedCalls) {
    testing::TestAccount account(true, "CHS");
    const ModalStep failing = [](DialogModel&) { automation::Raise(5, u"the user's step failed"); };
    struct Case {
        const char* what;
        Text member;
        automation::CallKind kind;
        std::vector<Variant> args;
        int32_t number;
        bool shown;
    };
    using automation::CallKind;
    const Case cases[] = {
        {"Promugate without its dictionary", u"Promugate", CallKind::Method, {}, 450, false},
        {"Promugate with a vector",
         u"Promugate",
         CallKind::Method,
         {components::Vector::Create()},
         13,
         false},
        {"Promugate with a number", u"Promugate", CallKind::Method, {42}, 13, false},
        {"PromugateReport with two arguments",
         u"PromugateReport",
         CallKind::Method,
         {Text(u"x"), 5102},
         450,
         false},
        {"a report ID that is no number",
         u"PromugateReport",
         CallKind::Method,
         {Text(u"x"), Text(u"abc"), Text(u"1000")},
         13,
         false},
        {"a report ID beyond 32 bits",
         u"PromugateReport",
         CallKind::Method,
         {Text(u"x"), 3'000'000'000.0, Text(u"1000")},
         6,
         false},
        {"a subsystem that is no number", u"SubSystem", CallKind::PropertyLet, {Text(u"Sales")}, 13, false},
        {"the name with an l", u"Promulgate", CallKind::Method, {Variant()}, 438, false},
        {"a step of the shown dialog fails",
         u"Promugate",
         CallKind::Method,
         {ClassTypeOf(200000004)},
         5,
         true},
        {"a step of the shown report dialog fails",
         u"PromugateReport",
         CallKind::Method,
         {Text(u"x"), 5102, Text(u"1000")},
         5,
         true},
    };
    for (const Case& c : cases) {
        auto ui = std::make_shared<ScriptedUi>();
        ui->Enqueue(frmPromu::kName, failing);
        dialogs::ScopedUiServices scope(ui);
        ObjectRef publisher = automation::CreateObject(clsPromulgator::kProgId);
        std::vector<Variant> args = c.args;
        Text description;
        EXPECT_EQ(testing::ErrorNumberOf([&] { publisher->Invoke(c.member, c.kind, args); }, &description),
                  c.number)
            << c.what;
        EXPECT_EQ(ui->Shows().size(), c.shown ? 1u : 0u) << c.what;
        if (c.shown) {
            EXPECT_EQ(description, u"the user's step failed") << c.what;
        }
        EXPECT_EQ(automation::GetProperty(publisher, u"SubSystem").ToInt32(), 0) << c.what;
    }
}

TEST(clsPromulgator, NoDisplayIsTheAutomationErrorOfTheUiServices) {
    testing::TestAccount account(true, "CHS");
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    clsPromulgator publisher;
    publisher.SetSubSystem(kSales);
    const std::function<void()> calls[] = {
        [&] { publisher.Promugate(AsDictionary(ClassTypeOf(200000004))); },
        [&] { publisher.PromugateReport(u"销售收入统计表", 5102, u"1000"); },
    };
    for (const auto& call : calls) {
        Text description;
        const int32_t number = testing::ErrorNumberOf(call, &description);
        if (number == 429) GTEST_SKIP() << "the views library is not built";
        EXPECT_EQ(number, 5);
        EXPECT_EQ(description, u"No window can be opened: neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
}

}  // namespace
}  // namespace orva::api
