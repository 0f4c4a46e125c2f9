// The deployment wizard on the demo account, played by a scripted user: captions and load order, the
// cascading target lists with proposals and naming, the function list from base data, bills and other
// types, publish lines in four languages, deletion, confirm, cancel and the packet set.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/wizard/frmWizard.h"
#include "support/ErrorNumber.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using automation::Variant;
using components::AsDictionary;
using components::Vector;
using components::VectorRef;

struct ChosenType {
    int32_t fid;
    Text chs, cht, en;
    int32_t billType;
};

// Types of the demo account.
const ChosenType kAccount{1001, u"会计科目", u"會計科目", u"Account", 1};
const ChosenType kSalesOrder{81, u"销售订单", u"銷售訂單", u"Sales Order", 4};
const ChosenType kReturnRequest{200000005, u"退货申请单", u"退貨申請單", u"Return Request", 4};  // no actions
const ChosenType kPurchaseOrder{71, u"采购订单", u"採購訂單", u"Purchase Order", 4};
const ChosenType kMarginInquiry{200000006, u"销售毛利查询", u"銷售毛利查詢", u"Gross Margin Inquiry", 2};

// SelectClasses as a caller builds it: FName in the host's language (part 0 CHS, 1 CHT, 2 EN).
VectorRef Chosen(const std::vector<ChosenType>& types, size_t part = 0) {
    VectorRef chosen = Vector::Create();
    for (const ChosenType& t : types) {
        auto type = components::Dictionary::Create();
        const Text names[] = {t.chs, t.cht, t.en};
        type->SetValue(u"FName", names[part]);
        type->SetValue(u"FMName", t.chs + u"|" + t.cht + u"|" + t.en);
        type->SetValue(u"FBillTypeID", t.billType);
        type->SetValue(u"FID", t.fid);
        chosen->Add(type);
    }
    return chosen;
}

struct Wizard {
    std::shared_ptr<ScriptedUi> ui = std::make_shared<ScriptedUi>();
    std::shared_ptr<frmWizard> form = std::make_shared<frmWizard>(ui);
    frmWizard& operator*() const { return *form; }
    frmWizard* operator->() const { return form.get(); }
};

// A loaded wizard over the chosen types (not shown: the tests press its controls directly).
Wizard Loaded(VectorRef chosen) {
    Wizard w;
    w->SelectClasses = std::move(chosen);
    w->Load();
    return w;
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

std::vector<Text> Texts(const ListView& view) {
    std::vector<Text> texts;
    for (const ListViewItem& item : view.Items()) texts.push_back(item.text);
    return texts;
}

Text Field(const VectorRef& list, int32_t index, const char16_t* key) {
    return AsDictionary(list->Item(index))->Value(key).ToText();
}

int32_t IndexOf(const ListBox& list, const Text& display) {
    for (int32_t i = 0; i < list.ListCount(); ++i) {
        if (list.DisplayText(i) == display) return i;
    }
    return -1;
}

MessageBoxRequest Warning(const Text& text) { return {text, u"Tarvo提示", 48, {}}; }

TEST(frmWizard, LoadSetsCaptionsColumnsAndFillsTheCascade) {
    testing::TestAccount account(true, "CHS");
    Wizard w = Loaded(Chosen({kAccount, kMarginInquiry}));
    const frmWizard& f = *w;
    EXPECT_EQ((std::vector<Text>{f.Caption(), f.Frame0.Caption(), f.Label2.Caption(), f.Label3.Caption(),
                                 f.Label4.Caption(), f.cmdModify.Caption(), f.cmdSet.Caption(),
                                 f.cmdDel.Caption(), f.cmdOK.Caption(), f.cmdCancel.Caption()}),
              (std::vector<Text>{u"功能发布", u"功能列表", u"发布的目标系统：", u"发布的目标子系统：",
                                 u"发布的目标子功能模块：", u"修改名称(&M) ↓", u"添加(&A) ↓", u"删除(&R) ↑",
                                 u"确认(&F)", u"取消(&C)"}));
    std::vector<Text> inFrame;  // placed relative to Frame(0); the others relative to the form
    for (const auto& control : f.Controls()) {
        if (control->Container() == &f.Frame0) inFrame.push_back(control->Name());
    }
    EXPECT_EQ(inFrame, (std::vector<Text>{u"lstTopClass", u"lstSubSystem", u"lstSubFunc", u"Label4",
                                          u"Label3", u"Label2", u"cmdModify", u"lvwFuncDetail"}));
    ASSERT_EQ(f.lvwFuncDetail.Columns().size(), 1u);
    ASSERT_EQ(f.lvwResult.Columns().size(), 1u);
    EXPECT_EQ(f.lvwFuncDetail.Columns()[0].text, u"将要发布的功能：");
    EXPECT_EQ(f.lvwFuncDetail.Columns()[0].width, 3855 - 300);
    EXPECT_EQ(f.lvwResult.Columns()[0].text, u"发布列表");

    // "我的Orva" is never a target; each list selects its first entry and fills the next.
    EXPECT_EQ(Displays(f.lstTopClass), (std::vector<Text>{u"财务会计", u"供应链", u"生产制造", u"系统设置"}));
    EXPECT_EQ(Keys(f.lstTopClass), (std::vector<Text>{u"2", u"3", u"4", u"5"}));
    EXPECT_EQ(f.m_vecTopClassNames.front(), u"财务会计|財務會計|Financial Accounting");
    EXPECT_EQ(f.m_vecTopClassNames.size(), 4u);
    EXPECT_EQ(Displays(f.lstSubSystem).front(), u"总账");
    EXPECT_EQ(f.m_vecSubSystemNames.size(), static_cast<size_t>(f.lstSubSystem.ListCount()));
    // Catalogue sub-functions first, then one proposal per chosen type.
    EXPECT_EQ(Displays(f.lstSubFunc), (std::vector<Text>{u"基础资料", u"凭证处理", u"账簿", u"财务报表",
                                                         u"期末处理", u"会计科目", u"销售毛利查询"}));
    EXPECT_EQ(Keys(f.lstSubFunc).back(), u"0");
    EXPECT_EQ(f.m_vecSubFuncNames.back(), u"销售毛利查询|銷售毛利查詢|Gross Margin Inquiry");
    EXPECT_EQ(f.m_vecSubFuncNames.size(), 7u);
    EXPECT_EQ((std::tuple{f.m_lTopClassID, f.m_strTopClassName, f.m_lSubSystemID, f.m_strSubSystemName,
                          f.m_lSubFuncID, f.m_strSubFuncName}),
              (std::tuple{2, Text(u"财务会计"), 201, Text(u"总账"), 1011, Text(u"基础资料")}));
    EXPECT_FALSE(f.cmdModify.Enabled());  // a catalogue sub-function keeps its name
    EXPECT_TRUE(w.ui->Messages().empty());
    EXPECT_EQ(f.lvwResult.Count(), 0);
}

TEST(frmWizard, EnglishHostShowsEnglishNamesAndKeepsAllThreeBeside) {
    testing::TestAccount account(true, "EN");
    Wizard w = Loaded(Chosen({kAccount}, 2));
    EXPECT_EQ(Displays(w->lstTopClass).front(), u"Financial Accounting");
    EXPECT_EQ(Displays(w->lstSubFunc).back(), u"Account");
    ASSERT_EQ(w->lvwFuncDetail.Count(), 1);
    EXPECT_EQ(w->lvwFuncDetail.Item(1).text, u"Account-" + hostctx::TranslateText(u"维护"));
    EXPECT_NE(w->lvwFuncDetail.Columns()[0].text, u"将要发布的功能：");  // translated
}

// On a login in each language the functions are named from that language's name of the type and of
// the action, and the line shows that language's target; the keys, the multi-language names and the
// three language entries that leave the dialog are the same whatever the login.
TEST(frmWizard, FunctionNamesAndLinesFollowTheHostLanguage) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* language;
        size_t part;
        std::vector<Text> texts;
        Text line;  // of the first function under the first target
    };
    const Case cases[] = {
        {"CHS",
         0,
         {u"会计科目-维护", u"销售订单-新增", u"销售订单-序时簿", u"销售订单-审核", u"销售订单-打印",
          u"销售毛利查询-查询"},
         u"[会计科目-维护] 发布到: [财务会计.总账.基础资料]"},
        {"CHT",
         1,
         {u"會計科目-維護", u"銷售訂單-新增", u"銷售訂單-序時簿", u"銷售訂單-審核", u"銷售訂單-列印",
          u"銷售毛利查詢-查詢"},
         u"[會計科目-維護] 發佈到: [財務會計.總帳.基礎資料]"},
        {"EN",
         2,
         {u"Account-Maintenance", u"Sales Order-New", u"Sales Order-List", u"Sales Order-Approve",
          u"Sales Order-Print", u"Gross Margin Inquiry-Query"},
         u"[Account-Maintenance] publish to: [Financial Accounting.General Ledger.Base Data]"},
        // A host may publish its language in lower case; it is read as "EN".
        {"en",
         2,
         {u"Account-Maintenance", u"Sales Order-New", u"Sales Order-List", u"Sales Order-Approve",
          u"Sales Order-Print", u"Gross Margin Inquiry-Query"},
         u"[Account-Maintenance] publish to: [Financial Accounting.General Ledger.Base Data]"},
    };
    const std::vector<Text> tags = {u"Base|1001", u"Bill|81", u"List|81",
                                    u"List|81",   u"Bill|81", u"200000006"};
    std::vector<Text> namesOfFirst;
    std::vector<Text> entriesOfFirst;
    for (const Case& c : cases) {
        account.Publish(c.language);
        Wizard w = Loaded(Chosen({kAccount, kSalesOrder, kMarginInquiry}, c.part));
        frmWizard& f = *w;
        std::vector<Text> tagsSeen;
        for (const ListViewItem& item : f.lvwFuncDetail.Items()) tagsSeen.push_back(item.tag);
        EXPECT_EQ(Texts(f.lvwFuncDetail), c.texts) << c.language;
        EXPECT_EQ(tagsSeen, tags) << c.language;
        f.lvwFuncDetail.SelectOnly({1});
        f.cmdSet.Press();
        EXPECT_EQ(Texts(f.lvwResult), std::vector<Text>{c.line}) << c.language;
        EXPECT_EQ(Field(f.PromulgateList, 1, u"FuncDetail"), core::ComposeKeyedEntry(c.texts[0], tags[0]))
            << c.language;
        std::vector<Text> entries;
        for (const VectorRef& list : {f.PromulgateListCHS, f.PromulgateListCHT, f.PromulgateListEN}) {
            for (const char16_t* key : {u"No", u"TopClass", u"SubSystem", u"SubFunc", u"FuncDetail"})
                entries.push_back(Field(list, 1, key));
        }
        if (namesOfFirst.empty()) {
            namesOfFirst = f.m_vecFuncNames;
            entriesOfFirst = entries;
            EXPECT_EQ(namesOfFirst.back(), u"销售毛利查询-查询|銷售毛利查詢-查詢|Gross Margin Inquiry-Query");
            EXPECT_EQ(entries[5], u"[會計科目-維護] 發佈到: [財務會計.總帳.基礎資料]");
        }
        EXPECT_EQ(f.m_vecFuncNames, namesOfFirst) << c.language;
        EXPECT_EQ(entries, entriesOfFirst) << c.language;
    }
}

TEST(frmWizard, ClickingATargetRefillsTheListsBelowAndProposalsComeBack) {
    testing::TestAccount account(true, "CHS");
    Wizard w = Loaded(Chosen({kSalesOrder}));
    frmWizard& f = *w;
    f.lstTopClass.SelectByUser(IndexOf(f.lstTopClass, u"供应链"));
    EXPECT_EQ(f.m_lTopClassID, 3);
    EXPECT_EQ(f.m_strSubSystemName, u"采购管理");
    EXPECT_EQ(Displays(f.lstSubFunc).back(), u"销售订单");
    f.lstSubSystem.SelectByUser(IndexOf(f.lstSubSystem, u"销售管理"));
    EXPECT_EQ(f.m_lSubSystemID, 302);
    EXPECT_EQ(Displays(f.lstSubFunc),
              (std::vector<Text>{u"基础资料", u"业务单据", u"业务报表", u"销售订单"}));
    EXPECT_EQ(f.m_vecSubFuncNames.size(), 4u);
    // Selecting the proposal enables cmdModify, a catalogue entry disables it again.
    f.lstSubFunc.SelectByUser(3);
    EXPECT_EQ((std::pair{f.m_lSubFuncID, f.m_strSubFuncName}), (std::pair{0, Text(u"销售订单")}));
    EXPECT_TRUE(f.cmdModify.Enabled());
    f.lstSubFunc.SelectByUser(0);
    EXPECT_FALSE(f.cmdModify.Enabled());
}

TEST(frmWizard, ProposalsSkipNamesTheListHasIgnoringCase) {
    testing::TestAccount account(true, "CHS");
    ChosenType sameAsCatalogue{1002, u"凭证处理", u"傳票處理", u"Vouchers", 1};
    ChosenType upper{1003, u"Quote", u"Quote", u"Quote", 1};
    ChosenType lower{1004, u"QUOTE", u"quote", u"quote", 1};
    ChosenType blanks{1005, u" quote  ", u"quote", u"quote", 1};
    ChosenType catalogueWithBlanks{1006, u" 账簿 ", u"帳簿", u"Books", 1};
    Wizard w = Loaded(Chosen({sameAsCatalogue, upper, lower, upper, blanks, catalogueWithBlanks}));
    EXPECT_EQ(Displays(w->lstSubFunc),
              (std::vector<Text>{u"基础资料", u"凭证处理", u"账簿", u"财务报表", u"期末处理", u"Quote"}));
    EXPECT_EQ(w->m_vecSubFuncNames.back(), u"Quote|Quote|Quote");
}

TEST(frmWizard, NamingANewSubFunction) {
    testing::TestAccount account(true, "CHS");
    const MessageBoxRequest duplicate = Warning(u"子功能名称重复，请重新录入！");
    struct Case {
        const char* what;
        std::vector<ModalStep> answers;
        Text display;  // of the proposal afterwards
        Text names;
        size_t messages;
    };
    Case cases[] = {
        {"new name", {AnswerInput(u"  新功能 ", true)}, u"新功能", u"新功能|新功能|新功能", 0},
        {"own name again", {AnswerInput(u"会计科目", true)}, u"会计科目", u"会计科目|會計科目|Account", 0},
        {"a catalogue name", {AnswerInput(u"账簿", true)}, u"会计科目", u"会计科目|會計科目|Account", 1},
        {"another proposal's name in other case",
         {AnswerInput(u"quote", true)},
         u"会计科目",
         u"会计科目|會計科目|Account",
         1},
        {"cancelled", {AnswerInput(u"新功能", false)}, u"会计科目", u"会计科目|會計科目|Account", 0},
        {"empty", {AnswerInput(u"   ", true)}, u"会计科目", u"会计科目|會計科目|Account", 0},
        {"window closed", {}, u"会计科目", u"会计科目|會計科目|Account", 0},
    };
    for (Case& c : cases) {
        Wizard w = Loaded(Chosen({kAccount, {1004, u"Quote", u"Quote", u"Quote", 1}}));
        frmWizard& f = *w;
        const int32_t proposal = IndexOf(f.lstSubFunc, u"会计科目");
        f.lstSubFunc.SelectByUser(proposal);
        for (ModalStep& step : c.answers) w.ui->Enqueue(frmInput::kName, std::move(step));
        f.cmdModify.Press();
        EXPECT_EQ(f.lstSubFunc.DisplayText(proposal), c.display) << c.what;
        EXPECT_EQ(f.lstSubFunc.Key(proposal), u"0") << c.what;
        EXPECT_EQ(f.m_vecSubFuncNames[static_cast<size_t>(proposal)], c.names) << c.what;
        EXPECT_EQ((std::pair{f.m_lSubFuncID, f.m_strSubFuncName}), (std::pair{0, c.display})) << c.what;
        EXPECT_EQ(w.ui->Messages(), std::vector<MessageBoxRequest>(c.messages, duplicate)) << c.what;
        EXPECT_EQ(w.ui->Shows(), std::vector<Text>{u"frmInput"}) << c.what;
    }
}

TEST(frmWizard, DoubleClickNamesOnlyNewSubFunctions) {
    testing::TestAccount account(true, "CHS");
    Wizard w = Loaded(Chosen({kAccount}));
    frmWizard& f = *w;
    w.ui->Enqueue(frmInput::kName, AnswerInput(u"科目维护", true));
    f.lstSubFunc.DoubleClickByUser(0);  // a catalogue sub-function: no input dialog
    EXPECT_TRUE(w.ui->Shows().empty());
    f.lstSubFunc.DoubleClickByUser(IndexOf(f.lstSubFunc, u"会计科目"));
    EXPECT_EQ(w.ui->Shows(), std::vector<Text>{u"frmInput"});
    EXPECT_EQ(f.m_strSubFuncName, u"科目维护");
}

TEST(frmWizard, NameTypedIntoAnEmptySubFunctionListIsAddedUnselected) {
    testing::TestAccount account(false, "CHS");  // an empty catalogue: every list stays empty
    Wizard w = Loaded(nullptr);
    frmWizard& f = *w;
    ASSERT_EQ(f.lstSubFunc.ListCount(), 0);
    EXPECT_TRUE(f.cmdModify.Enabled());
    w.ui->Enqueue(frmInput::kName, AnswerInput(u"MRP报表", true));
    f.cmdModify.Press();
    EXPECT_EQ(Displays(f.lstSubFunc), std::vector<Text>{u"MRP报表"});
    EXPECT_EQ(Keys(f.lstSubFunc), std::vector<Text>{u"0"});
    EXPECT_EQ(f.m_vecSubFuncNames, std::vector<Text>{u"MRP报表|MRP报表|MRP报表"});
    EXPECT_EQ(f.lstSubFunc.ListIndex(), -1);
    EXPECT_EQ((std::pair{f.m_lSubFuncID, f.m_strSubFuncName}), (std::pair{0, Text()}));
    EXPECT_TRUE(f.cmdModify.Enabled());
}

TEST(frmWizard, FunctionListFromBaseDataBillsAndOtherTypes) {
    testing::TestAccount account(true, "CHS");
    ChosenType twoNames{1005, u"物料", u"物料", u"Item", 1};
    twoNames.en.clear();
    Wizard w = Loaded(Chosen({kAccount,
                              kSalesOrder,
                              kReturnRequest,
                              kMarginInquiry,
                              kAccount,
                              kPurchaseOrder,
                              {1002, kAccount.chs, kAccount.cht, kAccount.en, 1}}));
    struct Item {
        Text text, tag, names;
    };
    const std::vector<Item> expected = {
        {u"会计科目-维护", u"Base|1001", u"会计科目-维护|會計科目-維護|Account-Maintenance"},
        {u"销售订单-新增", u"Bill|81", u"销售订单-新增|銷售訂單-新增|Sales Order-New"},  // FEnvironment 1
        {u"销售订单-序时簿", u"List|81", u"销售订单-序时簿|銷售訂單-序時簿|Sales Order-List"},  // 64
        {u"销售订单-审核", u"List|81", u"销售订单-审核|銷售訂單-審核|Sales Order-Approve"},  // 65: list first
        {u"销售订单-打印", u"Bill|81", u"销售订单-打印|銷售訂單-列印|Sales Order-Print"},    // 33
        // 关联查询 (0) is not offered; the return request gets the standard actions.
        {u"退货申请单-新增", u"Bill|200000005", u"退货申请单-新增|退貨申請單-新增|Return Request-New"},
        {u"退货申请单-序时簿", u"List|200000005", u"退货申请单-序时簿|退貨申請單-序時簿|Return Request-List"},
        {u"销售毛利查询-查询", u"200000006",
         u"销售毛利查询-查询|銷售毛利查詢-查詢|Gross Margin Inquiry-Query"},
        // mnuFileNew in both places (65) enters a new bill in the form; the list (128), approving (64).
        {u"采购订单-新增", u"Bill|71", u"采购订单-新增|採購訂單-新增|Purchase Order-New"},
        {u"采购订单-序时簿", u"List|71", u"采购订单-序时簿|採購訂單-序時簿|Purchase Order-List"},
        {u"采购订单-审核", u"List|71", u"采购订单-审核|採購訂單-審核|Purchase Order-Approve"},
        // Another type of the same name: the same text under another key.
        {u"会计科目-维护", u"Base|1002", u"会计科目-维护|會計科目-維護|Account-Maintenance"},
    };
    ASSERT_EQ(w->lvwFuncDetail.Count(), static_cast<int32_t>(expected.size()));
    ASSERT_EQ(w->m_vecFuncNames.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const ListViewItem& item = w->lvwFuncDetail.Item(static_cast<int32_t>(i + 1));
        EXPECT_EQ(item.text, expected[i].text) << i;
        EXPECT_EQ(item.tag, expected[i].tag) << i;
        EXPECT_TRUE(item.selected) << i;
        EXPECT_EQ(w->m_vecFuncNames[i], expected[i].names) << i;
    }

    // Bills whose actions stand in every place of the form and the list: the publish dialog's functions.
    testing::OpenTestAccount(account.Path())->Execute(testing::kPlacedBillsSql);
    const std::vector<ChosenType> placed = {{200000101, u"调拨单", u"調撥單", u"Transfer", 4},
                                            {200000102, u"盘点单", u"盤點單", u"Stocktake", 4},
                                            {200000103, u"领料单", u"領料單", u"Requisition", 4},
                                            {200000104, u"报废单", u"報廢單", u"Scrap", 4},
                                            {200000105, u"借出单", u"借出單", u"Loan", 4}};
    Wizard places = Loaded(Chosen(placed));
    std::vector<Text> functions;
    for (const ListViewItem& item : places->lvwFuncDetail.Items())
        functions.push_back(item.text + u"|" + item.tag);
    EXPECT_EQ(functions, testing::kPlacedBillFunctions);

    // A type whose FMName lacks a language, or a bill the account does not know, ends the list there
    // silently; earlier functions stay.
    const ChosenType unknownBill{999, u"未知单据", u"未知單據", u"Unknown", 4};
    for (const ChosenType& bad : {twoNames, unknownBill}) {
        VectorRef broken = Chosen({kAccount, bad, kMarginInquiry});
        if (bad.fid == twoNames.fid) AsDictionary(broken->Item(2))->SetValue(u"FMName", u"物料|物料");
        Wizard cut = Loaded(broken);
        EXPECT_EQ(Texts(cut->lvwFuncDetail), std::vector<Text>{u"会计科目-维护"}) << bad.fid;
        EXPECT_EQ(cut->m_vecFuncNames.size(), 1u) << bad.fid;
        EXPECT_TRUE(cut.ui->Messages().empty()) << bad.fid;
        EXPECT_EQ(automation::PendingError().number, 0) << bad.fid;
    }
}

TEST(frmWizard, AddWritesFourParallelEntriesOncePerTarget) {
    testing::TestAccount account(true, "CHS");
    Wizard w = Loaded(Chosen({kAccount, kMarginInquiry}));
    frmWizard& f = *w;
    f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, u"会计科目"));  // a new sub-function, key 0
    f.cmdSet.Press();
    f.cmdSet.Press();  // same selection and target: nothing new
    ASSERT_EQ(f.PromulgateList->Count(), 2);
    for (const VectorRef& list : {f.PromulgateListCHS, f.PromulgateListCHT, f.PromulgateListEN}) {
        ASSERT_EQ(list->Count(), 2);
    }
    EXPECT_EQ(Texts(f.lvwResult),
              (std::vector<Text>{u"[会计科目-维护] 发布到: [财务会计.总账.会计科目]",
                                 u"[销售毛利查询-查询] 发布到: [财务会计.总账.会计科目]"}));
    EXPECT_EQ(f.lvwResult.SelectedIndexes(), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(f.lvwResult.ScrollTarget(), 2);  // the last line added is brought into view
    EXPECT_EQ(f.lvwFuncDetail.SelectedIndexes(), (std::vector<int32_t>{1, 2}));  // keep their selection

    // The current-language entry holds the list boxes' entries whole.
    const auto entry = AsDictionary(f.PromulgateList->Item(1));
    EXPECT_EQ(entry->Count(), 5);
    const Text keys[] = {u"No", u"TopClass", u"SubSystem", u"SubFunc", u"FuncDetail"};  // as files keep them
    for (int32_t k = 1; k <= 5; ++k) EXPECT_EQ(entry->Key(k), keys[k - 1]);
    EXPECT_EQ(entry->Value(u"TopClass").ToText(), f.lstTopClass.List(0));
    EXPECT_EQ(entry->Value(u"SubFunc").ToText(), f.lstSubFunc.List(f.lstSubFunc.ListIndex()));
    EXPECT_EQ(entry->Value(u"FuncDetail").ToText(), core::ComposeKeyedEntry(u"会计科目-维护", u"Base|1001"));
    // The language entries: names of that language, the same keys.
    EXPECT_EQ(Field(f.PromulgateListCHS, 1, u"No"), u"[会计科目-维护] 发布到: [财务会计.总账.会计科目]");
    struct Lang {
        VectorRef list;
        Text top, sub, func, detail;
    };
    const Lang langs[] = {
        {f.PromulgateListCHT, u"財務會計", u"總帳", u"會計科目", u"會計科目-維護"},
        {f.PromulgateListEN, u"Financial Accounting", u"General Ledger", u"Account", u"Account-Maintenance"},
    };
    for (const Lang& l : langs) {
        EXPECT_EQ(Field(l.list, 1, u"TopClass"), core::ComposeKeyedEntry(l.top, u"2"));
        EXPECT_EQ(Field(l.list, 1, u"SubSystem"), core::ComposeKeyedEntry(l.sub, u"201"));
        EXPECT_EQ(Field(l.list, 1, u"SubFunc"), core::ComposeKeyedEntry(l.func, u"0"));
        EXPECT_EQ(Field(l.list, 1, u"FuncDetail"), core::ComposeKeyedEntry(l.detail, u"Base|1001"));
        EXPECT_NE(Field(l.list, 1, u"No").find(l.detail), Text::npos);
        EXPECT_NE(Field(l.list, 1, u"No").find(l.top + u"." + l.sub + u"." + l.func), Text::npos);
    }

    // Another target gives new lines; only the selected functions are placed.
    f.lvwFuncDetail.SelectOnly({2});
    f.lstSubFunc.SelectByUser(0);
    f.cmdSet.Press();
    EXPECT_EQ(f.lvwResult.Item(3).text, u"[销售毛利查询-查询] 发布到: [财务会计.总账.基础资料]");
    EXPECT_EQ(Field(f.PromulgateListEN, 3, u"SubFunc"), core::ComposeKeyedEntry(u"Base Data", u"1011"));
    EXPECT_EQ(f.PromulgateListCHT->Count(), 3);
    EXPECT_EQ(f.lvwResult.ScrollTarget(), 3);
}

TEST(frmWizard, ComponentsThatCannotBeCreatedLeaveTheirListsEmptySilently) {
    testing::TestAccount account(true, "CHS");
    {
        automation::ScopedClassOverride noReader(components::kCatalogReaderProgId, nullptr);
        Wizard w = Loaded(Chosen({kAccount}));
        EXPECT_EQ(w->lstTopClass.ListCount() + w->lstSubSystem.ListCount() + w->lstSubFunc.ListCount(), 0);
        EXPECT_EQ(w->lvwFuncDetail.Count(), 1);
        EXPECT_TRUE(w.ui->Messages().empty());
    }
    automation::ScopedClassOverride noActions(u"OrvaBills.ActionCatalog", nullptr);
    Wizard w = Loaded(Chosen({kAccount, kSalesOrder}));
    EXPECT_EQ(w->lvwFuncDetail.Count(), 0);
    EXPECT_TRUE(w->m_vecFuncNames.empty());
    EXPECT_EQ(Displays(w->lstSubFunc).back(), u"销售订单");  // the proposals do not need it
    EXPECT_EQ(automation::PendingError().number, 0);
}

TEST(frmWizard, ANameWithoutAllLanguagesStandsForTheMissingOnes) {
    testing::TestAccount account(true, "CHS");
    VectorRef chosen = Chosen({kAccount, {1006, u"独立", u"獨立", u"Solo", 1}});
    AsDictionary(chosen->Item(2))->SetValue(u"FMName", u"独立");
    Wizard w = Loaded(chosen);
    frmWizard& f = *w;
    EXPECT_EQ(Texts(f.lvwFuncDetail), std::vector<Text>{u"会计科目-维护"});  // the list ends at that type
    f.lstSubFunc.SelectByUser(IndexOf(f.lstSubFunc, u"独立"));
    f.cmdSet.Press();
    ASSERT_EQ(f.PromulgateListEN->Count(), 1);
    EXPECT_EQ(Field(f.PromulgateListCHT, 1, u"SubFunc"), core::ComposeKeyedEntry(u"独立", u"0"));
    EXPECT_EQ(Field(f.PromulgateListEN, 1, u"SubFunc"), core::ComposeKeyedEntry(u"独立", u"0"));
    EXPECT_EQ(Field(f.PromulgateListEN, 1, u"FuncDetail"),
              core::ComposeKeyedEntry(u"Account-Maintenance", u"Base|1001"));
}

TEST(frmWizard, AddWithoutATargetShowsWhichIsMissing) {
    {
        testing::TestAccount account(false, "CHS");  // an empty catalogue
        Wizard w = Loaded(Chosen({kAccount}));
        EXPECT_EQ(w->lstTopClass.ListCount(), 0);
        EXPECT_EQ(w->lstSubSystem.ListCount(), 0);
        w->cmdSet.Press();
        EXPECT_EQ(w.ui->Messages(), std::vector<MessageBoxRequest>{Warning(u"请选择好发布目标系统！")});
        EXPECT_EQ(w->PromulgateList->Count(), 0);
    }
    // A level without a selected entry names itself, whatever the levels above and below hold.
    testing::TestAccount account(true, "CHS");
    const std::pair<const char16_t*, const char16_t*> levels[] = {
        {u"lstTopClass", u"请选择好发布目标系统！"},
        {u"lstSubSystem", u"请选择好发布目标子系统！"},
        {u"lstSubFunc", u"请选择好发布目标子功能模块！"}};
    for (const auto& [list, message] : levels) {
        Wizard unplaced = Loaded(Chosen({kAccount}));
        static_cast<ListBox*>(unplaced->FindControl(list))->SetListIndex(-1);
        unplaced->cmdSet.Press();
        EXPECT_EQ(unplaced.ui->Messages(), std::vector<MessageBoxRequest>{Warning(message)})
            << automation::ToUtf8(message);
        for (const VectorRef& l : {unplaced->PromulgateList, unplaced->PromulgateListCHS,
                                   unplaced->PromulgateListCHT, unplaced->PromulgateListEN})
            EXPECT_EQ(l->Count(), 0) << automation::ToUtf8(message);
    }
}

// Without a string loader the language patterns cannot be looked up: a press with nothing selected does
// nothing, and one with a selection writes the line to all four lists, named as written where the
// loader would have translated it.
TEST(frmWizard, AddWithoutAStringLoaderKeepsTheFourListsInStep) {
    testing::TestAccount account(true, "CHS");
    automation::ScopedClassOverride noLoader(u"OrvaText.StringLoader", nullptr);
    for (bool anySelected : {false, true}) {
        Wizard w = Loaded(Chosen({kAccount}));
        if (!anySelected) w->lvwFuncDetail.SelectOnly({});
        w->cmdSet.Press();
        const int32_t lines = anySelected ? 1 : 0;
        for (const VectorRef& l :
             {w->PromulgateList, w->PromulgateListCHS, w->PromulgateListCHT, w->PromulgateListEN})
            EXPECT_EQ(l->Count(), lines) << anySelected;
        EXPECT_EQ(w->lvwResult.Count(), lines);
        EXPECT_TRUE(w.ui->Messages().empty());
        if (!anySelected) continue;
        EXPECT_EQ(Field(w->PromulgateListCHT, 1, u"No"), u"[會計科目-維護] 发布到: [財務會計.總帳.基礎資料]");
        EXPECT_EQ(Field(w->PromulgateListEN, 1, u"No"),
                  u"[Account-Maintenance] 发布到: [Financial Accounting.General Ledger.Base Data]");
    }
}

TEST(frmWizard, DeleteRemovesTheLinesFromAllFourListsAndSelectsANeighbour) {
    testing::TestAccount account(true, "CHS");
    struct Case {
        const char* what;
        std::vector<int32_t> selected;
        std::vector<int32_t> left;  // line numbers of the original four
        std::vector<int32_t> selectedAfter;
    };
    const Case cases[] = {
        {"the last", {4}, {1, 2, 3}, {3}},          {"one in the middle", {2}, {1, 3, 4}, {2}},
        {"two apart", {1, 3}, {2, 4}, {2}},         {"all", {1, 2, 3, 4}, {}, {}},
        {"nothing selected", {}, {1, 2, 3, 4}, {}},
    };
    for (const Case& c : cases) {
        Wizard w = Loaded(Chosen({kAccount, kMarginInquiry}));
        frmWizard& f = *w;
        f.cmdSet.Press();
        f.lstSubFunc.SelectByUser(1);
        f.cmdSet.Press();
        const std::vector<Text> before = Texts(f.lvwResult);
        std::vector<Text> enBefore;
        for (int32_t i = 1; i <= 4; ++i) enBefore.push_back(Field(f.PromulgateListEN, i, u"No"));
        f.lvwResult.SelectOnly(c.selected);
        f.cmdDel.Press();
        std::vector<Text> texts, en;
        for (int32_t line : c.left) {
            texts.push_back(before[static_cast<size_t>(line - 1)]);
            en.push_back(enBefore[static_cast<size_t>(line - 1)]);
        }
        EXPECT_EQ(Texts(f.lvwResult), texts) << c.what;
        EXPECT_EQ(f.lvwResult.SelectedIndexes(), c.selectedAfter) << c.what;
        // The line selected afterwards is in view; with nothing deleted the last added one stays so.
        EXPECT_EQ(f.lvwResult.ScrollTarget(),
                  c.selectedAfter.empty() ? (c.selected.empty() ? 4 : 0) : c.selectedAfter[0])
            << c.what;
        std::vector<Text> enAfter, current;
        for (int32_t i = 1; i <= f.PromulgateListEN->Count(); ++i)
            enAfter.push_back(Field(f.PromulgateListEN, i, u"No"));
        for (int32_t i = 1; i <= f.PromulgateList->Count(); ++i)
            current.push_back(Field(f.PromulgateList, i, u"No"));
        EXPECT_EQ(enAfter, en) << c.what;
        EXPECT_EQ(current, texts) << c.what;
        EXPECT_EQ(f.PromulgateListCHS->Count(), f.PromulgateListCHT->Count()) << c.what;
        // A deleted line can be added again.
        f.lvwResult.SelectOnly({});
        f.cmdSet.Press();
        EXPECT_EQ(f.PromulgateList->Count(),
                  static_cast<int32_t>(c.left.size()) +
                      (std::find(c.left.begin(), c.left.end(), 3) == c.left.end()) +
                      (std::find(c.left.begin(), c.left.end(), 4) == c.left.end()))
            << c.what;
    }
}

// A caller's earlier list may hold one line text several times. Each deleted line takes out the first
// entry still standing with its text, in all four lists: n selected lines of a text take its first n
// entries and leave the others, which keep the text from being added again.
TEST(frmWizard, DeletingLinesOfATextThatStandsSeveralTimesTakesItsFirstEntries) {
    testing::TestAccount account(true, "CHS");
    const Text a = u"[会计科目-维护] 发布到: [财务会计.总账.基础资料]";
    const Text b = u"[销售毛利查询-查询] 发布到: [财务会计.总账.基础资料]";
    const Text lines[] = {a, b, a, a, b};
    // The text of entry p of list k: the line, marked with p in the language lists so that the test
    // sees which entry goes.
    const auto no = [&](size_t k, int32_t p) {
        return lines[p - 1] + (k == 0 ? Text() : u"#" + automation::Int32ToText(p));
    };
    struct Case {
        const char* what;
        std::vector<int32_t> selected;
        std::vector<int32_t> left;  // positions of the five entries left, in order
        bool addsA, addsB;          // whether pressing cmdSet afterwards adds the line again
    };
    const Case cases[] = {
        {"the third A", {4}, {2, 3, 4, 5}, false, false}, {"two A", {3, 4}, {2, 4, 5}, false, false},
        {"every A", {1, 3, 4}, {2, 5}, true, false},      {"the second B", {5}, {1, 3, 4, 5}, false, false},
        {"one of each", {2, 3}, {3, 4, 5}, false, false}, {"both B", {2, 5}, {1, 3, 4}, false, true},
    };
    for (const Case& c : cases) {
        Wizard w;
        w->SelectClasses = Chosen({kAccount, kMarginInquiry});
        VectorRef* lists[] = {&w->PromulgateList, &w->PromulgateListCHS, &w->PromulgateListCHT,
                              &w->PromulgateListEN};
        for (size_t k = 0; k < 4; ++k) {
            *lists[k] = Vector::Create();
            for (int32_t p = 1; p <= 5; ++p) {
                auto entry = components::Dictionary::Create();
                entry->SetValue(u"No", no(k, p));
                (*lists[k])->Add(entry);
            }
        }
        w->Load();
        w->lvwResult.SelectOnly(c.selected);
        w->cmdDel.Press();
        for (size_t k = 0; k < 4; ++k) {
            std::vector<Text> expected, left;
            for (int32_t p : c.left) expected.push_back(no(k, p));
            for (int32_t i = 1; i <= (*lists[k])->Count(); ++i) left.push_back(Field(*lists[k], i, u"No"));
            EXPECT_EQ(left, expected) << c.what << " list " << k;
        }
        EXPECT_EQ(w->lvwResult.Count(), static_cast<int32_t>(c.left.size())) << c.what;
        w->lvwFuncDetail.SelectOnly({1, 2});
        w->cmdSet.Press();
        EXPECT_EQ(w->PromulgateListEN->Count(), static_cast<int32_t>(c.left.size()) + c.addsA + c.addsB)
            << c.what;
    }
}

TEST(frmWizard, ConfirmCancelAndThePacketSet) {
    testing::TestAccount account(true, "CHS");
    const auto add = [](DialogModel& d) { static_cast<frmWizard&>(d).cmdSet.Press(); };
    const auto ok = [](DialogModel& d) { static_cast<frmWizard&>(d).cmdOK.Press(); };
    const auto cancel = [](DialogModel& d) { static_cast<frmWizard&>(d).cmdCancel.Press(); };
    struct Case {
        const char* what;
        std::vector<ModalStep> steps;
        bool bOK;
        size_t messages;
        int32_t lines;
    };
    const Case cases[] = {
        {"confirm an empty list, then close", {ok}, false, 1, 0},
        {"confirm an empty list, add, confirm", {ok, add, ok}, true, 1, 2},
        {"add, cancel", {add, cancel}, false, 0, 2},
        {"add, close the window", {add}, false, 0, 2},
    };
    for (const Case& c : cases) {
        Wizard w;
        w->SelectClasses = Chosen({kAccount, kMarginInquiry});
        for (const ModalStep& step : c.steps) w.ui->Enqueue(frmWizard::kName, step);
        w->ShowModal();
        EXPECT_EQ(w->bOK, c.bOK) << c.what;
        EXPECT_EQ(w.ui->Messages(),
                  std::vector<MessageBoxRequest>(c.messages, Warning(u"请选择好发布对象及发布位置！")))
            << c.what;
        EXPECT_EQ(w->PromulgateListEN->Count(), c.lines) << c.what;  // the lines stay with the caller
        EXPECT_FALSE(w->IsShown()) << c.what;
    }

    // The packet set: exactly CHS, CHT, EN in order, one deployment entry per line, also when empty.
    Wizard empty;
    const auto none = empty->CreateDeployPacket();
    ASSERT_EQ(none->Count(), 3);
    Wizard w;
    w->SelectClasses = Chosen({kAccount, kMarginInquiry});
    w.ui->Enqueue(frmWizard::kName, add);
    w.ui->Enqueue(frmWizard::kName, ok);
    w->ShowModal();
    const auto set = w->CreateDeployPacket();
    ASSERT_EQ(set->Count(), 3);
    for (int32_t k = 1; k <= 3; ++k) {
        EXPECT_EQ(set->Key(k), Text(core::kPacketLanguages[k - 1]));
        EXPECT_EQ(components::AsVector(none->Value(set->Key(k)))->Count(), 0);
        EXPECT_EQ(components::AsVector(set->Value(set->Key(k)))->Count(), 2);
    }
    const auto en = AsDictionary(components::AsVector(set->Value(u"EN"))->Item(1));
    EXPECT_EQ(en->Value(core::fields::kClassParam).ToText(), u"Base|1001");
    EXPECT_EQ(en->Value(core::fields::kTopClassId).ToInt32(), 2);

    // A line whose top-class key is no number fails the whole set.
    AsDictionary(w->PromulgateListCHT->Item(1))->SetValue(u"TopClass", core::ComposeKeyedEntry(u"x", u"x"));
    EXPECT_EQ(testing::ErrorNumberOf([&] { w->CreateDeployPacket(); }), 13);
}

TEST(frmWizard, OpensOnAnEarlierResultAndSetsByName) {
    testing::TestAccount account(true, "CHS");
    Wizard first = Loaded(Chosen({kAccount, kMarginInquiry}));
    first->cmdSet.Press();

    Wizard again;
    automation::ObjectRef form = again.form;
    automation::SetProperty(form, u"SelectClasses", Chosen({kAccount}));
    automation::SetProperty(form, u"PromulgateListCHS", first->PromulgateListCHS);
    automation::SetProperty(form, u"PromulgateListCHT", first->PromulgateListCHT);
    automation::SetProperty(form, u"PromulgateListEN", first->PromulgateListEN);
    automation::SetProperty(form, u"PromulgateList", first->PromulgateListCHS->Copy());
    again.ui->Enqueue(frmWizard::kName, [](DialogModel& d) {
        auto& f = static_cast<frmWizard&>(d);
        EXPECT_EQ(f.lvwResult.Count(), 2);
        EXPECT_EQ(f.lvwResult.SelectedIndexes(), std::vector<int32_t>{1});
        f.cmdSet.Press();  // the same lines: nothing added
        f.cmdOK.Press();
    });
    automation::CallMethod(form, u"Show");
    EXPECT_TRUE(automation::GetProperty(form, u"bOK").ToBool());
    EXPECT_EQ(first->PromulgateListEN->Count(), 2);  // the caller's very vectors
    const auto set = AsDictionary(automation::CallMethod(form, u"CreateDeployPacket"));
    EXPECT_EQ(components::AsVector(set->Value(u"CHT"))->Count(), 2);
}

TEST(frmWizard, ThousandsOfChosenTypesLoadAndAddInLinearTime) {
    testing::TestAccount account(true, "CHS");
    std::vector<ChosenType> many;
    for (int32_t i = 0; i < 5000; ++i) {
        const Text n = u"类型" + automation::Int32ToText(i);
        many.push_back({300000000 + i, n, n, u"Type " + automation::Int32ToText(i), i % 2 ? 1 : 2});
    }
    const auto start = std::chrono::steady_clock::now();
    Wizard w = Loaded(Chosen(many));
    w->cmdSet.Press();
    w->cmdSet.Press();
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(w->lvwFuncDetail.Count(), 5000);
    EXPECT_EQ(w->lstSubFunc.ListCount(), 5 + 5000);
    EXPECT_EQ(w->PromulgateListCHT->Count(), 5000);
    EXPECT_EQ(w->lvwResult.Count(), 5000);
    EXPECT_LT(seconds, 20.0);  // quadratic scans take minutes here
}

}  // namespace
}  // namespace orva::dialogs
