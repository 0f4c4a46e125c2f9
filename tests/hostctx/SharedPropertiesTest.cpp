// Reading the host's shared properties and single values of its properties string.

#include <gtest/gtest.h>
#include <unistd.h>

#include "automation/PendingError.h"
#include "components/Dictionary.h"
#include "components/PropertyStore.h"
#include "hostctx/FakeComponents.h"
#include "hostctx/SharedProperties.h"

namespace orva::hostctx {
namespace {

using namespace automation;
using testing::InstalledFake;
using testing::ScriptedObject;

class SharedPropertiesTest : public ::testing::Test {
protected:
    void SetUp() override { Withdraw(); }
    void TearDown() override { Withdraw(); }
    static void Withdraw() {
        components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
    }
    static void SetProps(const Text& props) { components::PublishOwnProperty(u"PropsString", props); }
};

TEST_F(SharedPropertiesTest, ReadsTextsAndObjectsPublishedForThisProcess) {
    auto account = components::Dictionary::Create();
    components::PublishOwnProperty(u"Language", u"CHT");
    components::PublishOwnProperty(u"Account", account);
    components::SharedPropertyTable::Instance().Publish(static_cast<int32_t>(getpid()) + 1, u"PropsString",
                                                        u"Language=EN;");
    EXPECT_EQ(GetSharedProperty(u"language"), Variant(u"CHT"));
    EXPECT_EQ(GetSharedProperty(u"Account").ToObject(), account);
    EXPECT_TRUE(GetSharedProperty(u"Nothing here").IsEmpty());
    EXPECT_EQ(GetPropsString(), u"") << "another process's properties are not ours";
    components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()) + 1);
}

TEST_F(SharedPropertiesTest, AsksTheStoreTwicePerReadWithTheProcessIdAndTheName) {
    std::vector<std::pair<int32_t, Text>> calls;
    auto holder = components::Dictionary::Create();
    auto store = std::make_shared<ScriptedObject>([&](TextView name, CallKind, std::span<Variant> args) {
        EXPECT_TRUE(MemberIs(name, u"GetProperty"));
        calls.emplace_back(args[0].ToInt32(), args[1].ToText());
        return args[1].ToText() == u"Account" ? Variant(holder) : Variant(u"v");
    });
    InstalledFake<ScriptedObject> installed(u"OrvaShare.PropertyStore", store);

    EXPECT_EQ(GetSharedProperty(u"Language"), Variant(u"v"));
    EXPECT_EQ(GetSharedProperty(u"Account").ToObject(), holder);
    const auto pid = static_cast<int32_t>(getpid());
    EXPECT_EQ(calls, (std::vector<std::pair<int32_t, Text>>{
                         {pid, u"Language"}, {pid, u"Language"}, {pid, u"Account"}, {pid, u"Account"}}));
    EXPECT_EQ(installed.Creations(), 2) << "a new store for every read";
}

TEST_F(SharedPropertiesTest, PropsValueFindsNamesWithoutRegardToCaseAndUpperCasesValues) {
    SetProps(u"Language=chs;ConnectString=sqlite:/srv/a.db");
    EXPECT_EQ(GetPropsValue(u"Language"), u"CHS");
    EXPECT_EQ(GetPropsValue(u"connectstring"), u"SQLITE:/SRV/A.DB") << "the last entry needs no \";\"";
    EXPECT_EQ(GetPropsValue(u"UserName"), u"");
    EXPECT_EQ(GetPropsValue(u""), u"CHS") << "an empty name finds the first \"=\"";
}

TEST_F(SharedPropertiesTest, PropsValueTakesTheFirstOccurrenceOfTheNameFollowedByEquals) {
    SetProps(u"DefLanguage=en;Language=CHT;");
    EXPECT_EQ(GetPropsValue(u"Language"), u"EN");
    SetProps(u"Note=Language=cht;Language=EN;");
    EXPECT_EQ(GetPropsValue(u"Language"), u"CHT") << "an occurrence inside a value counts too";
}

TEST_F(SharedPropertiesTest, PropsValueKeepsEqualsSignsAndBlanksOfTheValue) {
    SetProps(u"Filter=a=b;Title=  Main Console ;");
    EXPECT_EQ(GetPropsValue(u"Filter"), u"A=B");
    EXPECT_EQ(GetPropsValue(u"Title"), u"  MAIN CONSOLE ");
    EXPECT_EQ(GetPropsValue(u"Title "), u"") << "names are not trimmed";
}

TEST_F(SharedPropertiesTest, WithoutAStorePropsValueIsEmptyAndTheOthersFail) {
    ScopedClassOverride noStore(u"OrvaShare.PropertyStore", nullptr);
    const ErrorRecord reported{91, u"Object variable not set", u"", u"", 0};
    PendingError() = reported;
    EXPECT_EQ(GetPropsValue(u"Language"), u"");
    EXPECT_EQ(GetPropsValue(u""), u"");
    EXPECT_EQ(PendingError(), reported) << "a function that never fails leaves the pending error alone";
    try {
        GetPropsString();
        FAIL() << "GetPropsString must pass the failure on";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kCannotCreateObject);
    }
    EXPECT_THROW(GetSharedProperty(u"Language"), AutomationError);
    ClearPending();
}

TEST_F(SharedPropertiesTest, APropsStringThatIsNotTextFailsGetPropsStringOnly) {
    components::PublishOwnProperty(u"PropsString", components::Dictionary::Create());
    EXPECT_THROW(GetPropsString(), AutomationError);
    EXPECT_EQ(GetPropsValue(u"Language"), u"");
}

}  // namespace
}  // namespace orva::hostctx
