// The publish dialog on the demo account, played by a scripted user: the tree of a subsystem, ticking
// objects into function rows, the preselection on activation, the cascading target lists with the
// group proposals and renaming, the publish list, and publishing into the catalogue.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>

#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "catalog/BillActionCatalog.h"
#include "catalog/TemplateService.h"
#include "core/KeyedEntry.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/promu/frmPromu.h"
#include "support/CatalogueDump.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using automation::Variant;
using components::AsDictionary;

// The demo account's Sales subsystem: base data, bills (a quotation, a return request without
// actions, a query object) and reports of FType 1001, 1000, 1002, 1000.
constexpr int32_t kSales = 12;

struct Promu {
    std::shared_ptr<ScriptedUi> ui = std::make_shared<ScriptedUi>();
    std::shared_ptr<frmPromu> form = std::make_shared<frmPromu>(ui);
    frmPromu& operator*() const { return *form; }
    frmPromu* operator->() const { return form.get(); }
};

components::DictionaryRef TypeOf(Variant fid, int32_t billType) {
    auto type = components::Dictionary::Create();
    type->SetValue(u"FID", std::move(fid));
    type->SetValue(u"FBillTypeID", billType);
    return type;
}

// A loaded dialog for a subsystem, activated once as the first show does (not shown: the tests use
// its controls directly).
Promu Loaded(int32_t subsystem, automation::ObjectRef classType = nullptr, int32_t reportId = 0) {
    Promu p;
    p->m_lCurSubSystem = subsystem;
    p->ClassType = std::move(classType);
    p->ReportID = reportId;
    p->Load();
    p->Activate();
    return p;
}

std::vector<Text> Displays(const ListBox& list) {
    std::vector<Text> texts;
    for (int32_t i = 0; i < list.ListCount(); ++i) texts.push_back(list.DisplayText(i));
    return texts;
}

std::vector<Text> Keys(const ListBox& list) {
    std::vector<Text> keys;
    for (int32_t i = 0; i < list.ListCount(); ++i) keys.push_back(list.Key(i));
    return keys;
}

int32_t IndexOf(const ListBox& list, const Text& display) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
        if (list.DisplayText(i) == display) return i;
    }
    return -1;
}

// Rows of lvwFuncDetail as "text|parameter" (the tag's key part), with whether every row is selected.
std::vector<Text> Rows(const ListView& view) {
    std::vector<Text> rows;
    for (const ListViewItem& item : view.Items()) {
        EXPECT_EQ(core::KeyedEntryDisplay(item.tag), item.text);
        rows.push_back(item.text + u"|" + core::KeyedEntryKey(item.tag));
    }
    return rows;
}

std::vector<Text> Texts(const ListView& view) {
    std::vector<Text> texts;
    for (const ListViewItem& item : view.Items()) texts.push_back(item.text);
    return texts;
}

std::vector<Text> CheckedKeys(const TreeView& tree) {
    std::vector<Text> keys;
    for (int32_t i = 1; i <= tree.Count(); ++i) {
        if (tree.Node(i).checked) keys.push_back(tree.Node(i).key);
    }
    return keys;
}

void Check(frmPromu& f, const Text& key, bool value) { f.tvList.CheckByUser(f.tvList.IndexOf(key), value); }

MessageBoxRequest Warning(const Text& text, const Text& details = {}) {
    return {text, u"Tarvo提示", 48, details};
}

void Execute(const testing::TestAccount& account, const char* sql) {
    testing::OpenTestAccount(account.Path())->Execute(sql);
}

TEST(frmPromu, LoadSetsCaptionsBuildsTheTreeAndFillsTheCascade) {
    testing::TestAccount account(true, "CHS");
    Promu p = Loaded(kSales);
    const frmPromu& f = *p;
    EXPECT_EQ(
        (std::vector<Text>{f.Caption(), f.framePub3.Caption(), f.framePub0.Caption(), f.Label2.Caption(),
                           f.Label3.Caption(), f.Label4.Caption(), f.Label1.Caption(), f.cmdModify.Caption(),
                           f.cmdSet.Caption(), f.cmdDel.Caption(), f.cmdOK.Caption(), f.cmdCancel.Caption()}),
        (std::vector<Text>{u"发布", u"业务对象列表", u"目标位置", u"发布的目标系统：", u"发布的目标子系统：",
                           u"发布的目标子功能模块：", u"", u"修改名称(&M) ↓", u"添加(&A) ↓", u"删除(&R) ↑",
                           u"发布(&D)", u"关闭(&C)"}));
    ASSERT_EQ(f.lvwFuncDetail.Columns().size(), 1u);
    ASSERT_EQ(f.lvwResult.Columns().size(), 1u);
    EXPECT_EQ(f.lvwFuncDetail.Columns()[0].text, u"将要发布的功能");
    EXPECT_EQ(f.lvwFuncDetail.Columns()[0].width, 9120 - 300);
    EXPECT_EQ(f.lvwResult.Columns()[0].text, u"发布列表");
    EXPECT_EQ(f.tvList.Container(), &f.framePub3);
    EXPECT_EQ(f.cmdModify.Container(), &f.framePub0);
    EXPECT_EQ(f.cmdOK.Container(), nullptr);

    // The tree in node order: key, text, tag, parent, expanded, image, selected image, expanded image.
    using Node = std::tuple<Text, Text, Text, Text, bool, std::optional<Text>, std::optional<Text>,
                            std::optional<Text>>;
    const std::optional<Text> none, closed = u"closed", open = u"open", leaf = u"leaf";
    const std::vector<Node> expected = {
        {u"Base", u"基础资料", u"Base", u"", true, closed, none, open},
        {u"Base_Item_200000004", u"客户信用额度", u"200000004", u"Base", true, leaf, leaf, none},
        {u"Base_Item_200000009", u"门店", u"200000009", u"Base", true, leaf, leaf, none},
        {u"Bill", u"业务单据", u"Bill", u"", true, closed, none, open},
        {u"Bill_Item_200000003", u"销售报价单", u"200000003", u"Bill", true, leaf, leaf, none},
        {u"Bill_Item_200000005", u"退货申请单", u"200000005", u"Bill", true, leaf, leaf, none},
        {u"Bill_Item_200000006", u"销售毛利查询", u"200000006", u"Bill", true, leaf, leaf,
         none},  // not base data
        {u"Report", u"业务报表", u"Report", u"", true, closed, none, open},
        {u"Report_Item5101", u"销售订单执行汇总表", u"SQLRPT|5101", u"Report", false, leaf, leaf, none},
        {u"Report_Item5102", u"销售收入统计表", u"CROSSRPT|5102", u"Report", false, leaf, leaf, none},
        {u"Report_Item5103", u"客户销售排行榜", u"NEWCROSSRPT|5103", u"Report", false, leaf, leaf, none},
        {u"Report_Item5104", u"销售毛利分析表", u"CROSSRPT|5104", u"Report", false, leaf, leaf, none},
    };
    std::vector<Node> nodes;
    for (int32_t i = 1; i <= f.tvList.Count(); ++i) {
        const TreeNode& n = f.tvList.Node(i);
        nodes.emplace_back(n.key, n.text, n.tag, n.parent ? f.tvList.Node(n.parent).key : Text(), n.expanded,
                           n.image, n.selectedImage, n.expandedImage);
        EXPECT_FALSE(n.checked) << i;
    }
    EXPECT_EQ(nodes, expected);

    // "我的Orva" is never a target; each list selects its first entry and fills the next; the groups
    // General Ledger lacks are proposed.
    EXPECT_EQ(Displays(f.lstTopClass), (std::vector<Text>{u"财务会计", u"供应链", u"生产制造", u"系统设置"}));
    EXPECT_EQ(Keys(f.lstTopClass), (std::vector<Text>{u"2", u"3", u"4", u"5"}));
    EXPECT_EQ(Displays(f.lstSubSystem).front(), u"总账");
    EXPECT_EQ(Displays(f.lstSubFunc), (std::vector<Text>{u"基础资料", u"凭证处理", u"账簿", u"财务报表",
                                                         u"期末处理", u"业务单据", u"业务报表"}));
    EXPECT_EQ(Keys(f.lstSubFunc).back(), u"0");
    EXPECT_EQ((std::tuple{f.m_lTopClassID, f.m_strTopClassName, f.m_lSubSystemID, f.m_strSubSystemName,
                          f.m_lSubFuncID, f.m_strSubFuncName}),
              (std::tuple{2, Text(u"财务会计"), 201, Text(u"总账"), 1011, Text(u"基础资料")}));
    EXPECT_FALSE(f.cmdModify.Enabled());
    ASSERT_TRUE(f.PublishData);
    EXPECT_EQ(f.PublishData->Count(), 0);
    EXPECT_EQ(f.lvwFuncDetail.Count(), 0);  // nothing to preselect
    EXPECT_TRUE(p.ui->Messages().empty());
}

TEST(frmPromu, GroupsOfOtherSubsystemsAndLanguages) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        int32_t subsystem;
        const char* language;
        std::vector<size_t> children;  // of Base, Bill, Report
        std::vector<Text> groupTexts;
    };
    const Case cases[] = {
        {21, "CHS", {1, 0, 0}, {u"基础资料", u"业务单据", u"业务报表"}},  // Production Data: base data only
        {0, "CHS", {0, 0, 0}, {u"基础资料", u"业务单据", u"业务报表"}},   // never set
        {kSales, "CHT", {2, 3, 4}, {u"基礎資料", u"業務單據", u"業務報表"}},
        {kSales, "EN", {2, 3, 4}, {u"Base Data", u"Business Documents", u"Business Reports"}},
    };
    for (const Case& c : cases) {
        account.Publish(c.language);
        Promu p = Loaded(c.subsystem);
        const TreeView& tree = p->tvList;
        ASSERT_EQ(tree.Children(0).size(), 3u) << c.subsystem;
        for (size_t g = 0; g < 3; ++g) {
            const int32_t group = tree.Children(0)[g];
            const TreeNode& node = tree.Node(group);
            const bool filled = c.children[g] > 0;
            EXPECT_EQ(tree.Children(group).size(), c.children[g]) << c.subsystem << " " << g;
            EXPECT_EQ(node.text, c.groupTexts[g]) << c.subsystem;
            // An empty group stays collapsed with the closed image and no expanded image.
            EXPECT_EQ(node.expanded, filled) << c.subsystem << " " << g;
            EXPECT_EQ(node.expandedImage, filled ? std::optional<Text>(u"open") : std::nullopt)
                << c.subsystem;
            EXPECT_EQ(node.image, std::optional<Text>(u"closed")) << c.subsystem;
        }
        EXPECT_EQ(Displays(p->lstSubFunc).back(), c.groupTexts[2])
            << c.subsystem;  // proposals follow the language
    }
    Promu en = Loaded(kSales);
    EXPECT_EQ(en->tvList.Node(en->tvList.IndexOf(u"Report_Item5102")).text, u"Sales Revenue Statistics");
    EXPECT_EQ(en->Caption(), u"Publish");
}

TEST(frmPromu, ExpandAndCollapseSwapTheImagesOfGroupsOnly) {
    testing::TestAccount account(true, "CHS");
    Promu p = Loaded(kSales);
    TreeView& tree = p->tvList;
    const int32_t bill = tree.IndexOf(u"Bill");
    const int32_t item = tree.IndexOf(u"Bill_Item_200000003");
    tree.ExpandByUser(bill, false);
    EXPECT_EQ((std::pair{tree.Node(bill).image, tree.Node(bill).selectedImage}),
              (std::pair{std::optional<Text>(u"closed"), std::optional<Text>(u"closed")}));
    tree.ExpandByUser(bill, true);
    EXPECT_EQ((std::pair{tree.Node(bill).image, tree.Node(bill).selectedImage}),
              (std::pair{std::optional<Text>(u"open"), std::optional<Text>(u"open")}));
    p->tvList_Collapse(item);
    EXPECT_EQ(tree.Node(item).image, std::optional<Text>(u"leaf"));
}

TEST(frmPromu, TickingObjectsAddsAndRemovesTheirFunctionRows) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        int32_t subsystem;
        std::vector<std::pair<Text, bool>> clicks;
        std::vector<Text> rows;
    };
    const Case cases[] = {
        {"base data", kSales, {{u"Base_Item_200000009", true}}, {u"门店-维护|Base|200000009"}},
        {"base data ticked and unticked",
         kSales,
         {{u"Base_Item_200000009", true}, {u"Base_Item_200000009", false}},
         {}},
        // New (64) and the list (64) live in the list only; print (32) in the form; related documents (0)
        // nowhere.
        {"a bill",
         kSales,
         {{u"Bill_Item_200000003", true}},
         {u"销售报价单-新增|List|200000003", u"销售报价单-序时簿|List|200000003",
          u"销售报价单-打印|Bill|200000003"}},
        {"a bill without actions gets the standard ones",
         kSales,
         {{u"Bill_Item_200000005", true}},
         {u"退货申请单-新增|Bill|200000005", u"退货申请单-序时簿|List|200000005"}},
        {"a query object has no bill actions", kSales, {{u"Bill_Item_200000006", true}}, {}},
        // The group reads its bills' actions in one go: the same rows as ticked one by one, none twice.
        {"a bill, then the bill group",
         kSales,
         {{u"Bill_Item_200000003", true}, {u"Bill", true}},
         {u"销售报价单-新增|List|200000003", u"销售报价单-序时簿|List|200000003",
          u"销售报价单-打印|Bill|200000003", u"退货申请单-新增|Bill|200000005",
          u"退货申请单-序时簿|List|200000005"}},
        {"a bill unticked",
         kSales,
         {{u"Bill_Item_200000003", true}, {u"Base_Item_200000004", true}, {u"Bill_Item_200000003", false}},
         {u"客户信用额度-维护|Base|200000004"}},
        // New (1) in the form, the list (64), approve (68, both places) in the list.
        {"both masks",
         11,
         {{u"Bill_Item_200000002", true}},
         {u"供应商评估单-新增|Bill|200000002", u"供应商评估单-序时簿|List|200000002",
          u"供应商评估单-审核|List|200000002"}},
        // New (0) is not offered, the list (960), approve (39) in the form.
        {"new nowhere",
         23,
         {{u"Bill_Item_200000008", true}},
         {u"工序汇报单-序时簿|List|200000008", u"工序汇报单-审核|Bill|200000008"}},
        {"a report", kSales, {{u"Report_Item5103", true}}, {u"客户销售排行榜-查询|NEWCROSSRPT|5103"}},
        {"the report group",
         kSales,
         {{u"Report", true}},
         {u"销售订单执行汇总表-查询|SQLRPT|5101", u"销售收入统计表-查询|CROSSRPT|5102",
          u"客户销售排行榜-查询|NEWCROSSRPT|5103", u"销售毛利分析表-查询|CROSSRPT|5104"}},
        {"the report group ticked and unticked", kSales, {{u"Report", true}, {u"Report", false}}, {}},
        {"an object, then its group: no second row",
         kSales,
         {{u"Base_Item_200000009", true}, {u"Base", true}},
         {u"门店-维护|Base|200000009", u"客户信用额度-维护|Base|200000004"}},
        {"every place of the bill form and list",
         testing::kPlacedBillsSubsystem,
         {{u"Bill", true}},
         testing::kPlacedBillFunctions},
    };
    Execute(account, testing::kPlacedBillsSql);
    for (const Case& c : cases) {
        Promu p = Loaded(c.subsystem);
        for (const auto& [key, value] : c.clicks) Check(*p, key, value);
        EXPECT_EQ(Rows(p->lvwFuncDetail), c.rows) << c.what;
        EXPECT_EQ(p->lvwFuncDetail.SelectedIndexes().size(), c.rows.size()) << c.what;  // each added selected
        EXPECT_TRUE(p.ui->Messages().empty()) << c.what;
        EXPECT_EQ(automation::PendingError().number, 0) << c.what;
    }

    // A group's mark reaches every child.
    Promu p = Loaded(kSales);
    Check(*p, u"Report", true);
    EXPECT_EQ(CheckedKeys(p->tvList), (std::vector<Text>{u"Report", u"Report_Item5101", u"Report_Item5102",
                                                         u"Report_Item5103", u"Report_Item5104"}));
    Check(*p, u"Report", false);
    EXPECT_TRUE(CheckedKeys(p->tvList).empty());
}

TEST(frmPromu, RemoveBillRowsTakesEveryRowEndingInTheNumber) {
    testing::TestAccount account(true, "CHS");
    Promu p = Loaded(kSales);
    for (const char16_t* key :
         {u"Bill|81", u"List|81", u"Base|81", u"SQLRPT|810", u"Bill|8", u"X|abc", u"List|81"})
        p->AddFunctionRow(core::ComposeKeyedEntry(Text(u"f ") + key, key));
    ASSERT_EQ(p->lvwFuncDetail.Count(), 6);  // the same entry twice gives one row
    p->lvwFuncDetail.SelectOnly({4});
    p->RemoveBillRows(81);
    EXPECT_EQ(Rows(p->lvwFuncDetail),
              (std::vector<Text>{u"f SQLRPT|810|SQLRPT|810", u"f Bill|8|Bill|8", u"f X|abc|X|abc"}));
    EXPECT_EQ(p->lvwFuncDetail.SelectedIndexes(),
              std::vector<int32_t>{1});  // the others keep their selection
    p->RemoveFunctionRow(core::ComposeKeyedEntry(u"f Bill|8", u"Bill|8"));
    p->RemoveFunctionRow(core::ComposeKeyedEntry(u"f Bill|8", u"Bill|8"));  // gone already
    EXPECT_EQ(p->lvwFuncDetail.Count(), 2);
    p->AddFunctionRow(core::ComposeKeyedEntry(u"f Bill|81", u"Bill|81"));  // may come back
    EXPECT_EQ(p->lvwFuncDetail.Count(), 3);
}

// Objects are told apart by their parameter strings, not their names, which need not be unique: each
// of two objects with one name keeps its own rows through ticks and unticks, also when the names are
// so long that the rows' texts are cut to the same 255 units.
TEST(frmPromu, ObjectsWithTheSameNameKeepTheirOwnRows) {
    testing::TestAccount account(true, "CHS");
    std::string repeated;
    for (int i = 0; i < 300; ++i) repeated += "长";
    Execute(
        account,
        ("INSERT INTO t_BizSubSystem VALUES (98, '同名', '同名', 'Same');"
         "INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) VALUES "
         "(200000201, '仓位', '倉位', 'Bin', 1, 98), (200000202, '仓位', '倉位', 'Bin', 1, 98), "
         "(200000203, '移库单', '移庫單', 'Move', 4, 98), (200000204, '移库单', '移庫單', 'Move', 4, 98), "
         "(200000205, '" +
         repeated + "', 'x', 'x', 1, 98), (200000206, '" + repeated +
         "', 'x', 'x', 1, 98);"
         "INSERT INTO t_Report (FID, FName_CHS, FName_CHT, FName_EN, FType, FFunctionID) VALUES "
         "(700001, '库存表', '庫存表', 'Stock', 1001, 98), (700002, '库存表', '庫存表', 'Stock', 1001, 98)")
            .c_str());
    const Text cut = automation::FromUtf8(repeated).substr(0, core::kKeyedDisplayWidth);
    struct Case {
        Text first, second;
        std::vector<Text> firstRows, secondRows;
    };
    const Case cases[] = {
        {u"Base_Item_200000201",
         u"Base_Item_200000202",
         {u"仓位-维护|Base|200000201"},
         {u"仓位-维护|Base|200000202"}},
        {u"Bill_Item_200000203",
         u"Bill_Item_200000204",
         {u"移库单-新增|Bill|200000203", u"移库单-序时簿|List|200000203"},
         {u"移库单-新增|Bill|200000204", u"移库单-序时簿|List|200000204"}},
        {u"Report_Item700001",
         u"Report_Item700002",
         {u"库存表-查询|SQLRPT|700001"},
         {u"库存表-查询|SQLRPT|700002"}},
        {u"Base_Item_200000205",
         u"Base_Item_200000206",
         {cut + u"|Base|200000205"},
         {cut + u"|Base|200000206"}},
    };
    const auto joined = [](std::vector<Text> a, const std::vector<Text>& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    for (const Case& c : cases) {
        Promu p = Loaded(98);
        frmPromu& f = *p;
        const std::string what = automation::ToUtf8(c.first);
        Check(f, c.first, true);
        Check(f, c.second, true);
        EXPECT_EQ(Rows(f.lvwFuncDetail), joined(c.firstRows, c.secondRows)) << what;
        Check(f, c.second, false);
        EXPECT_EQ(Rows(f.lvwFuncDetail), c.firstRows) << what;
        Check(f, c.first, true);  // ticked again: no second copy
        Check(f, c.second, true);
        EXPECT_EQ(Rows(f.lvwFuncDetail), joined(c.firstRows, c.secondRows)) << what;
        Check(f, c.first, false);
        EXPECT_EQ(Rows(f.lvwFuncDetail), c.secondRows) << what;
    }
    // A group of such objects: one row per object.
    Promu p = Loaded(98);
    Check(*p, u"Base", true);
    EXPECT_EQ(p->lvwFuncDetail.Count(), 4);
    Check(*p, u"Bill", true);
    EXPECT_EQ(p->lvwFuncDetail.Count(), 8);
}

// The tree, the function rows and the target lists on a login in each language: every name comes from
// that language's column, the parameter strings are the same in all.
TEST(frmPromu, NamesFollowTheHostLanguage) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* language;
        std::vector<Text> nodes;  // Base_Item_200000004, Bill_Item_200000003, Report_Item5102
        std::vector<Text> rows;
        Text line;  // of the first row under the first place
    };
    const Case cases[] = {
        {"CHS",
         {u"客户信用额度", u"销售报价单", u"销售收入统计表"},
         {u"客户信用额度-维护|Base|200000004", u"销售报价单-新增|List|200000003",
          u"销售报价单-序时簿|List|200000003", u"销售报价单-打印|Bill|200000003",
          u"销售收入统计表-查询|CROSSRPT|5102"},
         u"[客户信用额度-维护] 发布到: [财务会计.总账.基础资料]"},
        {"CHT",
         {u"客戶信用額度", u"銷售報價單", u"銷售收入統計表"},
         {u"客戶信用額度-維護|Base|200000004", u"銷售報價單-新增|List|200000003",
          u"銷售報價單-序時簿|List|200000003", u"銷售報價單-列印|Bill|200000003",
          u"銷售收入統計表-查詢|CROSSRPT|5102"},
         u"[客戶信用額度-維護] 發佈到: [財務會計.總帳.基礎資料]"},
        {"EN",
         {u"Customer Credit Limit", u"Sales Quotation", u"Sales Revenue Statistics"},
         {u"Customer Credit Limit-Maintenance|Base|200000004", u"Sales Quotation-New|List|200000003",
          u"Sales Quotation-List|List|200000003", u"Sales Quotation-Print|Bill|200000003",
          u"Sales Revenue Statistics-Query|CROSSRPT|5102"},
         u"[Customer Credit Limit-Maintenance] publish to: [Financial Accounting.General Ledger.Base Data]"},
    };
    for (const Case& c : cases) {
        account.Publish(c.language);
        Promu p = Loaded(kSales);
        frmPromu& f = *p;
        std::vector<Text> nodes;
        for (const char16_t* key : {u"Base_Item_200000004", u"Bill_Item_200000003", u"Report_Item5102"}) {
            nodes.push_back(f.tvList.Node(f.tvList.IndexOf(key)).text);
            Check(f, key, true);
        }
        EXPECT_EQ(nodes, c.nodes) << c.language;
        EXPECT_EQ(Rows(f.lvwFuncDetail), c.rows) << c.language;
        f.lvwFuncDetail.SelectOnly({1});
        f.cmdSet.Press();
        EXPECT_EQ(Texts(f.lvwResult), std::vector<Text>{c.line}) << c.language;
    }
}

// The calls a dialog makes on the bill-action catalogue, forwarded to the real one.
class RecordingActions : public automation::Object {
public:
    explicit RecordingActions(std::vector<Text>& calls) : m_calls(calls) {}
    automation::Text TypeName() const override { return u"ActionCatalog"; }
    Variant Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) override {
        m_calls.emplace_back(name);
        return m_real->Invoke(name, kind, args);
    }

private:
    std::vector<Text>& m_calls;
    std::shared_ptr<components::BillActionCatalog> m_real = std::make_shared<components::BillActionCatalog>();
};

TEST(frmPromu, NewBillOnlyWhenTheFirstAnswerIsEmptyAndTheActionsAreReadAgain) {
    testing::TestAccount account(true, "CHS");
    std::vector<Text> calls;
    automation::ScopedClassOverride recording(components::BillActionCatalog::kProgId,
                                              [&] { return std::make_shared<RecordingActions>(calls); });
    const std::vector<Text> prefix = {u"ClassTypeID", u"ClassType", u"Initialize", u"GetBillActions"};
    struct Case {
        Text key;
        std::vector<Text> after;
        size_t rows;
    };
    const Case cases[] = {
        {u"Bill_Item_200000003", {u"GetBillActions"}, 3},
        {u"Bill_Item_200000005", {u"NewBill", u"GetBillActions"}, 2},
        {u"Bill_Item_200000006", {u"NewBill", u"GetBillActions"}, 0},  // still empty: no row
    };
    for (const Case& c : cases) {
        Promu p = Loaded(kSales);
        calls.clear();
        Check(*p, c.key, true);
        std::vector<Text> expected = prefix;
        expected.insert(expected.end(), c.after.begin(), c.after.end());
        EXPECT_EQ(calls, expected) << automation::ToUtf8(c.key);
        EXPECT_EQ(p->lvwFuncDetail.Count(), static_cast<int32_t>(c.rows));
    }
    // Without the action catalogue or the template service a bill adds no rows, silently; other objects
    // still do.
    for (const char16_t* missing :
         {components::BillActionCatalog::kProgId, components::TemplateService::kProgId}) {
        automation::ScopedClassOverride none(missing, nullptr);
        Promu p = Loaded(kSales);
        Check(*p, u"Bill", true);
        Check(*p, u"Base_Item_200000004", true);
        EXPECT_EQ(Texts(p->lvwFuncDetail), std::vector<Text>{u"客户信用额度-维护"})
            << automation::ToUtf8(missing);
        EXPECT_EQ(automation::PendingError().number, 0);
    }
}

// A string loader whose answers carry an edition number, so a test can tell the lookups of one check
// from those of an earlier one.
class EditionLoader : public automation::Object {
public:
    int edition = 1;
    automation::Text TypeName() const override { return u"EditionLoader"; }
    Variant Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) override {
        if (automation::MemberIs(name, u"LoadString"))
            return args[0].ToText() + u"#" + automation::Int32ToText(edition);
        if (kind == automation::CallKind::PropertyLet) {
            m_properties[Text(name)] = args[0].ToText();
            return {};
        }
        return m_properties[Text(name)];
    }

private:
    std::map<Text, Text> m_properties;
};

TEST(frmPromu, EachCheckTranslatesTheActionNamesAnew) {
    testing::TestAccount account(true, "EN");
    auto loader = std::make_shared<EditionLoader>();
    automation::ScopedClassOverride translations(u"OrvaText.StringLoader", [&] { return loader; });
    hostctx::ResetModuleState();
    Promu p = Loaded(kSales);
    Check(*p, u"Bill", true);
    const std::vector<Text> first = Texts(p->lvwFuncDetail);
    ASSERT_EQ(first.size(), 5u);
    EXPECT_NE(first[0].find(u"#1"), Text::npos);
    Check(*p, u"Bill", false);
    loader->edition = 2;
    Check(*p, u"Bill", true);
    std::vector<Text> expected = first;
    for (Text& text : expected) {
        for (size_t at = text.find(u"#1"); at != Text::npos; at = text.find(u"#1", at)) text[at + 1] = u'2';
    }
    EXPECT_EQ(Texts(p->lvwFuncDetail), expected) << "a word translated by an earlier check was used again";
}

TEST(frmPromu, ActivationPreselectsTheCallersObject) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        automation::ObjectRef classType;
        int32_t reportId;
        Text target;  // empty: nothing preselected
        size_t rows;
    };
    const Case cases[] = {
        {"base data", TypeOf(200000004, 1), 0, u"Base_Item_200000004", 1},
        {"a bill", TypeOf(200000003, 4), 0, u"Bill_Item_200000003", 3},
        {"an id given as text", TypeOf(u"200000009", 1), 0, u"Base_Item_200000009", 1},
        {"a query object is looked for among the bills", TypeOf(200000006, 2), 0, u"Bill_Item_200000006", 0},
        {"base data looked for as a bill", TypeOf(200000004, 4), 0, u"", 0},
        {"a type of another subsystem", TypeOf(200000001, 1), 0, u"", 0},
        {"a report", nullptr, 5102, u"Report_Item5102", 1},
        {"a report the subsystem does not have", nullptr, 5201, u"", 0},
        {"a report call without an id", nullptr, 0, u"", 0},
    };
    for (const Case& c : cases) {
        Promu p = Loaded(kSales, c.classType, c.reportId);
        const TreeView& tree = p->tvList;
        const int32_t target = c.target.empty() ? 0 : tree.IndexOf(c.target);
        EXPECT_EQ(tree.SelectedIndex(), target) << c.what;
        EXPECT_EQ(tree.ScrollTarget(), target) << c.what;
        EXPECT_EQ(CheckedKeys(tree), c.target.empty() ? std::vector<Text>{} : std::vector<Text>{c.target})
            << c.what;
        EXPECT_EQ(p->lvwFuncDetail.Count(), static_cast<int32_t>(c.rows)) << c.what;
        EXPECT_EQ(p->lvwFuncDetail.SelectedIndexes().size(), c.rows) << c.what;
    }

    // Activated again, the preselected object is ticked again and the list holds the rows of every
    // ticked object, in the tree's order, each once.
    Promu p = Loaded(kSales, TypeOf(200000003, 4));
    Check(*p, u"Report_Item5101", true);
    Check(*p, u"Bill_Item_200000003", false);
    Check(*p, u"Base_Item_200000004", true);
    const std::vector<Text> others = Texts(p->lvwFuncDetail);
    ASSERT_EQ(others.size(), 2u);
    automation::CallMethod(p.form, u"Form_Activate");
    automation::CallMethod(p.form, u"Form_Activate");
    EXPECT_EQ(Texts(p->lvwFuncDetail), (std::vector<Text>{others[1], u"销售报价单-新增", u"销售报价单-序时簿",
                                                          u"销售报价单-打印", others[0]}));
    EXPECT_EQ(CheckedKeys(p->tvList),
              (std::vector<Text>{u"Base_Item_200000004", u"Bill_Item_200000003", u"Report_Item5101"}));
}

TEST(frmPromu, AShowActivatesOnceAndMessagesOrTheInputDialogDoNotActivateAgain) {
    testing::TestAccount account(true, "CHS");
    Promu p;
    p->m_lCurSubSystem = kSales;
    automation::SetProperty(p.form, u"ClassType", TypeOf(200000004, 1));
    p.ui->Enqueue(frmPromu::kName, [](DialogModel& d) {
        auto& f = static_cast<frmPromu&>(d);
        EXPECT_EQ(f.lvwFuncDetail.Count(), 1);  // preselected on the show
        Check(f, u"Report_Item5101", true);
        f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, u"业务单据"));
        f.cmdModify.Press();  // frmInput shows and closes
        f.lstSubFunc.SelectByUser(0);
        f.cmdModify.Press();  // disabled: nothing
        f.cmdOK.Press();      // a message box
        EXPECT_EQ(f.lvwFuncDetail.Count(), 2);
        f.cmdCancel.Press();
    });
    p.ui->Enqueue(frmInput::kName, AnswerInput(u"单据", true));
    p->ShowModal();
    EXPECT_FALSE(p->IsShown());
    EXPECT_EQ(p.ui->Shows(), (std::vector<Text>{u"frmPromu", u"frmInput"}));
    EXPECT_EQ(p.ui->Messages(), std::vector<MessageBoxRequest>{Warning(u"请选择好发布对象及发布位置！")});
    EXPECT_EQ(p->lvwFuncDetail.Count(), 2);
}

TEST(frmPromu, ClickingATargetRefillsTheListsBelowWithProposals) {
    testing::TestAccount account(true, "CHS");
    // A sub-function named like a group in another letter case takes its proposal away.
    Execute(
        account,
        "INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey_CHS, "
        "FNameKey_CHT, FNameKey_EN) VALUES (201, 6, '业务报表', '業務報表', 'business REPORTS', '业务报表', "
        "'業務報表', 'BUSINESS REPORTS')");
    struct Case {
        const char* language;
        Text top, sub;
        std::vector<Text> subFuncs;
        std::vector<Text> keys;
    };
    const Case cases[] = {
        {"CHS", u"供应链", u"销售管理", {u"基础资料", u"业务单据", u"业务报表"}, {u"1071", u"1072", u"1073"}},
        {"CHS",
         u"供应链",
         u"采购管理",
         {u"基础资料", u"采购订单", u"采购入库", u"报表分析", u"业务单据", u"业务报表"},
         {u"1061", u"1062", u"1063", u"1064", u"0", u"0"}},
        {"CHS",
         u"财务会计",
         u"总账",
         {u"基础资料", u"凭证处理", u"账簿", u"财务报表", u"期末处理", u"业务报表", u"业务单据"},
         {u"1011", u"1012", u"1013", u"1014", u"1015", u"1152", u"0"}},
        {"EN",
         u"Financial Accounting",
         u"General Ledger",
         {u"Base Data", u"Vouchers", u"Ledgers", u"Financial Statements", u"Period-End Closing",
          u"business REPORTS", u"Business Documents"},
         {u"1011", u"1012", u"1013", u"1014", u"1015", u"1152", u"0"}},
    };
    for (const Case& c : cases) {
        account.Publish(c.language);
        Promu p = Loaded(kSales);
        frmPromu& f = *p;
        f.lstTopClass.SelectByUser(IndexOf(f.lstTopClass, c.top));
        f.lstSubSystem.SelectByUser(IndexOf(f.lstSubSystem, c.sub));
        EXPECT_EQ(Displays(f.lstSubFunc), c.subFuncs) << automation::ToUtf8(c.sub);
        EXPECT_EQ(Keys(f.lstSubFunc), c.keys) << automation::ToUtf8(c.sub);
        EXPECT_EQ(f.m_strSubSystemName, c.sub);
        EXPECT_EQ(f.m_strSubFuncName, c.subFuncs.front());
    }
    // A proposal enables cmdModify; a catalogue entry disables it again.
    account.Publish("CHS");
    Promu p = Loaded(kSales);
    p->lstSubFunc.SelectByUser(IndexOf(p->lstSubFunc, u"业务单据"));
    EXPECT_EQ((std::pair{p->m_lSubFuncID, p->m_strSubFuncName}), (std::pair{0, Text(u"业务单据")}));
    EXPECT_TRUE(p->cmdModify.Enabled());
    p->lstSubFunc.SelectByUser(0);
    EXPECT_FALSE(p->cmdModify.Enabled());
}

TEST(frmPromu, AnEmptyLevelStopsTheCascadeAndAMissingRecordsetStillGetsTheProposals) {
    testing::TestAccount account(true, "CHS");
    Execute(
        account,
        "INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, "
        "FNameKey_CHS, "
        "FNameKey_CHT, FNameKey_EN) VALUES (9, '空系统', '空系統', 'Empty', '空系统', '空系統', 'EMPTY')");
    Promu p = Loaded(kSales, TypeOf(200000004, 1));
    frmPromu& f = *p;
    const std::vector<Text> subFuncs = Displays(f.lstSubFunc);
    f.lstTopClass.SelectByUser(IndexOf(f.lstTopClass, u"空系统"));
    EXPECT_EQ(f.lstSubSystem.ListCount(), 0);
    EXPECT_EQ(Displays(f.lstSubFunc), subFuncs);  // the lists further down keep what they held
    EXPECT_EQ((std::tuple{f.m_strTopClassName, f.m_lSubSystemID, f.m_lSubFuncID}),
              (std::tuple{Text(u"空系统"), 201, 1011}));
    f.cmdSet.Press();
    EXPECT_EQ(p.ui->Messages(), std::vector<MessageBoxRequest>{Warning(u"请选择好发布目标子系统！")});
    EXPECT_EQ(f.lvwResult.Count(), 0);

    // A reader that cannot be created for the sub-functions: the list still gets the group proposals.
    const auto real = automation::ClassRegistry::Instance().Find(components::kCatalogReaderProgId);
    int created = 0;
    automation::ScopedClassOverride failing(components::kCatalogReaderProgId, [&]() -> automation::ObjectRef {
        if (++created > 2) automation::Raise(429);
        return (*real)();
    });
    Promu q = Loaded(kSales);
    EXPECT_EQ(Displays(q->lstSubFunc), (std::vector<Text>{u"基础资料", u"业务单据", u"业务报表"}));
    EXPECT_EQ(Keys(q->lstSubFunc), (std::vector<Text>{u"0", u"0", u"0"}));
    EXPECT_EQ(q->lstSubFunc.ListIndex(), 0);
    EXPECT_TRUE(q->cmdModify.Enabled());
    EXPECT_TRUE(q.ui->Messages().empty());
    EXPECT_EQ(automation::PendingError().number, 0);
}

TEST(frmPromu, RenamingAProposedSubFunction) {
    testing::TestAccount account(true, "CHS");
    const MessageBoxRequest duplicate = Warning(u"子功能名称重复，请重新录入！");
    struct Case {
        const char* what;
        std::vector<ModalStep> answers;
        Text display;  // of the proposal afterwards
        size_t messages;
    };
    Case cases[] = {
        {"new name", {AnswerInput(u"  销售单据 ", true)}, u"销售单据", 0},
        {"unchanged", {AnswerInput(u"业务单据", true)}, u"业务单据", 0},
        {"a catalogue name", {AnswerInput(u"账簿", true)}, u"业务单据", 1},
        {"the other proposal", {AnswerInput(u"业务报表", true)}, u"业务单据", 1},
        {"only another letter case", {AnswerInput(u"abc", true), AnswerInput(u"ABC", true)}, u"abc", 1},
        {"cancelled", {AnswerInput(u"新功能", false)}, u"业务单据", 0},
        {"empty", {AnswerInput(u"   ", true)}, u"业务单据", 0},
        {"window closed", {}, u"业务单据", 0},
    };
    for (Case& c : cases) {
        Promu p = Loaded(kSales, TypeOf(200000004, 1));
        frmPromu& f = *p;
        const int32_t proposal = IndexOf(f.lstSubFunc, u"业务单据");
        f.lstSubFunc.SelectByUser(proposal);
        f.cmdSet.Press();  // a row added before the rename keeps the old name
        const size_t presses = std::max<size_t>(c.answers.size(), 1);
        for (ModalStep& step : c.answers) p.ui->Enqueue(frmInput::kName, std::move(step));
        for (size_t i = 0; i < presses; ++i) f.cmdModify.Press();
        EXPECT_EQ(f.lstSubFunc.DisplayText(proposal), c.display) << c.what;
        EXPECT_EQ(f.lstSubFunc.Key(proposal), u"0") << c.what;
        EXPECT_EQ(f.lstSubFunc.ListIndex(), proposal) << c.what;
        EXPECT_EQ((std::pair{f.m_lSubFuncID, f.m_strSubFuncName}), (std::pair{0, c.display})) << c.what;
        EXPECT_EQ(p.ui->Messages(), std::vector<MessageBoxRequest>(c.messages, duplicate)) << c.what;
        EXPECT_EQ(p.ui->Shows(), std::vector<Text>(presses, u"frmInput")) << c.what;
        EXPECT_EQ(Texts(f.lvwResult),
                  std::vector<Text>{u"[客户信用额度-维护] 发布到: [财务会计.总账.业务单据]"})
            << c.what;
    }

    // A double click names only proposals.
    Promu p = Loaded(kSales);
    p.ui->Enqueue(frmInput::kName, AnswerInput(u"门店资料", true));
    p->lstSubFunc.DoubleClickByUser(0);
    EXPECT_TRUE(p.ui->Shows().empty());
    p->lstSubFunc.DoubleClickByUser(IndexOf(p->lstSubFunc, u"业务报表"));
    EXPECT_EQ(p.ui->Shows(), std::vector<Text>{u"frmInput"});
    EXPECT_EQ(p->m_strSubFuncName, u"门店资料");
}

TEST(frmPromu, ANameTypedIntoAnEmptyListIsSelectedWithKeyMinusOne) {
    testing::TestAccount account(false, "CHS");  // an empty catalogue: every list stays empty
    Promu p = Loaded(kSales, TypeOf(200000004, 1));
    frmPromu& f = *p;
    ASSERT_EQ(f.lstSubFunc.ListCount(), 0);
    EXPECT_TRUE(f.cmdModify.Enabled());
    p.ui->Enqueue(frmInput::kName, AnswerInput(u"信用管理", true));
    f.cmdModify.Press();
    EXPECT_EQ(Displays(f.lstSubFunc), std::vector<Text>{u"信用管理"});
    EXPECT_EQ(Keys(f.lstSubFunc), std::vector<Text>{u"-1"});
    EXPECT_EQ(f.lstSubFunc.ListIndex(), 0);
    EXPECT_EQ((std::pair{f.m_lSubFuncID, f.m_strSubFuncName}), (std::pair{-1, Text(u"信用管理")}));
    EXPECT_FALSE(f.cmdModify.Enabled());
    // Without a top class nothing can be added.
    f.cmdSet.Press();
    EXPECT_EQ(p.ui->Messages(), std::vector<MessageBoxRequest>{Warning(u"请选择好发布目标系统！")});
    EXPECT_EQ(f.PublishData->Count(), 0);
}

TEST(frmPromu, AddingPlacesEachSelectedFunctionOncePerPlace) {
    testing::TestAccount account(true, "CHS");
    Promu p = Loaded(kSales, TypeOf(200000003, 4));
    frmPromu& f = *p;
    f.lvwFuncDetail.SelectOnly({1, 3});
    f.cmdSet.Press();
    f.cmdSet.Press();  // same functions, same place: nothing new
    f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, u"业务单据"));
    f.cmdSet.Press();
    EXPECT_EQ(Texts(f.lvwResult), (std::vector<Text>{u"[销售报价单-新增] 发布到: [财务会计.总账.基础资料]",
                                                     u"[销售报价单-打印] 发布到: [财务会计.总账.基础资料]",
                                                     u"[销售报价单-新增] 发布到: [财务会计.总账.业务单据]",
                                                     u"[销售报价单-打印] 发布到: [财务会计.总账.业务单据]"}));
    EXPECT_EQ(f.lvwResult.SelectedIndexes(), (std::vector<int32_t>{1, 2, 3, 4}));
    EXPECT_EQ(f.lvwResult.ScrollTarget(), 4);  // the last row added is brought into view
    ASSERT_EQ(f.PublishData->Count(), 4);
    const auto entry = AsDictionary(f.PublishData->Item(3));
    EXPECT_EQ(entry->Count(), 5);
    EXPECT_EQ(entry->Key(1), u"No");
    EXPECT_EQ(entry->Value(u"No").ToText(), f.lvwResult.Item(3).text);
    EXPECT_EQ(entry->Value(u"TopClass").ToText(), f.lstTopClass.List(0));
    EXPECT_EQ(entry->Value(u"SubSystem").ToText(), f.lstSubSystem.List(0));
    EXPECT_EQ(entry->Value(u"SubFunc").ToText(), core::ComposeKeyedEntry(u"业务单据", u"0"));
    EXPECT_EQ(entry->Value(u"FuncDetail").ToText(),
              core::ComposeKeyedEntry(u"销售报价单-新增", u"List|200000003"));
    EXPECT_EQ(f.lvwResult.Item(3).tag, entry->Value(u"FuncDetail").ToText());

    // Nothing selected: nothing happens, no message.
    f.lvwFuncDetail.SelectOnly({});
    f.lstSubFunc.SelectByUser(1);
    f.cmdSet.Press();
    EXPECT_EQ(f.lvwResult.Count(), 4);
    EXPECT_TRUE(p.ui->Messages().empty());

    // A level without a selected entry names itself and nothing is added.
    const std::pair<const char16_t*, const char16_t*> levels[] = {
        {u"lstTopClass", u"请选择好发布目标系统！"},
        {u"lstSubSystem", u"请选择好发布目标子系统！"},
        {u"lstSubFunc", u"请选择好发布目标子功能模块！"}};
    for (const auto& [list, message] : levels) {
        Promu q = Loaded(kSales, TypeOf(200000003, 4));
        static_cast<ListBox*>(q->FindControl(list))->SetListIndex(-1);
        q->cmdSet.Press();
        EXPECT_EQ(q.ui->Messages(), std::vector<MessageBoxRequest>{Warning(message)})
            << automation::ToUtf8(message);
        EXPECT_EQ(q->lvwResult.Count() + q->PublishData->Count(), 0) << automation::ToUtf8(message);
    }
}

TEST(frmPromu, DeletingSelectsTheRowAtThePositionOfTheLastDeleted) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        std::vector<int32_t> selected;
        std::vector<int32_t> left;  // rows of the original five
        std::vector<int32_t> selectedAfter;
    };
    const Case cases[] = {
        {"two in the middle", {2, 3}, {1, 4, 5}, {3}},
        {"the last", {5}, {1, 2, 3, 4}, {4}},
        {"the last two", {4, 5}, {1, 2, 3}, {3}},
        {"the first", {1}, {2, 3, 4, 5}, {1}},
        {"all", {1, 2, 3, 4, 5}, {}, {}},
        {"nothing selected", {}, {1, 2, 3, 4, 5}, {}},
    };
    for (const Case& c : cases) {
        Promu p = Loaded(kSales, TypeOf(200000003, 4));
        frmPromu& f = *p;
        Check(f, u"Base", true);
        f.cmdSet.Press();
        ASSERT_EQ(f.lvwResult.Count(), 5) << c.what;
        const std::vector<Text> before = Texts(f.lvwResult);
        f.lvwResult.SelectOnly(c.selected);
        f.cmdDel.Press();
        std::vector<Text> left, data;
        for (int32_t row : c.left) left.push_back(before[static_cast<size_t>(row - 1)]);
        for (const Variant& entry : *f.PublishData)
            data.push_back(AsDictionary(entry)->Value(u"No").ToText());
        EXPECT_EQ(Texts(f.lvwResult), left) << c.what;
        EXPECT_EQ(data, left) << c.what;
        EXPECT_EQ(f.lvwResult.SelectedIndexes(), c.selectedAfter) << c.what;
        EXPECT_EQ(f.lvwResult.ScrollTarget(),
                  c.selectedAfter.empty() ? (c.selected.empty() ? 5 : 0) : c.selectedAfter[0])
            << c.what;
        // A deleted row can be added again; the others are not added twice.
        f.cmdSet.Press();
        EXPECT_EQ(f.lvwResult.Count(), 5) << c.what;
        EXPECT_EQ(f.PublishData->Count(), 5) << c.what;
    }
    Promu p = Loaded(kSales, TypeOf(200000004, 1));
    p->cmdSet.Press();
    p->lvwResult.SelectOnly({1});
    p->cmdDel.Press();
    p->cmdOK.Press();
    EXPECT_EQ(p.ui->Messages(), std::vector<MessageBoxRequest>{Warning(u"请选择好发布对象及发布位置！")});
    EXPECT_TRUE(p.ui->PointerHistory().empty());
}

TEST(frmPromu, PublishingCreatesTheFunctionsAndReportsRefusalsAsDetails) {
    testing::TestAccount account(true, "CHS");
    const auto before = testing::CataloguePaths(account.Path());
    Promu p = Loaded(kSales, TypeOf(200000004, 1));
    frmPromu& f = *p;
    Check(f, u"Base_Item_200000009", true);
    // Sales > Base Data already holds the credit limit under the name a publish gives it.
    f.lstTopClass.SelectByUser(IndexOf(f.lstTopClass, u"供应链"));
    f.lstSubSystem.SelectByUser(IndexOf(f.lstSubSystem, u"销售管理"));
    f.cmdSet.Press();
    // A report into a group the purchasing subsystem does not have yet.
    Check(f, u"Report_Item5102", true);
    f.lvwFuncDetail.SelectOnly({3});
    f.lstSubSystem.SelectByUser(IndexOf(f.lstSubSystem, u"采购管理"));
    f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, u"业务报表"));
    f.cmdSet.Press();
    ASSERT_EQ(f.lvwResult.Count(), 3);

    p.ui->Enqueue(frmPromu::kName, [](DialogModel& d) { static_cast<frmPromu&>(d).cmdOK.Press(); });
    p.ui->Enqueue(frmPromu::kName, [](DialogModel& d) {
        EXPECT_TRUE(d.IsShown());  // the dialog stays open
        static_cast<frmPromu&>(d).cmdOK.Press();
    });
    p->ShowModal();
    const Text credit = u"[客户信用额度-维护] 发布到: [供应链.销售管理.基础资料]";
    const Text store = u"[门店-维护] 发布到: [供应链.销售管理.基础资料]";
    const Text report = u"[销售收入统计表-查询] 发布到: [供应链.采购管理.业务报表]";
    const Text present = u"失败，原因在于该功能已在主控台中存在！\n";
    const Text first = credit + present + store + u"成功！\n创建子系统功能业务报表成功!\n" + report +
                       u"成功！\n功能发布完毕！";
    const Text second = credit + present + store + present + report + present + u"功能发布完毕！";
    ASSERT_EQ(p.ui->Messages().size(), 2u);
    EXPECT_EQ(p.ui->Messages()[0], Warning(u"发布对象成功！", first))
        << automation::ToUtf8(p.ui->Messages()[0].details);
    EXPECT_EQ(p.ui->Messages()[1], Warning(u"发布对象成功！", second))
        << automation::ToUtf8(p.ui->Messages()[1].details);
    EXPECT_EQ(p.ui->PointerHistory(),
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default,
                                         MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(f.lvwResult.Count(), 3);  // the list stays as it was
    EXPECT_EQ(f.PublishData->Count(), 3);

    auto after = testing::CataloguePaths(account.Path());
    for (const Text& path : before) after.erase(after.find(path));
    EXPECT_EQ(after, (std::multiset<Text>{u"供应链/销售管理/基础资料/门店-维护|Base|200000009",
                                          u"供应链/采购管理/业务报表",
                                          u"供应链/采购管理/业务报表/销售收入统计表-查询|CROSSRPT|5102"}));
}

TEST(frmPromu, APacketThatCannotBeBuiltIsAFailedPublishWithTheReason) {
    testing::TestAccount account(true, "CHS");
    const auto before = testing::CataloguePaths(account.Path());
    Promu p = Loaded(kSales, TypeOf(200000004, 1));
    p->cmdSet.Press();
    AsDictionary(p->PublishData->Item(1))->SetValue(u"TopClass", core::ComposeKeyedEntry(u"财务会计", u"x"));
    p->cmdOK.Press();
    ASSERT_EQ(p.ui->Messages().size(), 1u);
    EXPECT_EQ(p.ui->Messages()[0].text, u"发布对象失败！");
    EXPECT_EQ(p.ui->Messages()[0].style, 48);
    EXPECT_FALSE(p.ui->Messages()[0].details.empty());
    EXPECT_EQ(p.ui->PointerHistory(),
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
    EXPECT_EQ(testing::CataloguePaths(account.Path()), before);
    EXPECT_EQ(automation::PendingError().number, 0);

    // Publish data missing after a failed load counts as empty.
    p->PublishData = nullptr;
    p->cmdOK.Press();
    EXPECT_EQ(p.ui->Messages().back(), Warning(u"请选择好发布对象及发布位置！"));
}

TEST(frmPromu, ByNameAsThePublisherSetsIt) {
    testing::TestAccount account(true, "CHS");
    Promu p;
    automation::ObjectRef form = p.form;
    automation::LetProperty(form, u"m_lCurSubSystem", kSales);
    automation::LetProperty(form, u"ReportName", Text(u"销售收入统计表"));
    automation::LetProperty(form, u"ReportID", 5102);
    automation::LetProperty(form, u"ReportType", Text(u"1000"));
    EXPECT_EQ(automation::GetProperty(form, u"m_lCurSubSystem").ToInt32(), kSales);
    EXPECT_FALSE(automation::GetProperty(form, u"ClassType").ToObject());
    EXPECT_EQ((std::pair{p->ReportName, p->ReportType}), (std::pair{Text(u"销售收入统计表"), Text(u"1000")}));
    p->ShowModal();  // the window is closed at once by the scripted user
    EXPECT_EQ(Texts(p->lvwFuncDetail), std::vector<Text>{u"销售收入统计表-查询"});
    EXPECT_EQ(automation::GetProperty(form, u"tvList").ToObject()->TypeName(), u"TreeView");
}

TEST(frmPromu, ThousandsOfTypesAndReportsLoadAndTickInLinearTime) {
    testing::TestAccount account(true, "CHS");
    Execute(account,
            "INSERT INTO t_BizSubSystem VALUES (99, 'x', 'x', 'x');"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 4999) "
            "INSERT INTO t_ClassType (FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID) "
            "SELECT 300000000 + i, '类型' || i, '類型' || i, 'Type ' || i, CASE WHEN i % 5 = 0 THEN 4 ELSE 1 "
            "END, 99 "
            "FROM n;"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 999) "
            "INSERT INTO t_Report (FID, FName_CHS, FName_CHT, FName_EN, FType, FFunctionID) "
            "SELECT 600000 + i, '报表' || i, '報表' || i, 'Report ' || i, 1000 + i % 3, 99 FROM n;");
    const auto start = std::chrono::steady_clock::now();
    Promu p = Loaded(99);
    Check(*p, u"Base", true);
    Check(*p, u"Report", true);
    Check(*p, u"Bill", true);  // 1,000 bills, each with the standard actions
    p->cmdSet.Press();
    Check(*p, u"Base", false);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(p->tvList.Count(), 3 + 5000 + 1000);
    EXPECT_EQ(p->PublishData->Count(), 4000 + 1000 + 2000);
    EXPECT_EQ(p->lvwFuncDetail.Count(), 1000 + 2000);
    EXPECT_LT(seconds, 30.0);  // quadratic scans take minutes here
}

}  // namespace
}  // namespace orva::dialogs
