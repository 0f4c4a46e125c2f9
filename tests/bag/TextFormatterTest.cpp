#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "bag/Dictionary.h"
#include "bag/TextFormatter.h"

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

TEST(TextFormatter, ValuesAreNotExpandedAgain) { EXPECT_EQ(Format(u"%1 / %2", {u"%2", u"b"}), u"%2 / b"); }

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

// Placeholder numbers name the longest run of digits that has a value: the ninth value, the tenth
// only when there are ten, otherwise the first followed by the digit.
TEST(TextFormatter, PlaceholdersFromTheNinthValueOn) {
    std::vector<Variant> ten;
    for (char16_t letter = u'a'; letter <= u'j'; ++letter) ten.emplace_back(Text(1, letter));
    std::vector<Variant> nine(ten.begin(), ten.begin() + 9);
    struct Case {
        const char16_t* pattern;
        const std::vector<Variant>* values;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"%9", &nine, u"i"},
        {u"%9", &ten, u"i"},
        {u"%10", &ten, u"j"},
        {u"%10", &nine, u"a0"},
        {u"[%1%10%9]", &nine, u"[aa0i]"},
        {u"[%1%10%9]", &ten, u"[aji]"},
        {u"%11", &ten, u"a1"},
        {u"%100", &ten, u"j0"},
        {u"%19", &ten, u"a9"},
        {u"%0", &ten, u"%0"},
        {u"%%9", &nine, u"%i"},
        {u"9%", &nine, u"9%"},
        {u"%99999999999", &ten, u"i9999999999"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.pattern));
        EXPECT_EQ(Format(c.pattern, *c.values), c.expected);
    }
    EXPECT_EQ(Format(u"%10", {}), u"%10");
    EXPECT_EQ(Format(u"%2", {Variant(u"only")}), u"%2");
    // By name, from an array with another lower bound and as separate values alike.
    auto formatter = TextFormatter::Create();
    EXPECT_EQ(CallMethod(formatter, u"Format", {u"%9|%10", Variant::Array(nine, 5)}), Variant(u"i|a0"));
    std::vector<Variant> args{Variant(u"%9|%10")};
    args.insert(args.end(), ten.begin(), ten.end());
    EXPECT_EQ(formatter->Invoke(u"FormatValues", CallKind::Method, args), Variant(u"i|j"));
}

}  // namespace
}  // namespace orva::components
