#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "automation/Variant.h"
#include "bag/Dictionary.h"
#include "bag/PropertyBagJson.h"
#include "support/ErrorNumber.h"

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

// A double reads as text with up to 15 significant digits; E notation from 1E+15 and below 0.0001
// with a capital E and a sign, as a Basic program shows it, and never a minus zero.
TEST(Variant, DoublesReadAsTextWithFifteenSignificantDigits) {
    struct Case {
        double value;
        const char16_t* text;
    };
    const Case cases[] = {
        {1234567.891, u"1234567.891"},
        {-1234567.891, u"-1234567.891"},
        {0.1 + 0.2, u"0.3"},
        {1.0 / 3, u"0.333333333333333"},
        {123456789012345.0, u"123456789012345"},
        {1e15, u"1E+15"},
        {1e16, u"1E+16"},
        {1.5e300, u"1.5E+300"},
        {0.0001, u"0.0001"},
        {0.00001, u"1E-05"},
        {-2.5e-7, u"-2.5E-07"},
        {100.0, u"100"},
        {-0.0, u"0"},
        {2147483648.0, u"2147483648"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        EXPECT_EQ(Variant(c.value).ToText(), c.text);
    }
}

// A text reads as a Boolean when it is "True" or "False" in any letter case between blanks (U+0020
// only), or a number; anything else is a type mismatch.
TEST(Variant, TextsReadAsBooleans) {
    struct Case {
        const char16_t* text;
        bool value;
        int32_t error;
    };
    const Case cases[] = {
        {u"True", true, 0},
        {u" True ", true, 0},
        {u"tRUE", true, 0},
        {u"  FALSE", false, 0},
        {u"false ", false, 0},
        {u"1", true, 0},
        {u" -1 ", true, 0},
        {u"0", false, 0},
        {u"0.0", false, 0},
        {u"0.4", true, 0},
        {u"", false, errors::kTypeMismatch},
        {u"Yes", false, errors::kTypeMismatch},
        {u"\tTrue", false, errors::kTypeMismatch},
        {u"Tru e", false, errors::kTypeMismatch},
        {u"TrueFalse", false, errors::kTypeMismatch},
        {u"\u00A0True", false, errors::kTypeMismatch},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(ToUtf8(c.text));
        bool value = !c.value;
        EXPECT_EQ(ErrorNumberOf([&] { value = Variant(c.text).ToBool(); }), c.error);
        if (c.error == 0) {
            EXPECT_EQ(value, c.value);
        }
    }
    EXPECT_FALSE(Variant().ToBool());
    EXPECT_EQ(ErrorNumberOf([] { Variant(NullValue{}).ToBool(); }), errors::kInvalidUseOfNull);
}

// A text held without its filling blanks is the same text to every reader: conversions (and their
// errors), comparison both ways, the JSON writer, and TextIf, which makes it whole once and keeps it.
TEST(Variant, PaddedTextsReadAsTheWholeText) {
    struct Case {
        Text head;
        size_t width;
        Text tail;
    };
    const Case cases[] = {
        {u"12", 5, u""},     {u" True", 8, u""}, {u"0.5", 4, u"E2"}, {u"总账", 255, u"101"},
        {u"abc", 2, u"def"}, {u"", 3, u""},      {u"x", 0, u"y"},
    };
    for (const Case& c : cases) {
        const Text whole =
            c.head + Text(c.width > c.head.size() ? c.width - c.head.size() : 0, u' ') + c.tail;
        SCOPED_TRACE(ToUtf8(whole));
        const Variant padded = Variant::Padded(c.head, c.width, c.tail);
        const Variant plain(whole);
        EXPECT_EQ(padded.Type(), VariantType::Text);
        EXPECT_EQ(TypeNameOf(padded), u"Text");
        const Variant copy = padded;
        ASSERT_NE(padded.TextIf(), nullptr);
        EXPECT_EQ(*padded.TextIf(), whole);
        EXPECT_EQ(copy.TextIf(), padded.TextIf()) << "copies share the kept text";
        Text scratch;
        EXPECT_EQ(padded.ReadText(scratch), whole);
        EXPECT_EQ(padded.ToText(), whole);
        EXPECT_TRUE(padded == plain && plain == padded && padded == Variant(padded));
        EXPECT_NE(padded, Variant(whole + u"!"));
        EXPECT_NE(padded, Variant(int32_t{12}));
        int32_t number = 0, plainNumber = 0;
        EXPECT_EQ(ErrorNumberOf([&] { number = padded.ToInt32(); }),
                  ErrorNumberOf([&] { plainNumber = plain.ToInt32(); }));
        EXPECT_EQ(number, plainNumber);
        bool truth = false, plainTruth = false;
        EXPECT_EQ(ErrorNumberOf([&] { truth = padded.ToBool(); }),
                  ErrorNumberOf([&] { plainTruth = plain.ToBool(); }));
        EXPECT_EQ(truth, plainTruth);
        EXPECT_EQ(components::WritePropertyBagJson(padded), components::WritePropertyBagJson(plain));
    }
    Text scratch;
    EXPECT_EQ(ErrorNumberOf([&] { Variant(int32_t{1}).ReadText(scratch); }), errors::kTypeMismatch);
}

}  // namespace
}  // namespace orva::automation
