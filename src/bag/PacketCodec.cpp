// EncodePacket and DecodePacket (declared in PacketFile.h): the mapping described in PacketCodec.h.

#include "bag/PacketCodec.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PacketFile.h"
#include "bag/SharedText.h"
#include "bag/Vector.h"
#include "cbor/CborReader.h"
#include "cbor/CborWriter.h"

namespace orva::components {

using namespace automation;

namespace {

constexpr uint64_t kLargestExactInteger = uint64_t{1} << 53;

Text Ascii(std::string_view ascii) { return Text(ascii.begin(), ascii.end()); }

// What decoded items occupy in memory (PacketLayout.h): the encoder adds up the same charges as the
// decoder, so that whatever saves also loads.
using packet_memory::DictionaryCost;
using packet_memory::InternedKeyCost;
using packet_memory::KeyCost;
using packet_memory::TextCost;
using packet_memory::VectorCost;

// Writes a dictionary tree, keeping the key path of the value being written for error messages.
class PacketEncoder {
public:
    EncodedPacket Encode(const Dictionary& root) {
        WritePacketEnvelope(m_writer);
        WriteDictionary(root, 0);
        EncodedPacket packet{m_writer.TakeBytes(), m_memory};
        CheckPacketMemory(packet.memory, packet.bytes.size());
        return packet;
    }

private:
    // One step of the key path: a dictionary key, or (key == nullptr) a 1-based vector index.
    struct Step {
        const Text* key;
        int32_t index;
    };

    Text Path() const {
        Text path = u"$";
        for (const Step& step : m_path) {
            if (step.key) {
                path += u'/';
                path += *step.key;
            } else {
                path += u'[';
                path += Int32ToText(step.index);
                path += u']';
            }
        }
        return path;
    }

    [[noreturn]] void Refuse(int32_t number, const Text& what) const {
        Raise(number, u"the value at " + Path() + u" " + what);
    }

    // Guards against containers nested too deeply and against a container inside itself, which
    // would otherwise recurse until the stack runs out.
    void Enter(const Object* container, int depth) {
        if (std::find(m_open.begin(), m_open.end(), container) != m_open.end()) {
            Refuse(errors::kTypeMismatch, u"is a " + container->TypeName() +
                                              u" that contains itself, which a packet file cannot hold");
        }
        if (depth > kMaxPacketDepth) {
            Refuse(errors::kTypeMismatch, u"is nested deeper than " + UInt64ToText(kMaxPacketDepth) +
                                              u" levels, which a packet file cannot hold");
        }
        m_open.push_back(container);
    }

    void WriteText(TextView text, const char16_t* what) {
        if (!m_writer.WriteText(text)) RefuseLoneSurrogate(what, Path(), text);
    }

    void WriteDictionary(const Dictionary& dictionary, int depth) {
        Enter(&dictionary, depth);
        const auto count = static_cast<uint64_t>(dictionary.Count());
        m_writer.BeginMap(count);
        m_memory += DictionaryCost(count);
        for (int32_t i = 1; i <= dictionary.Count(); ++i) {
            const Text& key = dictionary.Key(i);
            m_memory += KeyCost(key.size(), count);
            m_path.push_back(Step{&key, 0});
            WriteKey(key, depth, static_cast<size_t>(i - 1));
            const size_t before = m_writer.Bytes().size();
            WriteValue(dictionary.ValueAt(i), depth);
            if (depth == 0 && i == 1) ReserveLike(m_writer.Bytes().size() - before, dictionary.Count() - 1);
            m_path.pop_back();
        }
        m_open.pop_back();
    }

    void WriteVector(const Vector& vector, int depth) {
        Enter(&vector, depth);
        m_writer.BeginArray(static_cast<uint64_t>(vector.Count()));
        m_memory += VectorCost(static_cast<uint64_t>(vector.Count()));
        int32_t index = 0;
        for (const Variant& item : vector) {
            const size_t before = m_writer.Bytes().size();
            m_path.push_back(Step{nullptr, ++index});
            WriteValue(item, depth);
            m_path.pop_back();
            if (index == 1) ReserveLike(m_writer.Bytes().size() - before, vector.Count() - 1);
        }
        m_open.pop_back();
    }

    // Makes room for count more items of size bytes each, when that is much: the items of a long
    // vector are mostly alike (a packet's entries), and so are the packets of a packet set. Room for
    // them in advance spares copying the bytes at every doubling of the buffer; room never written
    // to takes no memory.
    void ReserveLike(size_t size, int32_t count) {
        if (count <= 0) return;
        const size_t more = size * static_cast<size_t>(count);
        if (more >= kReserveFrom) m_writer.Reserve(m_writer.Bytes().size() + more + more / 4);
    }

    // depth is the level of the container holding value.
    void WriteValue(const Variant& value, int depth) {
        switch (value.Type()) {
            case VariantType::Empty:
                m_writer.WriteUndefined();
                return;
            case VariantType::Null:
                m_writer.WriteNull();
                return;
            case VariantType::Boolean:
                m_writer.WriteBool(value.ToBool());
                return;
            case VariantType::Integer:
            case VariantType::Long:
                m_writer.WriteInteger(value.ToInt32());
                return;
            case VariantType::Double:
                m_writer.WriteDouble(value.ToDouble());
                return;
            case VariantType::Text: {
                Text scratch;
                const Text& text = value.ReadText(scratch);
                WriteText(text, u"text");
                m_memory += TextCost(text.size());
                return;
            }
            case VariantType::Array:
                Refuse(errors::kTypeMismatch, u"is an array of variants, which a packet file cannot hold");
            case VariantType::Object:
                break;
        }
        const ObjectRef& object = *value.ObjectIf();
        if (!object) {
            m_writer.WriteUndefined();
        } else if (const auto* dictionary = dynamic_cast<const Dictionary*>(object.get())) {
            WriteDictionary(*dictionary, depth + 1);
        } else if (const auto* vector = dynamic_cast<const Vector*>(object.get())) {
            WriteVector(*vector, depth + 1);
        } else {
            Refuse(errors::kTypeMismatch,
                   u"is a " + object->TypeName() + u" object, which a packet file cannot hold");
        }
    }

    // Writes a key and charges it the first time the file holds it, as the decoder's interning does.
    // The maps of a packet repeat the same keys in the same order, so the key last written at the
    // same place is compared first, and when it matches its bytes are copied, not encoded again.
    void WriteKey(const Text& key, int depth, size_t position) {
        RecentKey* recent = nullptr;
        if (position < kRecentKeys) {
            std::vector<RecentKey>& level = m_recentKeys[static_cast<size_t>(depth)];
            if (level.size() <= position) level.resize(position + 1);
            recent = &level[position];
            // Entries built with shared keys (SharedText) hand out the very same text.
            if (recent->key && (recent->key == &key || *recent->key == key)) {
                m_writer.WriteEncoded(recent->bytes);
                return;
            }
        }
        if (m_keys.insert(key).second) m_memory += InternedKeyCost(key.size());
        const size_t start = m_writer.Bytes().size();
        WriteText(key, u"key");
        if (recent) {
            recent->key = &key;
            recent->bytes.assign(m_writer.Bytes(), start);
        }
    }

    // A key written at one position of the maps at one depth, with its encoded bytes. The tree is not
    // changed while it is written, so the key stays valid.
    struct RecentKey {
        const Text* key = nullptr;
        std::string bytes;
    };

    static constexpr size_t kRecentKeys = 32;
    static constexpr size_t kReserveFrom = size_t{1} << 20;
    CborWriter m_writer;
    std::vector<Step> m_path;
    std::vector<const Object*> m_open;
    uint64_t m_memory = 0;  // what the tree will take once loaded, charged as the decoder does
    std::unordered_set<TextView> m_keys;
    std::vector<std::vector<RecentKey>> m_recentKeys =
        std::vector<std::vector<RecentKey>>(kMaxPacketDepth + 2);
};

// Builds the dictionary tree straight from the bytes, item by item.
// Containers reserve room for at most this many items up front; a declared count can only be trusted
// that far before the items have actually been read. Halfway through a longer vector the rest is
// reserved: room for it costs no more than the items already read, and the vector ends at its exact
// size rather than doubling past it (a packet of 10,000 entries would otherwise hold room for 16,384).
constexpr uint64_t kReserveLimit = 4096;

// A map key as the decoder keeps it: one shared text per distinct key of the file.
struct InternedKey {
    SharedText text;
    uint32_t caseClass;  // the same for keys that differ only in letter case
};

class PacketDecoder {
public:
    explicit PacketDecoder(CborReader& reader)
        : m_reader(reader), m_memoryLimit(packet_memory::Limit(reader.Remaining())) {}

    DictionaryRef Decode() {
        static constexpr std::string_view kMagic = "\xD9\xD9\xF7";
        if (m_reader.Remaining() == 0) m_reader.Fail(u"not a packet file: the file is empty", 0);
        if (m_reader.Peek(kMagic.size()) != kMagic) {
            m_reader.Fail(u"not a packet file: it does not start with the CBOR self-describe tag 55799", 0);
        }
        m_reader.Seek(kMagic.size());
        DictionaryRef root = ReadEnvelope();
        if (!m_reader.AtEnd()) {
            m_reader.Fail(u"trailing bytes after the packet", m_reader.Offset());
        }
        return root;
    }

private:
    DictionaryRef ReadEnvelope() {
        CborHead envelope = m_reader.ReadHead();
        if (envelope.major != CborMajor::Map) {
            m_reader.Fail(u"not a packet file: the self-describe tag is not followed by a map",
                          envelope.offset);
        }
        bool haveFormat = false;
        bool haveVersion = false;
        bool haveRoot = false;
        size_t skippedRoot = 0;
        DictionaryRef root;
        Text key;
        for (uint64_t i = 0; i < envelope.argument; ++i) {
            CborHead keyHead = m_reader.ReadHead();
            if (keyHead.major != CborMajor::Text) {
                m_reader.Fail(u"not a packet file: an envelope key that is not a text string",
                              keyHead.offset);
            }
            m_reader.ReadText(keyHead, key);
            bool* have = key == u"format"    ? &haveFormat
                         : key == u"version" ? &haveVersion
                         : key == u"root"    ? &haveRoot
                                             : nullptr;
            if (!have) {
                m_reader.Fail(u"not a packet file: an unexpected envelope key \"" + key + u"\"",
                              keyHead.offset);
            }
            if (*have) {
                m_reader.Fail(u"not a packet file: the envelope key \"" + key + u"\" repeats",
                              keyHead.offset);
            }
            *have = true;
            if (key == u"format") {
                ReadFormat();
            } else if (key == u"version") {
                ReadVersion();
            } else if (haveFormat && haveVersion) {
                root = ReadRoot();
            } else {
                // The root is decoded only once format and version are known to be ours; until then
                // it is checked and passed over.
                skippedRoot = m_reader.Offset();
                m_reader.SkipItem(kMaxPacketDepth);
            }
        }
        if (!haveFormat) m_reader.Fail(u"not a packet file: the envelope has no \"format\"", envelope.offset);
        if (!haveVersion) {
            m_reader.Fail(u"not a packet file: the envelope has no \"version\"", envelope.offset);
        }
        if (!haveRoot) m_reader.Fail(u"not a packet file: the envelope has no \"root\"", envelope.offset);
        if (!root) {
            // Rare (only a tool that sorts the envelope writes the root first): from a file, the
            // root's bytes are read a second time.
            size_t end = m_reader.Offset();
            m_reader.Seek(skippedRoot);
            root = ReadRoot();
            m_reader.Seek(end);
        }
        return root;
    }

    DictionaryRef ReadRoot() {
        CborHead head = m_reader.ReadHead();
        if (head.major != CborMajor::Map) m_reader.Fail(u"the root is not a map", head.offset);
        return ReadMap(head, 0);
    }

    void ReadFormat() {
        CborHead head = m_reader.ReadHead();
        if (head.major != CborMajor::Text) {
            m_reader.Fail(u"not a packet file: the format name is not a text string", head.offset);
        }
        Text name;
        m_reader.ReadText(head, name);
        if (name != Ascii(kPacketFormatName)) {
            m_reader.Fail(u"not a packet file: its format is \"" + name + u"\", not \"" +
                              Ascii(kPacketFormatName) + u"\"",
                          head.offset);
        }
    }

    void ReadVersion() {
        CborHead head = m_reader.ReadHead();
        if (head.major != CborMajor::Unsigned) {
            m_reader.Fail(u"not a packet file: the version is not an unsigned integer", head.offset);
        }
        if (head.argument != kPacketVersion) {
            m_reader.Fail(u"unknown packet file version " + UInt64ToText(head.argument) +
                              u" (this program reads version " + UInt64ToText(kPacketVersion) + u")",
                          head.offset);
        }
    }

    void CheckContainer(const CborHead& head, int depth) {
        if (depth > kMaxPacketDepth) {
            m_reader.Fail(u"nesting deeper than " + UInt64ToText(kMaxPacketDepth) + u" levels", head.offset);
        }
        if (head.argument > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
            m_reader.Fail(u"a container of more items than a dictionary or vector can hold", head.offset);
        }
    }

    // Counts bytes of memory that the item at offset is about to take, and refuses the file once
    // the total passes its bound: the tree is never built beyond it. A container is charged for all
    // its slots at its head (the count was checked against the bytes left), before it reserves any.
    void Charge(uint64_t bytes, size_t offset) {
        m_memoryUsed += bytes;
        if (m_memoryUsed > m_memoryLimit) {
            m_reader.Fail(u"too many small items for the file's size: loaded, they would take more than " +
                              UInt64ToText(m_memoryLimit) + u" bytes of memory (" +
                              UInt64ToText(kPacketMemoryPerByte) + u" times the file size, and " +
                              UInt64ToText(kPacketMemoryAllowance) + u" bytes)",
                          offset);
        }
    }

    DictionaryRef ReadMap(const CborHead& head, int depth) {
        CheckContainer(head, depth);
        Charge(DictionaryCost(head.argument), head.offset);
        DictionaryRef dictionary = Dictionary::Create();
        dictionary->Reserve(std::min<uint64_t>(head.argument, kReserveLimit));
        const uint64_t map = ++m_maps;
        for (uint64_t i = 0; i < head.argument; ++i) {
            CborHead keyHead = m_reader.ReadHead();
            if (keyHead.major != CborMajor::Text) {
                m_reader.Fail(u"a map key that is not a text string", keyHead.offset);
            }
            const InternedKey& key = ReadKey(keyHead, depth, i);
            Charge(KeyCost(key.text->size(), head.argument), keyHead.offset);
            // Keys that differ only in letter case share a case class; a class seen before in this
            // map is a repeated key.
            uint64_t& lastMap = m_lastMapOfClass[key.caseClass];
            if (lastMap == map) RefuseRepeatedKey(*dictionary, *key.text, keyHead.offset);
            lastMap = map;
            dictionary->AppendUnique(key.text, ReadValue(depth));
        }
        return dictionary;
    }

    // The key at position `position` of a map at depth. The maps of a packet repeat the same keys in
    // the same order, so the raw bytes of the key last seen at that place are compared first; only a
    // different key is decoded (and checked) and interned.
    const InternedKey& ReadKey(const CborHead& keyHead, int depth, uint64_t position) {
        RecentKey* recent = nullptr;
        if (position < kRecentKeys) {
            std::vector<RecentKey>& level = m_recent[static_cast<size_t>(depth)];
            if (level.size() <= position) level.resize(position + 1);
            recent = &level[position];
        }
        size_t start = m_reader.Offset();
        // raw stays valid while ReadText reads the same bytes again: they are in the reader's window
        // already, so it does not refill.
        std::string_view raw = m_reader.ReadContent(keyHead);
        if (recent && recent->key && recent->raw == raw) return *recent->key;
        m_reader.Seek(start);
        // One key buffer per level: nested maps read their keys while this one is still needed.
        Text& key = m_keys[static_cast<size_t>(depth)];
        m_reader.ReadText(keyHead, key);
        const InternedKey& interned = Intern(key, keyHead.offset);
        if (recent) *recent = RecentKey{std::string(raw), &interned};
        return interned;
    }

    // One shared copy of every distinct key of the file: a packet repeats the same twelve keys in
    // every entry.
    const InternedKey& Intern(const Text& key, size_t offset) {
        auto found = m_interned.find(key);
        if (found != m_interned.end()) return found->second;
        Charge(InternedKeyCost(key.size()), offset);
        auto caseClass =
            m_caseClasses.try_emplace(UCase(key), static_cast<uint32_t>(m_caseClasses.size())).first;
        if (caseClass->second == m_lastMapOfClass.size()) m_lastMapOfClass.push_back(0);
        // Elements of an unordered_map keep their address, so references to them stay valid.
        return m_interned.emplace(key, InternedKey{SharedText(key), caseClass->second}).first->second;
    }

    // A key that AddNew matched to an earlier one: the earlier one keeps its spelling.
    [[noreturn]] void RefuseRepeatedKey(const Dictionary& dictionary, const Text& key, size_t offset) const {
        Text earlier;
        for (int32_t i = 1; i <= dictionary.Count(); ++i) {
            if (EqualsNoCase(dictionary.Key(i), key)) earlier = dictionary.Key(i);
        }
        m_reader.Fail(u"the key \"" + key + u"\" repeats the key \"" + earlier +
                          u"\" of the same map (keys must differ in more than letter case)",
                      offset);
    }

    VectorRef ReadArray(const CborHead& head, int depth) {
        CheckContainer(head, depth);
        Charge(VectorCost(head.argument), head.offset);
        VectorRef vector = Vector::Create();
        vector->Reserve(std::min<uint64_t>(head.argument, kReserveLimit));
        for (uint64_t i = 0; i < head.argument; ++i) {
            if (i == head.argument / 2 && head.argument > kReserveLimit) vector->Reserve(head.argument);
            vector->Add(ReadValue(depth));
        }
        return vector;
    }

    // depth is the level of the container holding the value.
    Variant ReadValue(int depth) {
        CborHead head = m_reader.ReadHead();
        switch (head.major) {
            case CborMajor::Unsigned:
                if (head.argument <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
                    return static_cast<int32_t>(head.argument);
                }
                if (head.argument <= kLargestExactInteger) return static_cast<double>(head.argument);
                m_reader.Fail(u"an integer beyond 2^53, which a packet file cannot hold exactly",
                              head.offset);
            case CborMajor::Negative:
                // The value is -1 - argument.
                if (head.argument <= static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
                    return static_cast<int32_t>(-1 - static_cast<int64_t>(head.argument));
                }
                if (head.argument < kLargestExactInteger) return -1.0 - static_cast<double>(head.argument);
                m_reader.Fail(u"an integer beyond -2^53, which a packet file cannot hold exactly",
                              head.offset);
            case CborMajor::Bytes:
                m_reader.Fail(u"a byte string, which a packet file cannot hold", head.offset);
            case CborMajor::Text:
                // Decoded in a reused buffer sized by the UTF-8 length, then copied to a text of its
                // exact length: Chinese text takes a third as many UTF-16 units as UTF-8 bytes.
                m_reader.ReadText(head, m_text);
                Charge(TextCost(m_text.size()), head.offset);
                return Variant(Text(m_text));
            case CborMajor::Array:
                return ReadArray(head, depth + 1);
            case CborMajor::Map:
                return ReadMap(head, depth + 1);
            case CborMajor::Tag:
                m_reader.Fail(
                    u"a tag (" + UInt64ToText(head.argument) + u"), which a packet file cannot hold",
                    head.offset);
            case CborMajor::Simple:
                break;
        }
        if (CborReader::IsFloat(head)) return CborReader::FloatValue(head);
        switch (head.argument) {
            case kCborFalse:
                return false;
            case kCborTrue:
                return true;
            case kCborNull:
                return Variant(NullValue{});
            case kCborUndefined:
                return Variant();
            default:
                m_reader.Fail(
                    u"the simple value " + UInt64ToText(head.argument) + u", which a packet file cannot hold",
                    head.offset);
        }
    }

    CborReader& m_reader;
    std::vector<Text> m_keys = std::vector<Text>(kMaxPacketDepth + 1);
    std::unordered_map<Text, InternedKey> m_interned;
    std::unordered_map<Text, uint32_t> m_caseClasses;  // upper-cased key -> case class
    std::vector<uint64_t> m_lastMapOfClass;            // case class -> number of the last map using it
    uint64_t m_maps = 0;                               // maps read so far; numbers them from 1
    struct RecentKey {
        std::string raw;
        const InternedKey* key = nullptr;
    };
    static constexpr uint64_t kRecentKeys = 32;
    std::vector<std::vector<RecentKey>> m_recent = std::vector<std::vector<RecentKey>>(kMaxPacketDepth + 1);
    Text m_text;
    const uint64_t m_memoryLimit;
    uint64_t m_memoryUsed = 0;
};

}  // namespace

EncodedPacket EncodePacketCharged(const Dictionary& root) { return PacketEncoder().Encode(root); }

std::string EncodePacket(const Dictionary& root) { return EncodePacketCharged(root).bytes; }

DictionaryRef DecodePacket(std::string_view bytes, const Text& sourceName) {
    CborReader reader(bytes, sourceName);
    return PacketDecoder(reader).Decode();
}

DictionaryRef DecodePacket(ByteSource& source, const Text& sourceName, size_t windowBytes) {
    CborReader reader(source, sourceName, windowBytes);
    return PacketDecoder(reader).Decode();
}

}  // namespace orva::components
