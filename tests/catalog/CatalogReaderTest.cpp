#include <gtest/gtest.h>

#include <fstream>

#include "account/AccountSchema.h"
#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "support/AccountFixture.h"
#include "support/ErrorNumber.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::CallMethod;
using automation::GetProperty;
using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using testing::ScopedPropsString;
using testing::TestAccount;

std::string Props(const TestAccount& account, const std::string& language) {
    return "Language=" + language + ";ConnectString=" + account.ConnectString() + ";";
}

// One field of every record, read by name through late binding as the dialogs and the engine do.
std::vector<Variant> Column(const Variant& records, const char16_t* field) {
    ObjectRef recordset = records.ToObject();
    std::vector<Variant> values;
    while (!GetProperty(recordset, u"EOF").ToBool()) {
        values.push_back(GetProperty(recordset, u"Fields", {field}));
        CallMethod(recordset, u"MoveNext");
    }
    CallMethod(recordset, u"Close");
    return values;
}

using orva::testing::ErrorNumberOf;

TEST(CatalogReader, ListsChildrenInSiblingOrderHiddenOnesIncluded) {
    TestAccount account;
    ScopedPropsString props(Props(account, "CHS"));
    ObjectRef reader = automation::CreateObject(CatalogReader::kProgId);
    // Cash Management (205) has FIndex 3 and comes before Accounts Payable (203).
    EXPECT_EQ(Column(CallMethod(reader, u"GetSubSystem_All", {Variant(2)}), u"FSubSysID"),
              (std::vector<Variant>{201, 202, 205, 203, 204}));
    EXPECT_EQ(Column(CallMethod(reader, u"GetSubSystem_All", {Variant(5)}), u"FVisible"),
              (std::vector<Variant>{1, 1, 0}));
    EXPECT_EQ(Column(CallMethod(reader, u"GetSubFunc_All", {Variant(403)}), u"FFuncName"),
              (std::vector<Variant>{Text(u"生产任务单"), Text(u"车间作业(旧版)")}));
    EXPECT_TRUE(Column(CallMethod(reader, u"GetSubFunc_All", {Variant(999)}), u"FFuncName").empty());
}

TEST(CatalogReader, AnswersThePlainNameFieldsInTheHostLanguage) {
    TestAccount account;
    struct Case {
        const char* language;
        const char16_t* topClass;
        const char16_t* subSystem;
        const char16_t* subFunc;
    };
    for (const Case& c :
         {Case{"EN", u"Financial Accounting", u"General Ledger", u"Base Data"},
          Case{"cht", u"財務會計", u"總帳", u"基礎資料"}, Case{"FR", u"财务会计", u"总账", u"基础资料"}}) {
        ScopedPropsString props(Props(account, c.language));
        ObjectRef reader = automation::CreateObject(CatalogReader::kProgId);
        EXPECT_EQ(Column(CallMethod(reader, u"GetTopClass_All"), u"FTopClassName")[1], Variant(c.topClass))
            << c.language;
        EXPECT_EQ(Column(CallMethod(reader, u"GetSubSystem_All", {Variant(2)}), u"FName")[0],
                  Variant(c.subSystem));
        EXPECT_EQ(Column(CallMethod(reader, u"GetSubFunc_All", {Variant(201)}), u"FFuncName")[0],
                  Variant(c.subFunc));
        // The three language columns do not depend on the host's language.
        EXPECT_EQ(Column(CallMethod(reader, u"GetTopClass_All"), u"FTopClassName_CHT")[1],
                  Variant(u"財務會計"));
        EXPECT_EQ(Column(CallMethod(reader, u"GetSubSystem_All", {Variant(2)}), u"FName_EN")[0],
                  Variant(u"General Ledger"));
    }
}

TEST(CatalogReader, DetailRecordsCarryWhatTheEngineCompares) {
    TestAccount account;
    CatalogReader reader(account.Address(), CatalogLanguage::EN);
    std::shared_ptr<Recordset> details = reader.GetDetailFunc_All(1071);
    ASSERT_FALSE(details->IsEOF());
    EXPECT_EQ(details->Field(u"FDetailFuncID"), Variant(10181));
    EXPECT_EQ(details->Field(u"ffuncname"), Variant(u"Customers")) << "field names ignore letter case";
    EXPECT_EQ(details->Field(u"FFuncName_CHS"), Variant(u"客户"));
    EXPECT_EQ(details->Field(u"FClassParam"), Variant(u"Base|1003"));
    EXPECT_EQ(details->Field(u"FClassName"), Variant(u"OrvaHost.Application"));
    EXPECT_EQ(details->Field(u"FHelpCode"), Variant(u"SO-0001"));
    EXPECT_EQ(details->Field(u"FIndex"), Variant(1));
    EXPECT_EQ(ErrorNumberOf([&] { details->Field(u"FNoSuchField"); }), recordset_errors::kItemNotFound);
    details->MoveNext();
    details->MoveNext();
    EXPECT_TRUE(details->IsEOF());
    EXPECT_EQ(ErrorNumberOf([&] { details->Field(u"FFuncName"); }), recordset_errors::kNoCurrentRecord);
    EXPECT_EQ(ErrorNumberOf([&] { details->MoveNext(); }), recordset_errors::kNoCurrentRecord);
    details->Close();
    details->Close();
}

TEST(CatalogReader, NextIndexFollowsTheLargestSiblingIndex) {
    TestAccount account;
    CatalogReader reader(account.Address(), CatalogLanguage::CHS);
    EXPECT_EQ(reader.GetNextIndex(1, 0), 6);
    EXPECT_EQ(reader.GetNextIndex(2, 2), 6);  // the largest FIndex under 2 is 5, not the last id's
    EXPECT_EQ(reader.GetNextIndex(3, 201), 6);
    EXPECT_EQ(reader.GetNextIndex(4, 1011), 3);
    EXPECT_EQ(reader.GetNextIndex(3, 999), 1) << "the first child of a parent gets 1";

    auto data = Dictionary::Create();
    data->SetValue(u"FFuncName", u"Far away");
    CatalogWriter(account.Address()).CreateSubFunc(201, 40, *data);
    EXPECT_EQ(reader.GetNextIndex(3, 201), 41);

    EXPECT_EQ(ErrorNumberOf([&] { reader.GetNextIndex(5, 1); }), automation::errors::kInvalidCall);
    ObjectRef late = std::make_shared<CatalogReader>(account.Address(), CatalogLanguage::CHS);
    EXPECT_EQ(CallMethod(late, u"GetNextIndex", {Variant(int16_t{1}), Variant(int16_t{0})}), Variant(6));
}

TEST(CatalogReader, AMissingAccountIsAnErrorAndNoFileAppears) {
    orva::testing::TempDir dir;
    std::string missing = (dir / "missing.db").string();
    CatalogReader reader(AccountAddress{missing, false}, CatalogLanguage::CHS);
    Text description;
    EXPECT_EQ(ErrorNumberOf([&] { reader.GetTopClass_All(); }, &description),
              automation::errors::kFileNotFound);
    EXPECT_EQ(description, automation::FromUtf8(missing + ": no such account database"));
    EXPECT_EQ(ErrorNumberOf([&] { reader.GetNextIndex(1, 0); }), automation::errors::kFileNotFound);
    EXPECT_FALSE(std::filesystem::exists(missing));
}

TEST(CatalogReader, AFileThatIsNotAnAccountIsRefusedAndLeftAlone) {
    orva::testing::TempDir dir;
    std::string empty = (dir / "empty.db").string();
    std::ofstream{empty};
    CatalogReader reader(AccountAddress{empty, false}, CatalogLanguage::CHS);
    EXPECT_EQ(ErrorNumberOf([&] { reader.GetTopClass_All(); }), kNotAnAccount);
    EXPECT_EQ(std::filesystem::file_size(empty), 0u);
}

TEST(CatalogReader, AnOpenRecordsetDoesNotHideLaterCreates) {
    TestAccount account;
    CatalogReader reader(account.Address(), CatalogLanguage::CHS);
    std::shared_ptr<Recordset> held = reader.GetTopClass_All();  // left open on its first row
    auto data = Dictionary::Create();
    data->SetValue(u"FTopClassName", u"新系统");
    int32_t id = CatalogWriter(account.Address()).CreateTopClass(6, *data);
    std::vector<Variant> ids;
    for (auto records = reader.GetTopClass_All(); !records->IsEOF(); records->MoveNext()) {
        ids.push_back(records->Field(u"FTopClassID"));
    }
    EXPECT_EQ(ids.back(), Variant(id));
    EXPECT_EQ(held->Field(u"FTopClassID"), Variant(1));
}

TEST(CatalogReader, AKeyLookUpFindsWhatWalkingTheSiblingsFinds) {
    // The demo's subsystems of Supply Chain (3), plus one named with letters beyond ASCII.
    TestAccount account;
    CatalogWriter writer(account.Address());
    auto data = Dictionary::Create();
    data->SetValue(u"FSysName", u"Ärger ");
    data->SetValue(u"FSysName_EN", u"Äpfel-Übersicht");
    writer.CreateSubSys(3, 50, *data);
    struct Case {
        CatalogLanguage language;
        const char16_t* wanted;
    };
    const Case cases[] = {
        {CatalogLanguage::CHS, u"销售管理"}, {CatalogLanguage::CHS, u" 销售管理  "},
        {CatalogLanguage::EN, u"sales"},     {CatalogLanguage::EN, u"SALES "},
        {CatalogLanguage::EN, u"销售管理"},  {CatalogLanguage::CHT, u"銷售管理"},
        {CatalogLanguage::CHS, u"ärger"},    {CatalogLanguage::EN, u"äpfel-übersicht"},
        {CatalogLanguage::EN, u"ärger"},     {CatalogLanguage::CHS, u""},
        {CatalogLanguage::CHS, u"销售"},
    };
    for (const Case& c : cases) {
        CatalogReader reader(account.Address(), c.language);
        Text key = CatalogNameKey(c.wanted);
        std::optional<int32_t> walked;
        for (auto records = reader.GetSubSystem_All(3); !records->IsEOF(); records->MoveNext()) {
            if (CatalogNameKey(records->Field(u"FName").ToText()) == key) {
                walked = records->Field(u"FSubSysID").ToInt32();
                break;
            }
        }
        EXPECT_EQ(reader.FindChildByKey(2, 3, key), walked) << automation::ToUtf8(c.wanted);
    }
}

}  // namespace
}  // namespace orva::components
