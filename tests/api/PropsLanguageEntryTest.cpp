// DeployToLumoMain takes the packet of the properties string's own "Language" entry, matched whole:
// "DefLanguage=EN" once chose the English packet while the catalogue reader read Traditional Chinese,
// and a whole duplicate branch was created.

#include <gtest/gtest.h>

#include <filesystem>

#include "api/clsDeploywizard.h"
#include "automation/TextHelpers.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "support/TestAccount.h"

namespace orva::api {
namespace {

using namespace automation;
using namespace components;

TEST(PropsLanguageEntry, ChoosesThePacketByTheWholeEntryAndNamesAMalformedValue) {
    struct Case {
        std::string props;  // ConnectString is added
        bool ok;
        Text expected;  // a text of the deployed packet's lines, or of the failure line
    };
    const Case cases[] = {
        {"DefLanguage=EN;Language=CHT;", true, u"[品檢方案-維護] 發佈到: [品質管理.檢驗管理.檢驗標準]"},
        {"Note=Language=EN;language=cht;", true, u"[品檢方案-維護] 發佈到: [品質管理.檢驗管理.檢驗標準]"},
        {"DefLanguage=CHT;Language=en;", true, u"[Inspection Plan-Maintenance] publish to:"},
        // Blanks inside the value are kept: no packet is called " EN ", and the line says so exactly.
        {"Language= EN ;", false, u"holds no packet for the language \" EN \""},
        // No language at all is a missing login, named as such.
        {"", false, u"(no login: publish Language and PropsString first)"},
        {"Language=;", false, u"(no login: publish Language and PropsString first)"},
    };
    for (const Case& c : cases) {
        orva::testing::TestAccount account(true);
        const Text file = FromUtf8((account.Folder() / "DeployFunction.Dat").string());
        std::filesystem::copy_file(ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat", ToUtf8(file));
        PublishOwnProperty(u"PropsString", FromUtf8(c.props + "ConnectString=" + account.Path() + ";"));
        hostctx::ResetModuleState();

        DictionaryRef info;
        VectorRef messages = Vector::Create();
        clsDeploywizard wizard;
        EXPECT_EQ(wizard.DeployToLumoMain(file, info, messages), c.ok) << c.props;
        bool found = false;
        for (int32_t i = 1; i <= messages->Count(); ++i)
            found |= messages->Item(i).ToText().find(c.expected) != Text::npos;
        EXPECT_TRUE(found) << c.props << ": " << ToUtf8(messages->Item(1).ToText());
    }
}

}  // namespace
}  // namespace orva::api
