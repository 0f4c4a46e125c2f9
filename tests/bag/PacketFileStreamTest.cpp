// Loading through a bounded window: the same trees and the same refusals, at the same offsets, as
// decoding bytes held in memory, whatever the window size; and a file that changes while it is read.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "bag/PacketCodec.h"
#include "bag/PacketFile.h"
#include "bag/Vector.h"
#include "cbor/CborReader.h"
#include "cbor/CborWriter.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::FromUtf8;
using automation::Text;
using automation::ToUtf8Lossy;

// Bytes held in memory, handed out as a file would: size is what Size() reports, which may differ
// from the bytes there are (a file that grew or shrank after its size was taken).
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(std::string bytes) : m_bytes(std::move(bytes)), m_size(m_bytes.size()) {}
    MemorySource(std::string bytes, size_t size) : m_bytes(std::move(bytes)), m_size(size) {}

    size_t Size() const override { return m_size; }
    size_t ReadAt(size_t offset, char* out, size_t size) override {
        m_largestRead = std::max(m_largestRead, size);
        if (offset >= m_bytes.size()) return 0;
        size = std::min(size, m_bytes.size() - offset);
        std::memcpy(out, m_bytes.data() + offset, size);
        return size;
    }
    size_t LargestRead() const { return m_largestRead; }

private:
    std::string m_bytes;
    size_t m_size;
    size_t m_largestRead = 0;
};

std::string TextItem(std::string_view utf8) {
    CborWriter writer;
    writer.WriteUtf8(utf8);
    return writer.TakeBytes();
}

// "ok " and the saved bytes of what loaded, or the number and description of the refusal.
template <typename Decode>
std::string Outcome(Decode decode) {
    try {
        return "ok " + EncodePacket(*decode());
    } catch (const AutomationError& error) {
        return std::to_string(error.Number()) + " " + ToUtf8Lossy(error.Description());
    }
}

std::string InMemory(const std::string& bytes) {
    return Outcome([&] { return DecodePacket(bytes, u"p.Dat"); });
}

std::string Windowed(const std::string& bytes, size_t window) {
    MemorySource source(bytes);
    return Outcome([&] { return DecodePacket(source, u"p.Dat", window); });
}

// A packet whose entries repeat their keys, with texts longer than small windows and multi-byte
// UTF-8 sequences that windows cut through.
DictionaryRef Sample(int entries, size_t longText) {
    DictionaryRef root = Dictionary::Create();
    VectorRef packet = Vector::Create();
    for (int i = 0; i < entries; ++i) {
        DictionaryRef entry = Dictionary::Create();
        entry->SetValue(u"FTopClassName", u"供应链");
        entry->SetValue(u"FClassParam", u"Bill|" + FromUtf8(std::to_string(200000000 + i)));
        entry->SetValue(u"No", Text(longText, u'采') + u"\U0001F600 end");
        entry->SetValue(u"Count", i);
        packet->Add(entry);
    }
    root->SetValue(u"CHS", packet);
    root->SetValue(u"Flag", true);
    return root;
}

// The envelope in the order a sorting tool writes it: the root comes before the version.
std::string RootFirst(const std::string& packet) {
    std::string envelope = std::string("\xD9\xD9\xF7\xA3", 4) + TextItem("format") + TextItem("OrvaPacket") +
                           TextItem("version") + std::string(1, '\x01') + TextItem("root");
    std::string root = packet.substr(envelope.size());
    return std::string("\xD9\xD9\xF7\xA3", 4) + TextItem("root") + root + TextItem("format") +
           TextItem("OrvaPacket") + TextItem("version") + std::string(1, '\x01');
}

TEST(PacketFileStream, AnyWindowLoadsWhatMemoryLoads) {
    std::string packet = EncodePacket(*Sample(6, 40));
    std::string rootFirst = RootFirst(packet);
    ASSERT_EQ(InMemory(rootFirst), InMemory(packet));
    for (size_t window : {1, 2, 3, 7, 64, 100000}) {
        SCOPED_TRACE(window);
        EXPECT_EQ(Windowed(packet, window), "ok " + packet);
        EXPECT_EQ(Windowed(rootFirst, window), "ok " + packet);
    }
}

TEST(PacketFileStream, LoadsVectorsLongerThanTheirFirstReservation) {
    DictionaryRef root = Dictionary::Create();
    VectorRef numbers = Vector::Create();
    for (int i = 0; i < 9001; ++i) numbers->Add(i);
    root->SetValue(u"Numbers", numbers);
    std::string packet = EncodePacket(*root);
    EXPECT_EQ(InMemory(packet), "ok " + packet);
    EXPECT_EQ(Windowed(packet, 64), "ok " + packet);
}

TEST(PacketFileStream, AnyWindowRefusesWhatMemoryRefusesAtTheSameByte) {
    std::string packet = EncodePacket(*Sample(2, 20));
    std::vector<std::string> inputs = {"", "\xD9\xD9", packet + '\0', RootFirst(packet) + '\0'};
    for (size_t length = 0; length < packet.size(); ++length) inputs.push_back(packet.substr(0, length));
    // Invalid UTF-8 deep inside a long text, and a key of one map repeated in other letter case.
    std::string badText = packet;
    badText[badText.find("\xE9\x87\x87") + 30] = '\xFF';
    inputs.push_back(badText);
    std::string repeated = packet;
    repeated.replace(repeated.find("dFlag"), 5, "cchs");  // 'd' and 'c' are the heads of 4 and 3 bytes
    inputs.push_back(repeated);
    for (size_t i = 0; i < inputs.size(); ++i) {
        std::string expected = InMemory(inputs[i]);
        ASSERT_EQ(expected.rfind("321 p.Dat: ", 0), 0u) << i << ": " << expected;
        for (size_t window : {1, 3, 16})
            EXPECT_EQ(Windowed(inputs[i], window), expected) << i << " " << window;
    }
}

TEST(PacketFileStream, ReadsNoMoreAtOnceThanTheWindowOrOneString) {
    std::string packet = EncodePacket(*Sample(50, 30));
    MemorySource source(packet);
    DecodePacket(source, u"p.Dat", 256);
    EXPECT_EQ(source.LargestRead(), 256u);

    // A text longer than the window is read whole, once; later reads are back to the window.
    std::string longText = EncodePacket(*Sample(1, 1000));
    MemorySource longSource(longText);
    CborReader reader(longSource, u"p.Dat", 64);
    reader.Seek(longText.find("\x79\x0B\xC0"));  // the head of the 3,008-byte UTF-8 text
    CborHead head = reader.ReadHead();
    Text text;
    reader.ReadText(head, text);
    EXPECT_EQ(text.size(), 1000u + 2 + 4);
    EXPECT_GT(longSource.LargestRead(), 64u);
    EXPECT_LE(longSource.LargestRead(), 3008u);
}

TEST(PacketFileStream, ReaderSeeksBackWithinTheWindowAndBeyondIt) {
    std::string bytes = TextItem("first") + TextItem("second text") + TextItem("third");
    MemorySource source(bytes);
    CborReader reader(source, u"p.Dat", 4);
    Text text;
    for (std::string_view expected : {"first", "second text", "third"}) {
        size_t start = reader.Offset();
        CborHead head = reader.ReadHead();
        EXPECT_EQ(head.offset, start);
        EXPECT_EQ(reader.ReadContent(head), expected);
        reader.Seek(start + 1);  // back to the content just read, still in the window
        reader.ReadText(head, text);
        EXPECT_EQ(ToUtf8Lossy(text), expected);
    }
    EXPECT_TRUE(reader.AtEnd());
    reader.Seek(6);  // long gone from a 4-byte window: read again from the source
    EXPECT_EQ(reader.Peek(3), "\x6bse");
    CborHead head = reader.ReadHead();
    EXPECT_EQ(head.offset, 6u);
    EXPECT_EQ(reader.ReadContent(head), "second text");
}

TEST(PacketFileStream, RefusesAFileThatShrankOrGrewWhileItWasRead) {
    std::string packet = EncodePacket(*Sample(4, 20));
    // Its size promised more bytes than were there to read.
    MemorySource shrank(packet.substr(0, 100), packet.size());
    EXPECT_EQ(Outcome([&] { return DecodePacket(shrank, u"p.Dat", 16); }),
              "321 p.Dat: truncated data: the input became shorter while it was read at byte 100");
    // More bytes follow the size it had when reading began.
    MemorySource grew(packet + "more", packet.size());
    EXPECT_EQ(Outcome([&] { return DecodePacket(grew, u"p.Dat", 16); }),
              "321 p.Dat: trailing bytes after the packet at byte " + std::to_string(packet.size()));
}

TEST(PacketFileStream, LoadsAFileManyWindowsLong) {
    testing::TempDir folder;
    DictionaryRef root = Sample(40, 70000 / 3);
    std::string packet = EncodePacket(*root);
    ASSERT_GT(packet.size(), 20 * kCborWindowBytes);
    Text path = FromUtf8((folder / "big.Dat").string());
    SavePacketFile(path, *root);
    EXPECT_EQ(EncodePacket(*LoadPacketFile(path)), packet);

    std::ofstream(folder / "cut.Dat", std::ios::binary) << packet.substr(0, packet.size() - 1);
    try {
        LoadPacketFile(FromUtf8((folder / "cut.Dat").string()));
        ADD_FAILURE() << "a cut file loaded";
    } catch (const AutomationError& error) {
        std::string expected = InMemory(packet.substr(0, packet.size() - 1));
        EXPECT_EQ(ToUtf8Lossy(error.Description()),
                  (folder / "cut.Dat").string() + expected.substr(expected.find(':')));
    }
}

}  // namespace
}  // namespace orva::components
