#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "api/clsDeploywizard.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "bag/PacketFile.h"
#include "bag/PropertyBagJson.h"
#include "catalog/CatalogReader.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::api {
namespace {

using namespace automation;
using namespace components;

// The shipped sample packet set: the same eight functions in CHS, CHT and EN.
DictionaryRef SamplePacketSet() {
    std::ifstream file(ORVA_SOURCE_DIR "/data/samples/packet-set.json");
    std::stringstream json;
    json << file.rdbuf();
    return AsDictionary(ParsePropertyBagJson(json.str(), u"packet-set.json"));
}

// Function details under one sub-function, as "name|param".
std::vector<Text> DetailsUnder(const std::string& account, CatalogLanguage language, const Text& topClass,
                               const Text& subSystem, const Text& subFunc) {
    CatalogReader reader(orva::testing::AccountAt(account), language);
    auto find = [](std::shared_ptr<Recordset> records, const char16_t* nameField, const char16_t* idField,
                   const Text& name) {
        for (; !records->IsEOF(); records->MoveNext()) {
            if (records->Field(nameField).ToText() == name) return records->Field(idField).ToInt32();
        }
        return 0;
    };
    int32_t top = find(reader.GetTopClass_All(), u"FTopClassName", u"FTopClassID", topClass);
    int32_t sub = find(reader.GetSubSystem_All(top), u"FName", u"FSubSysID", subSystem);
    int32_t func = find(reader.GetSubFunc_All(sub), u"FFuncName", u"FSubFuncID", subFunc);
    std::vector<Text> details;
    for (auto records = reader.GetDetailFunc_All(func); !records->IsEOF(); records->MoveNext()) {
        details.push_back(records->Field(u"FFuncName").ToText() + u"|" +
                          records->Field(u"FClassParam").ToText());
    }
    return details;
}

class DeployToLumoMain : public ::testing::Test {
protected:
    DeployToLumoMain() : m_account(true) {
        m_file = FromUtf8((m_account.Folder() / "DeployFunction.Dat").string());
        SamplePacketSet()->Save(m_file);
    }

    orva::testing::TestAccount m_account;
    Text m_file;
    clsDeploywizard m_wizard;
};

TEST_F(DeployToLumoMain, TheHostLanguageChoosesThePacket) {
    m_account.Publish("cht");  // values of the properties string are read upper-cased
    DictionaryRef info;
    VectorRef messages;
    ASSERT_TRUE(m_wizard.DeployToLumoMain(m_file, info, messages));
    ASSERT_NE(messages, nullptr);
    EXPECT_EQ(messages->Item(messages->Count()).ToText(), u"功能發佈完畢！");
    EXPECT_EQ(DetailsUnder(m_account.Path(), CatalogLanguage::CHT, u"品質管理", u"檢驗管理", u"檢驗標準"),
              std::vector<Text>{u"品檢方案-維護|Base|200000001"});
}

TEST_F(DeployToLumoMain, InformationReplacesIdentifiersAndRenames) {
    auto info = AsDictionary(ParsePropertyBagJson(
        R"({"200000001": "200000101", "ChangeName": {"200000003": {"CHS": "报价单", "EN": "Quotation"}}})",
        u"info"));
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(m_wizard.DeployToLumoMain(m_file, info, messages));
    EXPECT_EQ(DetailsUnder(m_account.Path(), CatalogLanguage::CHS, u"质量管理", u"检验管理", u"检验标准"),
              std::vector<Text>{u"质检方案-维护|Base|200000101"});
    std::vector<Text> documents =
        DetailsUnder(m_account.Path(), CatalogLanguage::CHS, u"供应链", u"销售管理", u"业务单据");
    EXPECT_NE(std::find(documents.begin(), documents.end(), u"报价单-新增|Bill|200000003"), documents.end());
    EXPECT_NE(std::find(documents.begin(), documents.end(), u"报价单-序时簿|List|200000003"),
              documents.end());
}

TEST_F(DeployToLumoMain, ASecondDeploymentRefusesEveryFunction) {
    DictionaryRef info;
    VectorRef first, second;
    ASSERT_TRUE(m_wizard.DeployToLumoMain(m_file, info, first));
    ASSERT_TRUE(m_wizard.DeployToLumoMain(m_file, info, second));
    ASSERT_EQ(second->Count(), 9);  // eight refusals and the end line
    for (int32_t i = 1; i <= 8; ++i) {
        EXPECT_TRUE(second->Item(i).ToText().ends_with(u"失败，原因在于该功能已在主控台中存在！"));
    }
}

TEST_F(DeployToLumoMain, FailuresBeforeTheEngineAreOneLineAndFalse) {
    DictionaryRef info;
    VectorRef messages = Vector::Create();
    EXPECT_FALSE(m_wizard.DeployToLumoMain(u"/no/such/DeployFunction.Dat", info, messages));
    ASSERT_EQ(messages->Count(), 1);
    Text line = messages->Item(1).ToText();
    EXPECT_TRUE(line.starts_with(u"功能发布失败(")) << ToUtf8(line);
    EXPECT_NE(line.find(u"/no/such/DeployFunction.Dat"), Text::npos);

    // A language without a packet, and a class parameter without "|" when there is information.
    m_account.Publish("DE");
    messages->Clear();
    EXPECT_FALSE(m_wizard.DeployToLumoMain(m_file, info, messages));
    EXPECT_NE(messages->Item(1).ToText().find(u"\"DE\""), Text::npos);

    m_account.Publish("CHS");
    auto packetSet = SamplePacketSet();
    AsDictionary(AsVector(packetSet->Value(u"CHS"))->Item(2))->SetValue(u"FClassParam", u"broken");
    packetSet->Save(m_file);
    info = Dictionary::Create();
    messages->Clear();
    PendingError().number = 5;  // left over from an earlier failure
    EXPECT_FALSE(m_wizard.DeployToLumoMain(m_file, info, messages));
    ASSERT_EQ(messages->Count(), 1);
    EXPECT_TRUE(messages->Item(1).ToText().starts_with(u"功能发布失败("));
    EXPECT_EQ(PendingError().number, 0) << "the failure was handled: nothing stays pending";
}

TEST_F(DeployToLumoMain, NodesItCreatesAreNamedInEveryLanguageSoAnotherLanguageFindsThem) {
    struct Case {
        const char* what;
        const char* info;           // deployment information, or "" for none
        bool parallel;              // false: the CHT packet's second entry launches another object
        const char16_t* chsDetail;  // the CHS name of the second function afterwards
        const char16_t* enDetail;   // and its English name
    };
    const Case cases[] = {
        {"as packed", "", true, u"供应商评估单-新增", u"Supplier Evaluation-New"},
        {"renamed in each language",
         R"({"200000002": "200000102", "ChangeName": {"200000002": {"CHS": "评估单", "CHT": "評估單", "EN": "Rating"}}})",
         true, u"评估单-新增", u"Rating-New"},
        {"packets not parallel: the one name", "", false, u"", u"Supplier Evaluation-New"},
    };
    for (const Case& c : cases) {
        orva::testing::TestAccount account(true, "EN");
        Text file = FromUtf8((account.Folder() / "DeployFunction.Dat").string());
        auto packetSet = SamplePacketSet();
        if (!c.parallel)
            AsDictionary(AsVector(packetSet->Value(u"CHT"))->Item(2))->SetValue(u"FClassParam", u"Bill|9");
        packetSet->Save(file);
        auto Info = [&] {
            return *c.info ? AsDictionary(ParsePropertyBagJson(c.info, u"info")) : DictionaryRef();
        };

        DictionaryRef info = Info();
        VectorRef english;
        ASSERT_TRUE(m_wizard.DeployToLumoMain(file, info, english)) << c.what;
        EXPECT_EQ(english->Item(2), Variant(u"Created sub-function Supplier Management.")) << c.what;

        auto chs = DetailsUnder(account.Path(), CatalogLanguage::CHS, u"供应链", u"采购管理", u"供应商管理");
        auto en = DetailsUnder(account.Path(), CatalogLanguage::EN, u"Supply Chain", u"Purchasing",
                               u"Supplier Management");
        if (c.parallel) {
            ASSERT_EQ(chs.size(), 2u) << c.what;
            EXPECT_TRUE(chs[0].starts_with(Text(c.chsDetail) + u"|")) << c.what << ": " << ToUtf8(chs[0]);
        }
        ASSERT_EQ(en.size(), 2u) << c.what;
        EXPECT_TRUE(en[0].starts_with(Text(c.enDetail) + u"|")) << c.what << ": " << ToUtf8(en[0]);
        if (!c.parallel) {
            // The sub-function was created by the entry whose packets differ: one name everywhere.
            EXPECT_EQ(DetailsUnder(account.Path(), CatalogLanguage::CHS, u"供应链", u"采购管理",
                                   u"Supplier Management")
                          .front(),
                      en.front())
                << c.what;
            continue;
        }

        account.Publish("CHS");
        info = Info();
        VectorRef chinese;
        ASSERT_TRUE(m_wizard.DeployToLumoMain(file, info, chinese)) << c.what;
        int refusals = 0;
        for (const Variant& line : *chinese)
            refusals += line.ToText().ends_with(u"失败，原因在于该功能已在主控台中存在！");
        EXPECT_EQ(refusals, 8) << c.what << ": the Chinese packet finds every node and function";
        EXPECT_EQ(chinese->Count(), 9) << c.what << ": and creates nothing";
        EXPECT_EQ(DetailsUnder(account.Path(), CatalogLanguage::CHS, u"供应链", u"采购管理", u"供应商管理"),
                  chs)
            << c.what;
    }
}

TEST_F(DeployToLumoMain, ByNameCallsHandTheMessageListBack) {
    ObjectRef wizard = CreateObject(u"OrvaClassDeploy.clsDeploywizard");
    std::vector<Variant> args{Variant(m_file), Variant(), Variant()};
    EXPECT_TRUE(CallByName(wizard, u"DeployToLumoMain", args).ToBool());
    VectorRef messages = AsVector(args[2]);
    EXPECT_EQ(messages->Item(messages->Count()).ToText(), u"功能发布完毕！");
}

}  // namespace
}  // namespace orva::api
