#include "bag/PacketLayout.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/SharedText.h"
#include "bag/Vector.h"

namespace orva::components {

using namespace automation;

namespace {

// Heap blocks carry a header besides what they hold; objects made by make_shared a control block as
// well.
constexpr uint64_t kBlockOverhead = 16;
constexpr uint64_t kVectorCost = sizeof(Vector) + 2 * kBlockOverhead;
constexpr uint64_t kDictionaryCost = sizeof(Dictionary) + 2 * kBlockOverhead;
constexpr uint64_t kItemCost = sizeof(Variant);
constexpr uint64_t kEntryCost = sizeof(Variant) + sizeof(SharedText);
// A key of a dictionary above the linear-search limit also has a node in its index once the
// dictionary is looked up: an upper-cased copy of the key, its position, hash, link and bucket.
constexpr uint64_t kIndexedKeyCost = sizeof(Text) + 4 * sizeof(size_t) + kBlockOverhead;
// A distinct key of the file: its shared block and the decoder's two tables (the key and its
// upper-cased form, with their nodes).
constexpr uint64_t kInternedKeyCost = 3 * (sizeof(Text) + 4 * sizeof(size_t) + kBlockOverhead);
const size_t kShortTextUnits = Text().capacity();  // held inside the text itself, without a block

}  // namespace

void WritePacketEnvelope(CborWriter& writer) {
    writer.WriteTag(kCborSelfDescribeTag);
    writer.BeginMap(3);
    writer.WriteUtf8("format");
    writer.WriteUtf8(kPacketFormatName);
    writer.WriteUtf8("version");
    writer.WriteInteger(static_cast<int64_t>(kPacketVersion));
    writer.WriteUtf8("root");
}

namespace packet_memory {

uint64_t DictionaryCost(uint64_t count) { return kDictionaryCost + count * kEntryCost; }

uint64_t VectorCost(uint64_t count) { return kVectorCost + count * kItemCost; }

uint64_t TextCost(size_t units) {
    return units <= kShortTextUnits ? 0 : (units + 1) * sizeof(char16_t) + kBlockOverhead;
}

uint64_t KeyCost(size_t units, uint64_t count) {
    return count > Dictionary::kLinearLimit ? kIndexedKeyCost + TextCost(units) : 0;
}

uint64_t InternedKeyCost(size_t units) { return kInternedKeyCost + 3 * TextCost(units); }

uint64_t Limit(uint64_t fileBytes) { return kPacketMemoryPerByte * fileBytes + kPacketMemoryAllowance; }

}  // namespace packet_memory

void CheckPacketMemory(uint64_t memory, uint64_t fileBytes) {
    // A file that loading would refuse is not written: it would replace a good file by one that
    // cannot be read back.
    const uint64_t limit = packet_memory::Limit(fileBytes);
    if (memory > limit) {
        Raise(errors::kInvalidCall, u"too many small items for the file's size: loaded, they would take " +
                                        UInt64ToText(memory) + u" bytes of memory, more than " +
                                        UInt64ToText(limit) + u" (" + UInt64ToText(kPacketMemoryPerByte) +
                                        u" times the file size, and " + UInt64ToText(kPacketMemoryAllowance) +
                                        u" bytes), so the file could not be loaded again");
    }
}

void RefuseLoneSurrogate(const char16_t* what, const Text& keyPath, TextView text) {
    Raise(errors::kInvalidCall,
          u"the " + Text(what) + u" at " + keyPath + u" holds a lone UTF-16 surrogate at position " +
              UInt64ToText(FindLoneSurrogate(text) + 1) + u" and cannot be saved without altering it");
}

}  // namespace orva::components
