#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "support/ErrorNumber.h"

namespace orva::automation {
namespace {

using orva::testing::ErrorNumberOf;

TEST(TextHelpers, TrimRemovesOnlyTheSpaceCharacter) {
    EXPECT_EQ(Trim(u"  a b  "), u"a b");
    EXPECT_EQ(Trim(u"\ta\t"), u"\ta\t");
    EXPECT_EQ(Trim(u"\u3000名\u00A0"), u"\u3000名\u00A0");
    EXPECT_EQ(Trim(u"    "), u"");
    EXPECT_EQ(LTrim(u"  x "), u"x ");
    EXPECT_EQ(RTrim(u"  x "), u"  x");
}

TEST(TextHelpers, UpperCasingIsUnicodeAndKeepsTheLength) {
    EXPECT_EQ(UCase(u"abc äöü ς"), u"ABC ÄÖÜ Σ");
    EXPECT_EQ(UCase(u"财务 orva"), u"财务 ORVA");
    // "ß" upper-cases to "SS" in full mapping; the simple mapping keeps it, so lengths never change.
    EXPECT_EQ(UCase(u"straße"), u"STRAßE");
    // A supplementary character with a simple mapping (Deseret small letter long i -> capital).
    EXPECT_EQ(UCase(u"\U00010428"), u"\U00010400");
    EXPECT_TRUE(EqualsNoCase(u"Language", u"LANGUAGE"));
    EXPECT_EQ(FindNoCase(u"DefLanguage=x;Language=y", u"language="), 3u);
}

TEST(TextHelpers, TextToInt32AcceptsNumbersAndRaisesTypeMismatchOrOverflow) {
    EXPECT_EQ(TextToInt32(u"12"), 12);
    EXPECT_EQ(TextToInt32(u" -7 "), -7);
    EXPECT_EQ(TextToInt32(u"2.5"), 2);
    EXPECT_EQ(TextToInt32(u"3.5"), 4);
    EXPECT_EQ(TextToInt32(u"2147483647"), 2147483647);
    EXPECT_EQ(TextToInt32(u"-2147483648"), INT32_MIN);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u""); }), errors::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u"abc"); }), errors::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u"12abc"); }), errors::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u"-"); }), errors::kTypeMismatch);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u"2147483648"); }), errors::kOverflow);
    EXPECT_EQ(ErrorNumberOf([] { TextToInt32(u"99999999999999999999"); }), errors::kOverflow);
}

TEST(TextHelpers, SplitGivesNoPartsForEmptyTextAndKeepsEmptyParts) {
    EXPECT_TRUE(Split(u"", u"|").empty());
    EXPECT_EQ(Split(u"Base|1001", u"|"), (std::vector<Text>{u"Base", u"1001"}));
    EXPECT_EQ(Split(u"a||b|", u"|"), (std::vector<Text>{u"a", u"", u"b", u""}));
    EXPECT_EQ(Split(u"name", u"-"), (std::vector<Text>{u"name"}));
}

TEST(TextConversion, Utf8RoundTripsAndRefusesMalformedInput) {
    Text text = u"财务 \U0001F600 a";
    EXPECT_EQ(FromUtf8(ToUtf8(text)), text);
    EXPECT_EQ(ErrorNumberOf([] { FromUtf8("\xC0\xAF"); }), errors::kInvalidCall);      // overlong
    EXPECT_EQ(ErrorNumberOf([] { FromUtf8("\xED\xA0\x80"); }), errors::kInvalidCall);  // surrogate
    EXPECT_EQ(ErrorNumberOf([] { FromUtf8("\xE6\x96"); }), errors::kInvalidCall);      // truncated
    EXPECT_EQ(ErrorNumberOf([] { ToUtf8(Text(1, char16_t(0xD800))); }), errors::kInvalidCall);
    EXPECT_EQ(ToUtf8Lossy(Text(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
    EXPECT_EQ(FindLoneSurrogate(u"ab\U0001F600"), TextView::npos);
    // Names that are bytes: every byte that starts no valid sequence shows as one U+FFFD, the rest
    // is decoded.
    EXPECT_EQ(FromUtf8Lossy("a\xFF\xE8\xB4\xA2"
                            "b"),
              u"a\uFFFD财b");
    EXPECT_EQ(FromUtf8Lossy("\xE6\x96"), u"\uFFFD\uFFFD");
    EXPECT_EQ(FromUtf8Lossy("\xC0\xAFz"), u"\uFFFD\uFFFDz");
}

TEST(TextHelpers, NumbersAtTheEndsOfThe32BitRange) {
    struct Case {
        const char16_t* text;
        int32_t value;  // when error is 0
        int32_t error;
    };
    const Case cases[] = {
        {u"2147483647", INT32_MAX, 0},          {u" +2147483647 ", INT32_MAX, 0},
        {u"2147483647.4", INT32_MAX, 0},        {u"2147483646.5", 2147483646, 0},
        {u"-2147483648", INT32_MIN, 0},         {u"-2147483648.5", INT32_MIN, 0},
        {u"0002147483647", INT32_MAX, 0},       {u"-0", 0, 0},
        {u"2147483648", 0, errors::kOverflow},  {u"2147483647.5", 0, errors::kOverflow},
        {u"-2147483649", 0, errors::kOverflow}, {u"-2147483648.6", 0, errors::kOverflow},
        {u"4294967296", 0, errors::kOverflow},  {u"1e3", 0, errors::kTypeMismatch},
        {u"1 000", 0, errors::kTypeMismatch},   {u"\t5", 0, errors::kTypeMismatch},
        {u"+-1", 0, errors::kTypeMismatch},     {u".", 0, errors::kTypeMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        int32_t value = 0;
        EXPECT_EQ(ErrorNumberOf([&] { value = TextToInt32(c.text); }), c.error);
        if (c.error == 0) {
            EXPECT_EQ(value, c.value);
        }
    }
}

TEST(TextHelpers, TextToDoubleGivesTheNearestDouble) {
    struct Case {
        const char16_t* text;
        double value;
    };
    const Case cases[] = {
        {u"1234567.891", 1234567.891},
        {u"0.1", 0.1},
        {u"-0.3", -0.3},
        {u"123456789012345.6", 123456789012345.6},
        {u" 2.675 ", 2.675},
        {u"0.0001", 0.0001},
        {u"9007199254740993", 9007199254740992.0},
        {u".5", 0.5},
        {u"7.", 7.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(TextToDouble(c.text), c.value);
    }
}

}  // namespace
}  // namespace orva::automation
