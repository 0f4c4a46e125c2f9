// The bill-action catalogue and the template service, called by name in the order both dialogs call
// them, on the demo account.

#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "bag/Dictionary.h"
#include "catalog/BillActionCatalog.h"
#include "catalog/TemplateService.h"
#include "support/AccountFixture.h"
#include "support/ErrorNumber.h"

namespace orva::components {
namespace {

using automation::CallMethod;
using automation::CreateObject;
using automation::GetProperty;
using automation::LetProperty;
using automation::ObjectRef;
using automation::SetProperty;
using automation::Text;
using automation::Variant;
using orva::testing::ErrorNumberOf;
using testing::ScopedPropsString;
using testing::TestAccount;

std::string Props(const TestAccount& account, const std::string& language, const std::string& suffix = "") {
    return "Language=" + language + ";ConnectString=" + account.ConnectString() + suffix + ";";
}

struct DialogAnswer {
    ObjectRef catalog;
    DictionaryRef actions;
    bool newBillCalled = false;
};

// One bill type as the dialogs ask for it: ClassTypeID on both components, the template handed over
// by reference, Initialize, GetBillActions, NewBill when that was empty, GetBillActions again.
DialogAnswer AskAsTheDialogsDo(const Variant& classTypeId, ObjectRef catalog = nullptr) {
    DialogAnswer answer;
    answer.catalog = catalog ? catalog : CreateObject(u"OrvaBills.ActionCatalog");
    LetProperty(answer.catalog, u"ClassTypeID", classTypeId);
    ObjectRef service = CreateObject(u"OrvaTemplates.TemplateService");
    LetProperty(service, u"ClassTypeID", classTypeId);
    SetProperty(answer.catalog, u"ClassType", GetProperty(service, u"ClassType").ToObject());
    CallMethod(answer.catalog, u"Initialize");
    if (GetProperty(CallMethod(answer.catalog, u"GetBillActions").ToObject(), u"Count").ToInt32() == 0) {
        CallMethod(answer.catalog, u"NewBill");
        answer.newBillCalled = true;
    }
    answer.actions = AsDictionary(CallMethod(answer.catalog, u"GetBillActions"));
    return answer;
}

// "key:FEnvironment:FName" of every action by position, each value read by calling the action with a
// field name (the publish dialog) and checked against "FName_" + language (the wizard).
std::vector<std::string> Describe(const DictionaryRef& actions, const char16_t* language) {
    std::vector<std::string> described;
    for (int32_t i = 1; i <= actions->Count(); ++i) {
        ObjectRef action = actions->Value(actions->Key(i)).ToObject();
        std::vector<Variant> field{Variant(u"FName")};
        Text name = automation::CallByName(action, u"", field).ToText();
        EXPECT_EQ(name, GetProperty(action, Text(u"FName_") + language).ToText());
        EXPECT_EQ(name, CallMethod(action, u"Item", {Text(u"FName_") + language}).ToText());
        described.push_back(automation::ToUtf8(actions->Key(i)) + ":" +
                            std::to_string(GetProperty(action, u"FEnvironment").ToInt32()) + ":" +
                            automation::ToUtf8(name));
    }
    return described;
}

TEST(BillActionCatalog, AnswersTheStoredActionsInOrderInTheHostsLanguage) {
    TestAccount account;
    struct Case {
        Variant classTypeId;  // a Long FID (wizard) or a tree node's text tag (publish dialog)
        const char* language;
        const char16_t* code;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {81,
         "EN",
         u"EN",
         {"mnuFileNew:1:New", "mnuViewList:64:List", "mnuEditCheck:65:Approve", "mnuFilePrint:33:Print",
          "mnuViewTrace:0:Related Documents"}},
        {u"81",
         "cht",
         u"CHT",
         {"mnuFileNew:1:新增", "mnuViewList:64:序時簿", "mnuEditCheck:65:審核", "mnuFilePrint:33:列印",
          "mnuViewTrace:0:關聯查詢"}},
        {u"200000008",
         "CHS",
         u"CHS",
         {"mnuFileNew:0:新增", "mnuViewList:960:序时簿", "mnuEditCheck:39:审核"}},
    };
    for (const Case& c : cases) {
        ScopedPropsString props(Props(account, c.language));
        DialogAnswer answer = AskAsTheDialogsDo(c.classTypeId);
        EXPECT_FALSE(answer.newBillCalled);
        EXPECT_EQ(Describe(answer.actions, c.code), c.expected) << c.language;
    }
}

TEST(BillActionCatalog, NewBillGivesABillWithoutActionsTheStandardOnesWithoutWritingTheAccount) {
    TestAccount account;
    // The demo's bill type without stored actions.
    ASSERT_EQ(account.Count("SELECT count(*) FROM t_ClassType WHERE FID = 200000005 AND FBillTypeID = 4"), 1);
    ASSERT_EQ(account.Count("SELECT count(*) FROM t_BillAction WHERE FClassTypeID = 200000005"), 0);
    int64_t storedActions = account.Count("SELECT count(*) FROM t_BillAction");
    {
        // Read only: NewBill must not need to write.
        ScopedPropsString props(Props(account, "CHT", "?mode=ro"));
        DialogAnswer answer = AskAsTheDialogsDo(200000005);
        EXPECT_TRUE(answer.newBillCalled);
        EXPECT_EQ(Describe(answer.actions, u"CHT"),
                  (std::vector<std::string>{"mnuFileNew:1:新增", "mnuViewList:64:序時簿"}));
        // The same component, reused for the next type as the wizard does, starts over from the account.
        DialogAnswer next = AskAsTheDialogsDo(82, answer.catalog);
        EXPECT_FALSE(next.newBillCalled);
        EXPECT_EQ(next.actions->Count(), 3);
        CallMethod(answer.catalog, u"NewBill");  // a bill with actions keeps its own
        EXPECT_EQ(AsDictionary(CallMethod(answer.catalog, u"GetBillActions"))->Count(), 3);
        LetProperty(answer.catalog, u"ClassTypeID", 200000005);
        SetProperty(answer.catalog, u"ClassType", nullptr);
        CallMethod(answer.catalog, u"Initialize");
        EXPECT_EQ(AsDictionary(CallMethod(answer.catalog, u"GetBillActions"))->Count(), 0);
    }
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_BillAction"), storedActions);

    // Base data and query objects have no bill form: NewBill leaves them without actions.
    ScopedPropsString props(Props(account, "EN"));
    for (int32_t notABill : {1003, 200000006}) {
        DialogAnswer answer = AskAsTheDialogsDo(notABill);
        EXPECT_TRUE(answer.newBillCalled);
        EXPECT_EQ(answer.actions->Count(), 0) << notABill;
    }
}

TEST(BillActionCatalog, FollowsTheHostLanguageAtEachAnswerAndReturnsFreshDictionaries) {
    TestAccount account;
    ScopedPropsString english(Props(account, "EN"));
    DialogAnswer answer = AskAsTheDialogsDo(83);
    EXPECT_EQ(Describe(answer.actions, u"EN")[2], "mnuFilePrint:4:Print");
    answer.actions->Remove(u"mnuFileNew");  // a caller's change stays in its own dictionary
    ScopedPropsString chinese(Props(account, "CHS"));
    DictionaryRef again = AsDictionary(CallMethod(answer.catalog, u"GetBillActions"));
    EXPECT_EQ(
        Describe(again, u"CHS"),
        (std::vector<std::string>{"mnuFileNew:2:新增", "mnuViewList:512:序时簿", "mnuFilePrint:4:打印"}));
}

TEST(TemplateService, ClassTypeIsTheAccountsRecordOfTheType) {
    TestAccount account;
    ScopedPropsString props(Props(account, "EN"));
    ObjectRef service = CreateObject(u"OrvaTemplates.TemplateService");
    LetProperty(service, u"ClassTypeID", u"200000003");
    EXPECT_EQ(GetProperty(service, u"ClassTypeID").ToInt32(), 200000003);
    ObjectRef type = GetProperty(service, u"ClassType").ToObject();
    EXPECT_EQ(type->TypeName(), u"ClassType");
    EXPECT_EQ(GetProperty(type, u"FID").ToInt32(), 200000003);
    EXPECT_EQ(GetProperty(type, u"FName").ToText(), u"Sales Quotation");
    EXPECT_EQ(GetProperty(type, u"FMName").ToText(), u"销售报价单|銷售報價單|Sales Quotation");
    EXPECT_EQ(GetProperty(type, u"FBillTypeID").ToInt32(), 4);
    EXPECT_EQ(CallMethod(type, u"", {u"ffunctionid"}).ToInt32(), 12);
}

TEST(BillActionCatalog, RefusesMisuseWithClearErrors) {
    TestAccount account;
    ScopedPropsString props(Props(account, "EN"));
    auto catalog = [] { return CreateObject(u"OrvaBills.ActionCatalog"); };
    auto templateOf = [](int32_t id) {
        ObjectRef service = CreateObject(u"OrvaTemplates.TemplateService");
        LetProperty(service, u"ClassTypeID", id);
        return GetProperty(service, u"ClassType").ToObject();
    };
    struct Case {
        const char* what;
        std::function<void()> action;
        int32_t number;
        const char16_t* inDescription;
    };
    const Case cases[] = {
        {"actions before Initialize", [&] { CallMethod(catalog(), u"GetBillActions"); }, 5, u"Initialize"},
        {"NewBill before Initialize", [&] { CallMethod(catalog(), u"NewBill"); }, 5, u"Initialize"},
        {"Initialize without a type", [&] { CallMethod(catalog(), u"Initialize"); }, 5,
         u"ClassTypeID is not set"},
        {"template without a type",
         [&] { GetProperty(CreateObject(u"OrvaTemplates.TemplateService"), u"ClassType"); }, 5,
         u"ClassTypeID is not set"},
        {"unknown type in the template", [&] { templateOf(999); }, 5, u"no class type 999"},
        {"unknown type in the catalogue",
         [&] {
             ObjectRef c = catalog();
             LetProperty(c, u"ClassTypeID", 999);
             CallMethod(c, u"Initialize");
         },
         5, u"no class type 999"},
        {"template of another type",
         [&] {
             ObjectRef c = catalog();
             LetProperty(c, u"ClassTypeID", 82);
             SetProperty(c, u"ClassType", templateOf(81));
             CallMethod(c, u"Initialize");
         },
         5, u"template of class type 81, not of ClassTypeID 82"},
        {"type changed after Initialize",
         [&] {
             ObjectRef c = catalog();
             LetProperty(c, u"ClassTypeID", 81);
             CallMethod(c, u"Initialize");
             LetProperty(c, u"ClassTypeID", 82);
             CallMethod(c, u"GetBillActions");
         },
         5, u"Initialize"},
        {"a dictionary as template", [&] { SetProperty(catalog(), u"ClassType", Dictionary::Create()); }, 13,
         u"ClassType"},
        {"a text type id", [&] { LetProperty(catalog(), u"ClassTypeID", u"Bill|81"); }, 13, u""},
        {"a type id beyond 32 bits", [&] { LetProperty(catalog(), u"ClassTypeID", u"2147483648"); }, 6, u""},
        {"an action field that does not exist",
         [&] {
             DialogAnswer answer = AskAsTheDialogsDo(81);
             CallMethod(answer.actions->Value(u"mnuFileNew").ToObject(), u"", {u"FName_FR"});
         },
         5, u"BillAction \"mnuFileNew\" has no field \"FName_FR\""},
        {"an unknown member", [&] { CallMethod(catalog(), u"GetActions"); }, 438, u"GetActions"},
    };
    for (const Case& c : cases) {
        Text description;
        EXPECT_EQ(ErrorNumberOf(c.action, &description), c.number) << c.what;
        EXPECT_NE(description.find(c.inDescription), Text::npos)
            << c.what << ": " << automation::ToUtf8(description);
    }
    // Without a host account the components say so instead of reading some other file.
    ScopedPropsString none("Language=EN;");
    ObjectRef c = catalog();
    LetProperty(c, u"ClassTypeID", 81);
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(c, u"Initialize"); }), 5);
}

}  // namespace
}  // namespace orva::components
