#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "support/ErrorNumber.h"

namespace orva::automation {
namespace {

class Counter : public Object {
public:
    int value = 0;
    Text TypeName() const override { return u"Counter"; }
    Variant Invoke(TextView name, CallKind, std::span<Variant> args) override {
        if (MemberIs(name, u"Bump")) {
            RequireArgCount(args, 1, 1);
            value += args[0].ToInt32();
            args[0] = Variant(value);  // written back, as a by-reference parameter
            return value;
        }
        RaiseNoSuchMember(*this, name);
    }
};

using orva::testing::ErrorNumberOf;

TEST(Object, LateBoundCallsMatchNamesWithoutCaseAndWriteBackArguments) {
    auto counter = std::make_shared<Counter>();
    std::vector<Variant> args{Variant(3)};
    EXPECT_EQ(CallByName(counter, u"bump", args).ToInt32(), 3);
    EXPECT_EQ(args[0].ToInt32(), 3);
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(counter, u"Missing"); }), errors::kNoSuchMember);
    EXPECT_EQ(ErrorNumberOf([&] { CallMethod(counter, u"Bump"); }), errors::kWrongArgumentCount);
    EXPECT_EQ(ErrorNumberOf([] { CallMethod(nullptr, u"Bump"); }), errors::kObjectNotSet);
}

TEST(ClassRegistry, UnknownProgIdRaises429AndOverridesAreRestored) {
    EXPECT_EQ(ErrorNumberOf([] { CreateObject(u"Nobody.Here"); }), errors::kCannotCreateObject);
    {
        ScopedClassOverride fake(u"Test.Counter", [] { return std::make_shared<Counter>(); });
        EXPECT_EQ(CreateObject(u"test.counter")->TypeName(), u"Counter");
        {
            ScopedClassOverride failing(u"Test.Counter", nullptr);
            EXPECT_EQ(ErrorNumberOf([] { CreateObject(u"Test.Counter"); }), errors::kCannotCreateObject);
        }
        EXPECT_NE(CreateObject(u"Test.Counter"), nullptr);
    }
    EXPECT_FALSE(ClassRegistry::Instance().IsRegistered(u"Test.Counter"));
}

TEST(PendingError, SkipModeRecordsTheFailureAndGoesOn) {
    ClearPending();
    bool ran = RunSkipping([] { Raise(errors::kObjectNotSet, u"no reader"); });
    EXPECT_FALSE(ran);
    EXPECT_EQ(PendingError().number, errors::kObjectNotSet);
    EXPECT_EQ(PendingError().description, u"no reader");
    EXPECT_TRUE(RunSkipping([] {}));
    ClearPending();
    EXPECT_EQ(PendingError(), ErrorRecord{});
}

}  // namespace
}  // namespace orva::automation
