// Every JSON input is read by one bounded reader: hostile nesting, numbers, tokens, repeated keys and
// swarms of tiny items are refused naming the file and the byte, never crash or take unbounded memory.

#include <gtest/gtest.h>

#include <string>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PropertyBagJson.h"
#include "bag/Vector.h"

namespace orva::components {
namespace {

using automation::AutomationError;

std::string Repeat(const std::string& part, size_t count) {
    std::string text;
    text.reserve(part.size() * count);
    for (size_t i = 0; i < count; ++i) text += part;
    return text;
}

// The refusal of ParsePropertyBagJson, or "" when it parses.
std::string Refusal(const std::string& json, const JsonShapeCheck& shape = {}) {
    try {
        ParsePropertyBagJson(json, u"in.json", shape);
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), automation::errors::kBadFileFormat) << json.substr(0, 80);
        return automation::ToUtf8Lossy(error.Description());
    }
    return "";
}

TEST(BoundedJson, HostileDocumentsAreRefusedNamingTheByte) {
    const std::string longWord(5000, 'x');
    const std::string cut60 = std::string(60, 'x') + "\u2026";
    const std::pair<std::string, std::string> cases[] = {
        // 65 levels (0 to 64) are the most a packet file holds too; the 66th bracket is refused.
        {Repeat("[", 65) + Repeat("]", 65), ""},
        {Repeat("[", 66) + Repeat("]", 66), "in.json: nesting deeper than 64 levels at byte 65"},
        {Repeat("[", 100000), "in.json: nesting deeper than 64 levels at byte 65"},
        {"{\"a\": " + Repeat("{\"b\": ", 70), "in.json: nesting deeper than 64 levels at byte 390"},
        {R"({"a": [1, 1e400]})", "in.json: a number out of range (1e400) at byte 14"},
        {R"([-1e999])", "in.json: a number out of range (-1e999) at byte 6"},
        {"[\"" + longWord + "\x01\"]",
         "in.json: not valid JSON: syntax error while parsing value - invalid string: control character "
         "U+0001 (SOH) must be escaped to \\u0001; last read: \"\"" +
             cut60.substr(1) + "\" at byte 5002"},
        {"[tru",
         "in.json: not valid JSON: syntax error while parsing value - invalid literal; last read: "
         "\"[tru\" at byte 4"},
        {"{\"CHS\": 1, \"chs\": 2}", "in.json: two keys differing only in letter case (\"chs\") at $/chs"},
        {"{\"a\": {\"" + longWord + "\": 1, \"" + longWord + "\": 2}}",
         "in.json: the key \"" + cut60 + "\" appears twice at $/a/" + cut60},
        {"[1, 2\xff]", "in.json: Invalid UTF-8 at byte offset 5"},
    };
    for (const auto& [json, refusal] : cases) EXPECT_EQ(Refusal(json), refusal) << json.substr(0, 80);
}

TEST(BoundedJson, SwarmsOfTinyItemsAreRefusedBeforeTheyAreBuilt) {
    // Two million empty arrays in 6 MB would take some 300 MB as a tree: refused a fraction of the way in.
    const std::string swarm = "{\"x\": [" + Repeat("[],", 2'000'000) + "[]]}";
    const std::string refusal = Refusal(swarm);
    ASSERT_EQ(refusal.rfind("in.json: too many small items for the file's size: read, they would take more "
                            "than " +
                                std::to_string(16 * swarm.size() + (4 << 20)) + " bytes of memory",
                            0),
              0u)
        << refusal;
    const size_t at = std::stoul(refusal.substr(refusal.rfind(' ') + 1));
    EXPECT_LT(at, swarm.size() / 2);
    // Dense real content of the same size is read: texts cost about what they take in the file.
    const std::string entries =
        "{\"CHS\": [" +
        Repeat(R"({"FTopClassName": "供应链管理", "FFuncName": "销售订单-新增", "No": 7},)", 60000) + "{}]}";
    EXPECT_EQ(Refusal(entries), "");
}

TEST(BoundedJson, ValuesKeepTheirKindsAndShapeChecksSeeEachPlaceFirst) {
    std::vector<std::string> seen;
    const JsonShapeCheck record = [&](const JsonPlace& place, JsonKind kind) {
        seen.push_back(automation::ToUtf8(place.ToText()) + " " + automation::ToUtf8(JsonKindName(kind)));
        if (place.Depth() == 2 && place[1].index == 2) automation::Raise(13, u"second item");
    };
    try {
        ParsePropertyBagJson(R"({"a": [true, {"b": null}, 3], "c": 1})", u"in.json", record);
        ADD_FAILURE() << "the shape check's refusal passes to the caller";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 13);
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"$ an object", "$/a an array", "$/a[1] a Boolean",
                                              "$/a[2] an object"}));

    const automation::Variant value =
        ParsePropertyBagJson(R"([2147483647, 2147483648, -2147483649, 1.5, "文字", null])", u"in.json");
    VectorRef vector = std::dynamic_pointer_cast<Vector>(value.ToObject());
    ASSERT_TRUE(vector);
    EXPECT_EQ(vector->Item(1).Type(), automation::VariantType::Long);
    EXPECT_EQ(vector->Item(2).Type(), automation::VariantType::Double);
    EXPECT_EQ(vector->Item(3).ToDouble(), -2147483649.0);
    EXPECT_EQ(vector->Item(4).ToDouble(), 1.5);
    EXPECT_EQ(vector->Item(5).ToText(), u"文字");
    EXPECT_EQ(vector->Item(6).Type(), automation::VariantType::Null);
}

}  // namespace
}  // namespace orva::components
