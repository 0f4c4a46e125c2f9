// The generic CBOR reader and writer: shortest heads, exact floats, bounded skipping.

#include <gtest/gtest.h>

#include <cmath>

#include "automation/AutomationError.h"
#include "cbor/CborReader.h"
#include "cbor/CborWriter.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::Text;

TEST(CborWriter, WritesTheShortestHeadForEveryArgument) {
    CborWriter writer;
    for (int64_t value : std::initializer_list<int64_t>{0, 23, 24, 255, 256, 65535, 65536, 4294967295,
                                                        4294967296, -1, -24, -25, INT64_MIN}) {
        writer.WriteInteger(value);
    }
    EXPECT_EQ(writer.Bytes(),
              std::string("\x00\x17\x18\x18\x18\xff\x19\x01\x00\x19\xff\xff\x1a\x00\x01\x00\x00"
                          "\x1a\xff\xff\xff\xff\x1b\x00\x00\x00\x01\x00\x00\x00\x00\x20\x37\x38\x18"
                          "\x3b\x7f\xff\xff\xff\xff\xff\xff\xff",
                          44));
}

TEST(CborWriter, WritesTextAsUtf8AndRefusesALoneSurrogate) {
    CborWriter writer;
    ASSERT_TRUE(writer.WriteText(u"a\u00e9\u4e2d\U0001F600"));
    EXPECT_EQ(writer.Bytes(),
              "\x6a"
              "a\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80");
    size_t before = writer.Bytes().size();
    EXPECT_FALSE(writer.WriteText(Text(u"x") + char16_t(0xD83D)));
    EXPECT_FALSE(writer.WriteText(Text(1, char16_t(0xDE00)) + u"x"));
    EXPECT_EQ(writer.Bytes().size(), before);
}

TEST(CborReader, ReadsBackWhatTheWriterWrote) {
    CborWriter writer;
    writer.BeginArray(4);
    writer.WriteInteger(-1000000);
    writer.WriteDouble(-0.0);
    ASSERT_TRUE(writer.WriteText(u"名称\U0001F600"));
    writer.WriteUndefined();
    std::string bytes = writer.TakeBytes();

    CborReader reader(bytes, u"memory");
    CborHead array = reader.ReadHead();
    EXPECT_EQ(array.major, CborMajor::Array);
    EXPECT_EQ(array.argument, 4u);
    CborHead negative = reader.ReadHead();
    EXPECT_EQ(negative.major, CborMajor::Negative);
    EXPECT_EQ(negative.argument, 999999u);
    CborHead zero = reader.ReadHead();
    ASSERT_TRUE(CborReader::IsFloat(zero));
    EXPECT_TRUE(std::signbit(CborReader::FloatValue(zero)));
    Text text;
    reader.ReadText(reader.ReadHead(), text);
    EXPECT_EQ(text, u"名称\U0001F600");
    EXPECT_EQ(reader.ReadHead().argument, kCborUndefined);
    EXPECT_TRUE(reader.AtEnd());
}

TEST(CborReader, DecodesHalfPrecisionFloats) {
    auto half = [](const std::string& bytes) {
        CborReader reader(bytes, u"memory");
        return CborReader::FloatValue(reader.ReadHead());
    };
    EXPECT_EQ(half(std::string("\xf9\x3c\x00", 3)), 1.0);
    EXPECT_EQ(half(std::string("\xf9\x00\x01", 3)), 5.960464477539063e-8);  // smallest subnormal
    EXPECT_EQ(half(std::string("\xf9\x7b\xff", 3)), 65504.0);
    EXPECT_EQ(half(std::string("\xf9\xfc\x00", 3)), -INFINITY);
    EXPECT_TRUE(std::isnan(half(std::string("\xf9\x7e\x00", 3))));
}

TEST(CborReader, SkipsWholeItemsWithinTheDepthGiven) {
    std::string bytes("\xa2\x61k\x82\x01\xc1\x02\x61z\x81\x80", 11);  // {"k": [1, 1(2)], "z": [[]]}
    CborReader reader(bytes, u"memory");
    reader.SkipItem(2);
    EXPECT_TRUE(reader.AtEnd());

    CborReader shallow(bytes, u"memory");
    try {
        shallow.SkipItem(1);
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 321);
        EXPECT_EQ(error.Description(), u"memory: nesting deeper than 1 levels at byte 5");
    }
}

// One strict UTF-8 rule for text conversion and for the CBOR reader's text strings (read and
// skipped): overlong forms, surrogates, values above U+10FFFF and cut sequences are refused at the
// byte where the faulty sequence starts; the edges of every valid range are accepted.
TEST(CborReader, TextStringsAndTextConversionShareOneStrictUtf8Rule) {
    struct Case {
        const char* bytes;     // after the two ASCII bytes "ab"
        const char16_t* text;  // nullptr: refused
    };
    const Case cases[] = {
        {"\xC0\x80", nullptr},
        {"\xC1\xBF", nullptr},
        {"\xE0\x9F\xBF", nullptr},
        {"\xE0\x80\x80", nullptr},
        {"\xF0\x8F\xBF\xBF", nullptr},
        {"\xF0\x80\x80\x80", nullptr},
        {"\xED\xA0\x80", nullptr},
        {"\xED\xBF\xBF", nullptr},
        {"\xF4\x90\x80\x80", nullptr},
        {"\xF5\x80\x80\x80", nullptr},
        {"\xF8\x88\x80\x80\x80", nullptr},
        {"\xFF", nullptr},
        {"\x80", nullptr},
        {"\xC3", nullptr},
        {"\xC3\x41", nullptr},
        {"\xE6\x96", nullptr},
        {"\xF0\x9F\x98", nullptr},
        {"\xE6\x96\xC0", nullptr},
        {"\xC2\x80", u"\u0080"},
        {"\xDF\xBF", u"\u07FF"},
        {"\xE0\xA0\x80", u"\u0800"},
        {"\xED\x9F\xBF", u"\uD7FF"},
        {"\xEE\x80\x80", u"\uE000"},
        {"\xEF\xBF\xBF", u"\uFFFF"},
        {"\xF0\x90\x80\x80", u"\U00010000"},
        {"\xF4\x8F\xBF\xBF", u"\U0010FFFF"},
    };
    for (const Case& c : cases) {
        std::string content = std::string("ab") + c.bytes;
        SCOPED_TRACE(::testing::PrintToString(content));
        // Text conversion.
        Text converted;
        int32_t number = 0;
        try {
            converted = automation::FromUtf8(content);
        } catch (const AutomationError& error) {
            number = error.Number();
            EXPECT_NE(automation::ToUtf8(error.Description()).find("byte offset 2"), std::string::npos);
        }
        EXPECT_EQ(number, c.text ? 0 : automation::errors::kInvalidCall);
        if (c.text) {
            EXPECT_EQ(converted, Text(u"ab") + c.text);
        }

        // The reader, reading and skipping a text string of that content after one other byte.
        CborWriter writer;
        writer.WriteInteger(0);
        writer.WriteUtf8(content);
        std::string item = writer.TakeBytes();
        for (bool skip : {false, true}) {
            CborReader reader(item, u"t.Dat");
            reader.ReadHead();
            std::string refusal;
            try {
                if (skip) {
                    reader.SkipItem(1);
                } else {
                    Text text;
                    reader.ReadText(reader.ReadHead(), text);
                    if (c.text) {
                        EXPECT_EQ(text, Text(u"ab") + c.text);
                    }
                }
            } catch (const AutomationError& error) {
                EXPECT_EQ(error.Number(), automation::errors::kBadFileFormat);
                refusal = automation::ToUtf8(error.Description());
            }
            // Content starts after the integer (1 byte) and the string's head (1 byte).
            EXPECT_EQ(refusal, c.text ? "" : "t.Dat: invalid UTF-8 in a text string at byte 4");
        }
    }
}

}  // namespace
}  // namespace orva::components
