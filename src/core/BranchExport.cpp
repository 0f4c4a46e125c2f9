#include "core/BranchExport.h"

#include <algorithm>
#include <functional>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/SharedText.h"
#include "bag/Vector.h"
#include "cbor/CborWriter.h"
#include "core/BranchEntry.h"
#include "core/DeployPacket.h"
#include "storage/AtomicFile.h"

namespace orva::core {

using namespace automation;
using namespace components;

DictionaryRef BuildBranchPacketSet(std::span<const BranchDetail> details) {
    const std::array<BranchEntryField, kBranchEntryFieldCount>& fields = BranchEntryFields();
    // The keys are made once per packet set and shared by all its entries: the entries are filled
    // without looking a key up, each key being a text of its own (the fields' keys differ in more than
    // letter case).
    std::array<SharedText, kBranchEntryFieldCount> keys;
    for (size_t i = 0; i < fields.size(); ++i) keys[i] = SharedText(fields[i].key);
    BranchEntryValues values;
    std::array<VectorRef, 3> packets;
    for (VectorRef& packet : packets) {
        packet = Vector::Create();
        packet->Reserve(details.size());
    }
    for (const BranchDetail& detail : details) {
        for (size_t k = 0; k < packets.size(); ++k) {
            values.Select(detail, k);
            DictionaryRef entry = Dictionary::Create();
            entry->Reserve(keys.size());
            for (size_t i = 0; i < fields.size(); ++i)
                entry->AppendUnique(keys[i], Text(values.Value(fields[i])));
            packets[k]->Add(std::move(entry));
        }
    }
    DictionaryRef packetSet = Dictionary::Create();
    for (size_t k = 0; k < packets.size(); ++k) packetSet->SetValue(kPacketLanguages[k], packets[k]);
    return packetSet;
}

namespace {

// A file is written in pieces of about this size as they are encoded: the same few hundred kilobytes
// of memory are used again, rather than a buffer the size of the file.
constexpr size_t kChunkBytes = size_t{1} << 18;

// Runs check, naming the file (prefix, "<path>: ") in the error it raises.
template <typename Check>
void Naming(const Text& prefix, Check&& check) {
    try {
        check();
    } catch (const AutomationError& error) {
        if (prefix.empty()) throw;
        Raise(error.Number(), prefix + error.Description());
    }
}

// Encodes the packet set of details as EncodePacket would encode BuildBranchPacketSet(details): hands
// the bytes to write in order, in pieces of at least chunkBytes, and returns the rest once the memory
// check has passed (all of the bytes when they stay below chunkBytes), with what loading all the bytes
// charges. Refusals are EncodePacket's, their messages starting with prefix; what write raises passes
// on as it is.
EncodedPacket StreamBranchPacketSet(std::span<const BranchDetail> details, const Text& prefix,
                                    size_t chunkBytes, const std::function<void(std::string_view)>& write) {
    using namespace packet_memory;
    const std::array<BranchEntryField, kBranchEntryFieldCount>& fields = BranchEntryFields();
    const uint64_t count = details.size();
    // Every entry is a map of the same keys in the same order: their bytes are made once, and so is
    // what loading charges an entry for its map and keys; each distinct key is charged once in the file.
    std::array<std::string, kBranchEntryFieldCount> keyBytes;
    uint64_t entryCost = DictionaryCost(fields.size());
    uint64_t keysCost = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        CborWriter key;
        (void)key.WriteText(fields[i].key);  // ASCII
        keyBytes[i] = key.TakeBytes();
        entryCost += KeyCost(fields[i].key.size(), fields.size());
        keysCost += InternedKeyCost(fields[i].key.size());
    }
    CborWriter writer;
    uint64_t written = 0;
    const auto flush = [&] {
        written += writer.Bytes().size();
        write(writer.Bytes());
        writer.Clear();
    };
    WritePacketEnvelope(writer);
    writer.BeginMap(std::size(kPacketLanguages));
    uint64_t memory = DictionaryCost(std::size(kPacketLanguages)) + (count > 0 ? keysCost : 0);
    BranchEntryValues values;
    // For the fields whose values are the identifiers and names of the nodes above the details: the
    // field's key and encoded value, with the node the value came from. Consecutive entries mostly
    // share those nodes, and then key and value are copied at once, not encoded again. A value is
    // encoded where an entry first needs it, so that a name that cannot be encoded is met at the same
    // field as when the tree is encoded.
    struct FieldBytes {
        bool fromAbove = false;
        const BranchNode* node = nullptr;
        std::string bytes;
    };
    std::array<FieldBytes, kBranchEntryFieldCount> kept;
    for (size_t i = 0; i < fields.size(); ++i) {
        kept[i].fromAbove = fields[i].level < 3 && (fields[i].source == BranchEntryField::Source::Id ||
                                                    fields[i].source == BranchEntryField::Source::Name);
    }
    for (size_t k = 0; k < std::size(kPacketLanguages); ++k) {
        const TextView language = kPacketLanguages[k];
        for (FieldBytes& field : kept) field.node = nullptr;  // the names change with the language
        (void)writer.WriteText(language);                     // ASCII
        memory += InternedKeyCost(language.size()) + KeyCost(language.size(), std::size(kPacketLanguages));
        writer.BeginArray(count);
        memory += VectorCost(count) + count * entryCost;
        for (size_t index = 0; index < details.size(); ++index) {
            const size_t before = writer.Bytes().size();
            values.Select(details[index], k);
            writer.BeginMap(fields.size());
            for (size_t i = 0; i < fields.size(); ++i) {
                const BranchEntryField& field = fields[i];
                const TextView value = values.Value(field);
                memory += TextCost(value.size());
                const BranchNode* node = values.Node(field.level);
                if (kept[i].fromAbove && kept[i].node == node) {
                    writer.WriteEncoded(kept[i].bytes);
                    continue;
                }
                const size_t start = writer.Bytes().size();
                writer.WriteEncoded(keyBytes[i]);
                if (!writer.WriteText(value)) {
                    Naming(prefix, [&] {
                        RefuseLoneSurrogate(u"text",
                                            u"$/" + Text(language) + u"[" +
                                                Int32ToText(static_cast<int32_t>(index + 1)) + u"]/" +
                                                fields[i].key,
                                            value);
                    });
                }
                if (kept[i].fromAbove) {
                    kept[i].node = node;
                    kept[i].bytes.assign(writer.Bytes(), start);
                }
            }
            // The entries are alike: room for as many as a piece holds (or all of them) spares copying
            // the bytes as they grow.
            if (k == 0 && index == 0) {
                const size_t all = (writer.Bytes().size() - before) * count * std::size(kPacketLanguages);
                const size_t room = std::min(all, chunkBytes);
                writer.Reserve(writer.Bytes().size() + room + room / 4);
            }
            if (writer.Bytes().size() >= chunkBytes) flush();
        }
    }
    Naming(prefix, [&] { CheckPacketMemory(memory, written + writer.Bytes().size()); });
    return {writer.TakeBytes(), memory};
}

}  // namespace

EncodedPacket EncodeBranchPacketSet(std::span<const BranchDetail> details) {
    return StreamBranchPacketSet(details, Text(), SIZE_MAX, nullptr);
}

void SaveBranchPacketSet(const Text& path, std::span<const BranchDetail> details) {
    // The temporary file is made first and receives the pieces as they are encoded; a refusal on the
    // way removes it, leaving an earlier file at path as it was.
    AtomicFile file(path, AtomicFile::Publication::Replace);
    const auto write = [&file](std::string_view bytes) { file.Write(bytes); };
    file.Write(StreamBranchPacketSet(details, path + u": ", kChunkBytes, write).bytes);
    file.Publish();
}

DictionaryRef ExportCatalogBranches(const AccountAddress& account, std::span<const BranchRoot> roots,
                                    bool includeHidden, const BranchProgress& progress) {
    std::vector<BranchDetail> details = ReadCatalogBranches(account, roots, includeHidden, progress);
    return BuildBranchPacketSet(details);
}

}  // namespace orva::core
