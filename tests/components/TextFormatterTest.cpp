#include "components/TextFormatter.h"

#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "components/Dictionary.h"

namespace orva::components {
namespace {

using namespace automation;

Text Format(TextView pattern, std::vector<Variant> values) { return TextFormatter().Format(pattern, values); }

TEST(TextFormatter, ElementZeroFillsPlaceholderOne) {
    EXPECT_EQ(Format(u"%1-%2", {u"基础资料", u"维护"}), u"基础资料-维护");
    EXPECT_EQ(Format(u"[%1] 发布到: [%2.%3.%4]", {u"科目-维护", u"财务", u"总账", u"基础资料"}),
              u"[科目-维护] 发布到: [财务.总账.基础资料]");
    EXPECT_EQ(Format(u"%2%1%2", {u"a", u"b"}), u"bab");
}

TEST(TextFormatter, PlaceholdersWithoutAValueStayVisible) {
    EXPECT_EQ(Format(u"%1 and %3", {u"one", u"two"}), u"one and %3");
    EXPECT_EQ(Format(u"%0 100% %", {u"x"}), u"%0 100% %");
}

TEST(TextFormatter, TwoDigitPlaceholdersNeedThatManyValues) {
    std::vector<Variant> ten;
    for (int i = 1; i <= 10; ++i) ten.emplace_back(Text(1, char16_t(u'a' + i - 1)));
    EXPECT_EQ(Format(u"%10|%1", ten), u"j|a");
    std::vector<Variant> nine(ten.begin(), ten.begin() + 9);
    EXPECT_EQ(Format(u"%10", nine), u"a0");
}

TEST(TextFormatter, ValuesAreNotExpandedAgain) {
    EXPECT_EQ(Format(u"%1 / %2", {u"%2", u"b"}), u"%2 / b");
}

TEST(TextFormatter, ArrayFormByNameAndRefusalOfObjects) {
    auto formatter = TextFormatter::Create();
    Variant values = Variant::Array({Variant(u"A"), Variant(int32_t(7))}, 1);
    EXPECT_EQ(CallMethod(formatter, u"Format", {u"%1=%2", values}), Variant(u"A=7"));
    EXPECT_EQ(CallMethod(formatter, u"FormatValues", {u"%2%1", u"x", u"y"}), Variant(u"yx"));
    try {
        Format(u"%1", {Variant(Dictionary::Create())});
        FAIL() << "an object cannot be formatted as text";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kTypeMismatch);
    }
}

}  // namespace
}  // namespace orva::components
