// The shared-properties store: what a host publishes, per process, read back by name.

#include <gtest/gtest.h>
#include <unistd.h>

#include <thread>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "bag/Dictionary.h"
#include "services/PropertyStore.h"

namespace orva::components {
namespace {

using namespace automation;

constexpr int32_t kOtherProcess = -4242;  // no real process has it

class PropertyStoreTest : public ::testing::Test {
protected:
    void TearDown() override { SharedPropertyTable::Instance().Withdraw(kOtherProcess); }
};

TEST_F(PropertyStoreTest, ReadsWhatWasPublishedPerProcessWithoutRegardToCase) {
    SharedPropertyTable& table = SharedPropertyTable::Instance();
    auto account = Dictionary::Create();
    table.Publish(kOtherProcess, u"Language", u"CHT");
    table.Publish(kOtherProcess, u"Account", account);
    table.Publish(kOtherProcess, u"LANGUAGE", u"EN");  // replaces

    PropertyStore store;
    EXPECT_EQ(store.GetProperty(kOtherProcess, u"language"), Variant(u"EN"));
    EXPECT_EQ(store.GetProperty(kOtherProcess, u"Account").ToObject(), account)
        << "the same object, not a copy";
    EXPECT_TRUE(store.GetProperty(kOtherProcess, u"PropsString").IsEmpty());
    EXPECT_TRUE(store.GetProperty(kOtherProcess + 1, u"Language").IsEmpty());

    table.Withdraw(kOtherProcess);
    EXPECT_TRUE(store.GetProperty(kOtherProcess, u"Language").IsEmpty());
}

TEST_F(PropertyStoreTest, StoresAreHandlesOnOneTableAndWorkByName) {
    SharedPropertyTable::Instance().Publish(kOtherProcess, u"PropsString", u"Language=EN;");
    ObjectRef first = CreateObject(u"OrvaShare.PropertyStore");
    ObjectRef second = CreateObject(u"OrvaShare.PropertyStore");
    std::vector<Variant> args{Variant(kOtherProcess), Variant(u"PropsString")};
    EXPECT_EQ(CallByName(first, u"GetProperty", args), Variant(u"Language=EN;"));
    EXPECT_EQ(CallByName(second, u"getproperty", args), Variant(u"Language=EN;"));
    EXPECT_EQ(args[1], Variant(u"PropsString"));

    std::vector<Variant> textPid{Variant(u"-4242"), Variant(u"PropsString")};
    EXPECT_EQ(CallByName(first, u"GetProperty", textPid), Variant(u"Language=EN;"))
        << "the ID converts from text";
    try {
        CallMethod(first, u"GetProperty", {Variant(kOtherProcess)});
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kWrongArgumentCount);
    }
    EXPECT_THROW(CallMethod(first, u"SetProperty", {Variant(kOtherProcess), Variant(u"x")}), AutomationError);
}

TEST_F(PropertyStoreTest, PublishOwnPropertyUsesThisProcessAndIsSeenFromOtherThreads) {
    const auto self = static_cast<int32_t>(getpid());
    PublishOwnProperty(u"Language", u"CHS");
    Variant seen;
    std::thread reader([&] { seen = PropertyStore().GetProperty(self, u"Language"); });
    reader.join();
    EXPECT_EQ(seen, Variant(u"CHS"));
    SharedPropertyTable::Instance().Withdraw(self);
}

}  // namespace
}  // namespace orva::components
