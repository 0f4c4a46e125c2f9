// Reading the host's shared properties and single values of its properties string.

#include <gtest/gtest.h>
#include <unistd.h>

#include "automation/PendingError.h"
#include "bag/Dictionary.h"
#include "hostctx/FakeComponents.h"
#include "hostctx/SharedProperties.h"
#include "services/PropertyStore.h"

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

// Entry names are matched whole: a name inside a longer name or inside a value once made the library
// deploy one language while the catalogue reader listed another.
TEST_F(SharedPropertiesTest, PropsValueReadsTheFirstWholeEntryUpperCasedAndUntrimmed) {
    struct Case {
        const char16_t* props;
        const char16_t* name;
        const char16_t* value;
    };
    const Case cases[] = {
        {u"Language=chs;ConnectString=sqlite:/srv/a.db", u"Language", u"CHS"},
        {u"Language=chs;ConnectString=sqlite:/srv/a.db", u"connectstring",
         u"SQLITE:/SRV/A.DB"},  // no final ";"
        {u"Language=chs;ConnectString=sqlite:/srv/a.db", u"UserName", u""},
        {u"Language=chs;", u"", u""},  // an empty name is no entry's name
        {u"DefLanguage=EN;Language=CHT", u"Language", u"CHT"},
        {u"DefLanguage=en;Language=CHT;", u"Language", u"CHT"},
        {u"DefLanguage=en;", u"Language", u""},
        {u"Note=Language=cht;Language=EN;", u"Language", u"EN"},
        {u"LANGUAGE=cht;Language=EN;", u"language", u"CHT"},  // the first entry of the name wins
        {u"Language= EN ;", u"Language", u" EN "},
        {u" Language =en;", u"Language", u"EN"},  // blanks around a name, as the account reader reads it
        {u"Filter=a=b;Title=  Main Console ;", u"Filter", u"A=B"},
        {u"Filter=a=b;Title=  Main Console ;", u"Title", u"  MAIN CONSOLE "},
        {u"Language=;", u"Language", u""},
        {u";;Language=cht;;", u"Language", u"CHT"},
        {u"", u"Language", u""},
    };
    for (const Case& c : cases) {
        SetProps(c.props);
        EXPECT_EQ(GetPropsValue(c.name), c.value) << ToUtf8(c.props) << " / " << ToUtf8(c.name);
    }
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
