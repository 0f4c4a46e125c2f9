// Loading untrusted packet bytes: every refusal names the source and the byte where it went wrong.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "bag/PacketFile.h"
#include "bag/Vector.h"
#include "cbor/CborWriter.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::FromUtf8;
using automation::Text;
using automation::ToUtf8Lossy;

const Text kSource = u"crafted.Dat";

// Bytes from hex pairs; blanks are ignored.
std::string Hex(std::string_view hex) {
    std::string bytes;
    for (size_t i = 0; i < hex.size(); ++i) {
        if (hex[i] == ' ') continue;
        bytes += static_cast<char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
        ++i;
    }
    return bytes;
}

std::string TextItem(std::string_view utf8) {
    CborWriter writer;
    writer.WriteUtf8(utf8);
    return writer.TakeBytes();
}

// A well-formed envelope around root (the CBOR of the root value).
std::string Envelope(const std::string& root, uint64_t version = 1, std::string_view format = "OrvaPacket") {
    CborWriter writer;
    writer.WriteTag(55799);
    writer.BeginMap(3);
    writer.WriteUtf8("format");
    writer.WriteUtf8(format);
    writer.WriteUtf8("version");
    writer.WriteInteger(static_cast<int64_t>(version));
    writer.WriteUtf8("root");
    return writer.TakeBytes() + root;
}

// The description of the 321 error that decoding bytes raises; fails the test when it raises nothing.
std::string Refusal(const std::string& bytes) {
    try {
        DecodePacket(bytes, kSource);
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), 321);
        std::string description = ToUtf8Lossy(error.Description());
        EXPECT_EQ(description.rfind("crafted.Dat: ", 0), 0u) << description;
        EXPECT_NE(description.find(" at byte "), std::string::npos) << description;
        return description;
    }
    ADD_FAILURE() << "no error for " << bytes.size() << " bytes";
    return {};
}

// {"a": [[...[]...]]} with levels arrays inside the root.
std::string NestedArrays(int levels) {
    std::string root = Hex("a1") + TextItem("a");
    for (int i = 0; i < levels - 1; ++i) root += Hex("81");
    return root + Hex("80");
}

TEST(PacketFileDecode, ReadsWhatOtherCborWritersMayProduce) {
    // Envelope keys in another order, integers in wider heads than needed, half and single floats.
    std::string bytes = Hex("d9d9f7 a3") + TextItem("root") +
                        Hex("a4 6161 1a00000007  6162 f93c00  6163 fa3fc00000  6164 3b0000000000000000") +
                        TextItem("version") + Hex("1b0000000000000001") + TextItem("format") +
                        TextItem("OrvaPacket");
    DictionaryRef root = DecodePacket(bytes, kSource);
    EXPECT_EQ(root->Value(u"a"), automation::Variant(int32_t{7}));
    EXPECT_EQ(root->Value(u"b"), automation::Variant(1.0));
    EXPECT_EQ(root->Value(u"c"), automation::Variant(1.5));
    EXPECT_EQ(root->Value(u"d"), automation::Variant(int32_t{-1}));
}

TEST(PacketFileDecode, MapsIntegersBeyond32BitsToExactDoublesOnly) {
    DictionaryRef root = DecodePacket(
        Envelope(
            Hex("a4 6161 1a80000000  6162 3a7fffffff  6163 1b0020000000000000  6164 3b001fffffffffffff")),
        kSource);
    EXPECT_EQ(root->Value(u"a"), automation::Variant(2147483648.0));
    EXPECT_EQ(root->Value(u"b"), automation::Variant(int32_t{-2147483647 - 1}));
    EXPECT_EQ(root->Value(u"c"), automation::Variant(9007199254740992.0));
    EXPECT_EQ(root->Value(u"d"), automation::Variant(-9007199254740992.0));

    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 1b0020000000000001"))).find("integer beyond 2^53"),
              std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 3b0020000000000000"))).find("integer beyond -2^53"),
              std::string::npos);
}

TEST(PacketFileDecode, RefusesWhatIsNotAPacketFile) {
    EXPECT_NE(Refusal("").find("the file is empty at byte 0"), std::string::npos);
    EXPECT_NE(Refusal("{\"CHS\": []}").find("does not start with the CBOR self-describe tag"),
              std::string::npos);
    EXPECT_NE(Refusal(Hex("a0")).find("self-describe tag"), std::string::npos);  // CBOR, but no tag
    EXPECT_NE(Refusal(Hex("d9d9f7 80")).find("not followed by a map at byte 3"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a0"), 1, "OtherFormat")).find("its format is \"OtherFormat\""),
              std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("80"))).find("the root is not a map"), std::string::npos);

    std::string noRoot =
        Hex("d9d9f7 a2") + TextItem("format") + TextItem("OrvaPacket") + TextItem("version") + Hex("01");
    EXPECT_NE(Refusal(noRoot).find("no \"root\" at byte 3"), std::string::npos);
    std::string extraKey = Envelope(Hex("a0")) + TextItem("note") + TextItem("x");
    extraKey[3] = static_cast<char>(0xa4);
    EXPECT_NE(Refusal(extraKey).find("unexpected envelope key \"note\""), std::string::npos);
    std::string repeated = Hex("d9d9f7 a3") + TextItem("format") + TextItem("OrvaPacket") +
                           TextItem("format") + TextItem("OrvaPacket") + TextItem("root") + Hex("a0");
    EXPECT_NE(Refusal(repeated).find("the envelope key \"format\" repeats"), std::string::npos);
    std::string textVersion = Hex("d9d9f7 a3") + TextItem("format") + TextItem("OrvaPacket") +
                              TextItem("version") + TextItem("1") + TextItem("root") + Hex("a0");
    EXPECT_NE(Refusal(textVersion).find("version is not an unsigned integer"), std::string::npos);
}

TEST(PacketFileDecode, RefusesAnUnknownVersionEvenWhenTheRootComesFirst) {
    std::string refusal = Refusal(Envelope(Hex("a0"), 2));
    EXPECT_NE(refusal.find("unknown packet file version 2 (this program reads version 1)"),
              std::string::npos);

    // A root in some future layout must not be judged before the version is known.
    std::string rootFirst = Hex("d9d9f7 a3") + TextItem("root") + Hex("a1 6161 c1 00") + TextItem("format") +
                            TextItem("OrvaPacket") + TextItem("version") + Hex("02");
    EXPECT_NE(Refusal(rootFirst).find("unknown packet file version 2"), std::string::npos);
}

TEST(PacketFileDecode, RefusesEveryTruncationAndTrailingBytes) {
    std::string whole = Envelope(Hex("a2 63434853 81 a2 6146 63e4b8ad 624e6f f5  62454e 80"));
    ASSERT_EQ(DecodePacket(whole, kSource)->Count(), 2);
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE(length);
        Refusal(whole.substr(0, length));
    }
    EXPECT_NE(Refusal(whole + Hex("00"))
                  .find("trailing bytes after the packet at byte " + std::to_string(whole.size())),
              std::string::npos);
}

TEST(PacketFileDecode, RefusesLengthsLongerThanTheBytesLeftBeforeAllocating) {
    // Were these lengths believed, the allocation alone would take gigabytes (and the sanitizer
    // build would stop on it).
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 7bffffffffffffff00 6162"))).find("only 2 bytes are left"),
              std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 9affffffff 00"))).find("an array of 4294967295 items"),
              std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("bb7fffffffffffffff 6161 00"))).find("a map of"), std::string::npos);
    // A map of two entries needs at least four bytes.
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 a2 01 02 03"))).find("false count"), std::string::npos);
}

TEST(PacketFileDecode, RefusesNestingDeeperThan64Levels) {
    EXPECT_NO_THROW(DecodePacket(Envelope(NestedArrays(64)), kSource));
    std::string refusal = Refusal(Envelope(NestedArrays(65)));
    EXPECT_NE(refusal.find("nesting deeper than 64 levels"), std::string::npos);

    // The same limit holds while a root that precedes the version is passed over.
    std::string rootFirst = Hex("d9d9f7 a3") + TextItem("root") + NestedArrays(65) + TextItem("format") +
                            TextItem("OrvaPacket") + TextItem("version") + Hex("01");
    EXPECT_NE(Refusal(rootFirst).find("nesting deeper than 64 levels"), std::string::npos);
    std::string deepButFine = Hex("d9d9f7 a3") + TextItem("root") + NestedArrays(64) + TextItem("format") +
                              TextItem("OrvaPacket") + TextItem("version") + Hex("01");
    EXPECT_NO_THROW(DecodePacket(deepButFine, kSource));

    // Far deeper input must end in a refusal, not in a stack overflow.
    Refusal(Envelope(Hex("a1 6161") + std::string(100000, static_cast<char>(0x81)) + Hex("80")));
}

TEST(PacketFileDecode, RefusesInvalidUtf8InValuesAndKeys) {
    std::string envelopeSize = Envelope("");
    size_t rootAt = envelopeSize.size();
    // {"a": <text>}: the text's content starts 4 bytes into the root.
    for (const char* bad : {"62c0af", "63eda080", "61ff", "64f4908080", "62e4b8"}) {
        SCOPED_TRACE(bad);
        std::string refusal = Refusal(Envelope(Hex("a1 6161") + Hex(bad)));
        EXPECT_NE(refusal.find("invalid UTF-8 in a text string at byte " + std::to_string(rootAt + 4)),
                  std::string::npos)
            << refusal;
    }
    EXPECT_NE(Refusal(Envelope(Hex("a1 62c0af 01"))).find("invalid UTF-8"), std::string::npos);
}

TEST(PacketFileDecode, RefusesKeysOfOneMapThatDifferOnlyInLetterCase) {
    std::string refusal = Refusal(Envelope(Hex("a2 624e6f 01 624e4f 02")));
    EXPECT_NE(refusal.find("the key \"NO\" repeats the key \"No\""), std::string::npos) << refusal;
    Refusal(Envelope(Hex("a2 6161 01 6161 02")));
    // Equal keys in different maps are fine.
    EXPECT_NO_THROW(DecodePacket(Envelope(Hex("a2 6161 a1 6161 01 6162 a1 6141 01")), kSource));
}

// Within one map, keys that upper-case alike repeat each other, also past the first map of the file
// (the reader shares keys between maps by their upper-cased class); keys that upper-casing keeps
// apart are two keys.
TEST(PacketFileDecode, KeysOfOneMapRepeatWhenTheyUpperCaseAlike) {
    struct Case {
        const char* first;
        const char* second;
        bool repeats;
    };
    const Case cases[] = {
        {"z", "Z", true},   {"Ä", "ä", true},  {"Σ", "ς", true},  {"ЖАР", "жар", true},
        {"ß", "SS", false}, {"ß", "ẞ", false}, {"i", "İ", false}, {"@", "`", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.first) + " / " + c.second);
        // {"x": {first: 1}, "y": {filler, second: 2, first: 3}}: the first map sees each key alone.
        std::string root = Hex("a2") + TextItem("x") + Hex("a1") + TextItem(c.first) + Hex("01") +
                           TextItem("y") + Hex("a3") + TextItem("filler") + Hex("00") + TextItem(c.second) +
                           Hex("02") + TextItem(c.first) + Hex("03");
        std::string bytes = Envelope(root);
        if (c.repeats) {
            std::string refusal = Refusal(bytes);
            EXPECT_NE(
                refusal.find(std::string("the key \"") + c.first + "\" repeats the key \"" + c.second + "\""),
                std::string::npos)
                << refusal;
        } else {
            DictionaryRef y = AsDictionary(DecodePacket(bytes, kSource)->Value(u"y"));
            EXPECT_EQ(y->Count(), 3);
            EXPECT_EQ(y->Value(FromUtf8(c.second)).ToInt32(), 2);
            EXPECT_EQ(y->Value(FromUtf8(c.first)).ToInt32(), 3);
        }
    }
}

TEST(PacketFileDecode, RefusesItemsAPacketCannotHold) {
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 4100"))).find("a byte string"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 c1 00"))).find("a tag (1)"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 d9d9f7 00"))).find("a tag (55799)"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 9f ff"))).find("indefinite-length"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 ff"))).find("break code"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 f0"))).find("simple value 16"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 f814"))).find("simple value below 32"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 6161 1c"))).find("reserved"), std::string::npos);
    EXPECT_NE(Refusal(Envelope(Hex("a1 01 02"))).find("a map key that is not a text string"),
              std::string::npos);
}

}  // namespace
}  // namespace orva::components
