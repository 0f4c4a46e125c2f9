// Loading is bounded by the file's size: a file packed with tiny items is refused before its tree
// takes more than kPacketMemoryPerByte times the file size, while real packets load.

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "automation/TextHelpers.h"
#include "bag/PacketCodec.h"
#include "bag/PacketFile.h"
#include "bag/Vector.h"
#include "cbor/CborWriter.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using namespace automation;

// A packet file whose root is {"a": <count items, each the bytes of item>}, the items in an array
// (or, when asMap, as the values of a map with keys "0", "1", ...).
std::string PacketOf(size_t count, const std::string& item, bool asMap = false) {
    CborWriter writer;
    writer.WriteTag(kCborSelfDescribeTag);
    writer.BeginMap(3);
    writer.WriteUtf8("format");
    writer.WriteUtf8(kPacketFormatName);
    writer.WriteUtf8("version");
    writer.WriteInteger(1);
    writer.WriteUtf8("root");
    writer.BeginMap(1);
    writer.WriteUtf8("a");
    asMap ? writer.BeginMap(count) : writer.BeginArray(count);
    std::string bytes = writer.TakeBytes();
    bytes.reserve(bytes.size() + count * (item.size() + 8));
    for (size_t i = 0; i < count; ++i) {
        if (asMap) {
            CborWriter key;
            key.WriteUtf8(std::to_string(i));
            bytes += key.Bytes();
        }
        bytes += item;
    }
    return bytes;
}

// The offset named by a refusal "... at byte N".
size_t RefusedAt(const std::string& description) {
    size_t at = description.rfind(" at byte ");
    return at == std::string::npos ? 0 : std::stoul(description.substr(at + 9));
}

TEST(PacketFileMemory, RefusesFilesOfTinyItemsBeforeBuildingTheirTree) {
    testing::TempDir folder;
    struct Case {
        const char* what;
        size_t count;
        std::string item;
        bool asMap;
        bool atOnce;  // refused at the container's head, before any item is built
    };
    const Case cases[] = {
        {"empty arrays", 2'000'000, "\x80", false, true},
        {"empty maps", 2'000'000, "\xA0", false, true},
        {"Booleans", 2'000'000, "\xF5", false, true},
        // Each item passes the head's charge; the tree is refused part way, once built to the bound.
        {"arrays nested three deep", 1'000'000, "\x81\x81\x80", false, false},
        {"maps of one empty map", 700'000,
         "\xA1\x61"
         "a\xA0",
         false, false},
        {"empty arrays under distinct keys", 500'000, "\x80", true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string bytes = PacketOf(c.count, c.item, c.asMap);
        auto path = folder / "tiny.Dat";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        Text description;
        try {
            LoadPacketFile(FromUtf8(path.string()));
            ADD_FAILURE() << "loaded";
            continue;
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), errors::kBadFileFormat);
            description = error.Description();
        }
        std::string text = ToUtf8(description);
        EXPECT_EQ(text.rfind(path.string() + ": too many small items for the file's size", 0), 0u) << text;
        uint64_t limit = kPacketMemoryPerByte * bytes.size() + kPacketMemoryAllowance;
        EXPECT_NE(text.find("more than " + std::to_string(limit) + " bytes of memory"), std::string::npos)
            << text;
        if (c.atOnce) {
            EXPECT_LT(RefusedAt(text), 64u) << text;
        } else {
            // Refused where the bound was reached: well inside the file, not at its end.
            EXPECT_GT(RefusedAt(text), 64u) << text;
            EXPECT_LT(RefusedAt(text), bytes.size() * 3 / 4) << text;
        }
    }
}

TEST(PacketFileMemory, LoadsRealPacketsAndSmallFilesOfTinyItems) {
    // A deployment packet set, the shape every real packet file has.
    auto set = Dictionary::Create();
    for (const char16_t* language : {u"CHS", u"CHT", u"EN"}) {
        auto packet = Vector::Create();
        for (int i = 0; i < 3000; ++i) {
            auto entry = Dictionary::Create();
            Text n = Int32ToText(i);
            entry->SetValue(u"FTopClassID", Int32ToText(i % 4 + 1));
            entry->SetValue(u"FTopClassName", u"供应链");
            entry->SetValue(u"FSubSystemID", Int32ToText(300 + i % 6));
            entry->SetValue(u"FSubSystemName", u"采购管理");
            entry->SetValue(u"FSubFuncID", Int32ToText(1000 + i % 3));
            entry->SetValue(u"FSubFuncName", u"日常业务");
            entry->SetValue(u"NewName", u"采购订单-新增" + n);
            entry->SetValue(u"FFuncName", u"采购订单-新增" + n);
            entry->SetValue(u"FClassName", u"OrvaHost.Application");
            entry->SetValue(u"FClassParam", u"Bill|" + Int32ToText(200000000 + i));
            entry->SetValue(u"FHelpCode", u"");
            entry->SetValue(u"No", u"[采购订单-新增] 发布到: [供应链.采购管理.日常业务]");
            packet->Add(entry);
        }
        set->SetValue(language, packet);
    }
    std::string bytes = EncodePacket(*set);
    EXPECT_EQ(DecodePacket(bytes, u"real.Dat")->Count(), 3);

    // Tiny items in numbers a property bag really holds fit in the allowance, whatever they cost.
    EXPECT_NO_THROW(DecodePacket(PacketOf(20'000, "\x80"), u"small.Dat"));
    EXPECT_NO_THROW(DecodePacket(PacketOf(100'000, "\xF5"), u"small.Dat"));
    // Long texts cost about what their bytes do, and numbers in a vector of such texts too.
    EXPECT_NO_THROW(DecodePacket(PacketOf(200'000,
                                          "\x69"
                                          "abcdefghi"),
                                 u"texts.Dat"));
}

// Saving adds up what loading charges: the largest tree of a shape that saves loads again, and one
// item more is refused by both, so no file is written that cannot be read back.
TEST(PacketFileMemory, SavesExactlyWhatLoadingAccepts) {
    struct Shape {
        const char* what;
        std::string item;  // the CBOR of one item, as the encoder writes it
        std::function<Variant()> make;
    };
    const Shape shapes[] = {
        {"empty vectors", "\x80", [] { return Variant(Vector::Create()); }},
        {"empty dictionaries", "\xA0", [] { return Variant(Dictionary::Create()); }},
        {"Booleans", "\xF5", [] { return Variant(true); }},
    };
    auto treeOf = [](const Shape& shape, size_t count) {
        auto items = Vector::Create();
        for (size_t i = 0; i < count; ++i) items->Add(shape.make());
        auto root = Dictionary::Create();
        root->SetValue(u"a", items);
        return root;
    };
    auto saves = [](const Dictionary& root) {
        try {
            EncodePacket(root);
            return true;
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), errors::kInvalidCall);
            EXPECT_NE(ToUtf8(error.Description()).find("too many small items"), std::string::npos);
            return false;
        }
    };
    for (const Shape& shape : shapes) {
        SCOPED_TRACE(shape.what);
        size_t saved = 1000, refused = 400'000;
        ASSERT_TRUE(saves(*treeOf(shape, saved)));
        ASSERT_FALSE(saves(*treeOf(shape, refused)));
        while (refused - saved > 1) {
            size_t middle = (saved + refused) / 2;
            (saves(*treeOf(shape, middle)) ? saved : refused) = middle;
        }
        std::string bytes = EncodePacket(*treeOf(shape, saved));
        EXPECT_EQ(bytes, PacketOf(saved, shape.item));
        EXPECT_EQ(AsVector(DecodePacket(bytes, u"largest.Dat")->Value(u"a"))->Count(), int32_t(saved));
        EXPECT_THROW(DecodePacket(PacketOf(refused, shape.item), u"larger.Dat"), AutomationError);
    }

    // A refused save leaves the earlier file as it was.
    testing::TempDir folder;
    const Text path = FromUtf8((folder / "kept.Dat").string());
    SavePacketFile(path, *treeOf(shapes[0], 3));
    Text description;
    try {
        SavePacketFile(path, *treeOf(shapes[0], 400'000));
    } catch (const AutomationError& error) {
        description = error.Description();
    }
    EXPECT_EQ(description.rfind(path + u": too many small items", 0), 0u) << ToUtf8(description);
    EXPECT_EQ(AsVector(LoadPacketFile(path)->Value(u"a"))->Count(), 3);
}

}  // namespace
}  // namespace orva::components
