#include "automation/Variant.h"

#include <gtest/gtest.h>

#include "support/ErrorNumber.h"

#include "automation/AutomationError.h"
#include "components/Dictionary.h"

namespace orva::automation {
namespace {

using orva::testing::ErrorNumberOf;

TEST(Variant, ConvertsWithAutomationRules) {
    EXPECT_EQ(Variant().ToText(), u"");
    EXPECT_EQ(Variant(true).ToText(), u"True");
    EXPECT_EQ(Variant(int16_t(-5)).ToText(), u"-5");
    EXPECT_EQ(Variant(1.5).ToText(), u"1.5");
    EXPECT_EQ(Variant(u"42").ToInt32(), 42);
    EXPECT_EQ(Variant(2.5).ToInt32(), 2);
    EXPECT_EQ(Variant(true).ToInt32(), -1);
    EXPECT_TRUE(Variant(u"true").ToBool());
    EXPECT_FALSE(Variant(u"0").ToBool());
    EXPECT_EQ(ErrorNumberOf([] { Variant(NullValue{}).ToText(); }), errors::kInvalidUseOfNull);
    EXPECT_EQ(ErrorNumberOf([] { Variant(u"x").ToInt32(); }), errors::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { Variant(int32_t(40000)).ToInt16(); }), errors::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { Variant(u"x").ToObject(); }), errors::kTypeMismatch);
}

TEST(Variant, EmptyCountsAsNothingWhereAnObjectIsExpected) {
    EXPECT_EQ(Variant().ToObject(), nullptr);
    EXPECT_TRUE(Variant(nullptr).IsObject());
    EXPECT_EQ(TypeNameOf(Variant(nullptr)), u"Nothing");
}

TEST(Variant, CopiesShareObjectsAndCompareThemByIdentity) {
    auto dictionary = components::Dictionary::Create();
    Variant a(dictionary);
    Variant b = a;
    components::AsDictionary(b)->SetValue(u"k", u"v");
    EXPECT_EQ(dictionary->Value(u"k"), Variant(u"v"));
    EXPECT_EQ(a, b);
    EXPECT_NE(a, Variant(components::Dictionary::Create()));
}

}  // namespace
}  // namespace orva::automation
