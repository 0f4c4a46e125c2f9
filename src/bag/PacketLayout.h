#pragma once
// What every writer of a packet file shares with the codec (PacketCodec.h describes the format): the
// envelope written before the root, the memory that loading charges each item, and the refusals a
// writer makes for a text or a tree that could not be loaded again. EncodePacket writes a dictionary
// tree with them; a writer that streams a packet straight from other data (core/BranchExport.h) uses
// the same ones, so that both give the same bytes and refuse the same trees.

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/Text.h"
#include "cbor/CborWriter.h"

namespace orva::components {

inline constexpr uint64_t kCborSelfDescribeTag = 55799;
inline constexpr std::string_view kPacketFormatName = "OrvaPacket";
inline constexpr uint64_t kPacketVersion = 1;
inline constexpr int kMaxPacketDepth = 64;
inline constexpr uint64_t kPacketMemoryPerByte = 16;
inline constexpr uint64_t kPacketMemoryAllowance = uint64_t{4} << 20;

// Writes the self-describe tag and the envelope map up to and including the key "root": the caller
// writes the root dictionary next, and the document is complete.
void WritePacketEnvelope(CborWriter& writer);

// The bytes of a packet file and what loading them charges (the sum compared with the limit below).
struct EncodedPacket {
    std::string bytes;
    uint64_t memory = 0;
};

// What loading charges each decoded item, about what it occupies in memory.
namespace packet_memory {
// A dictionary (map) of count entries, its keys apart.
uint64_t DictionaryCost(uint64_t count);
// A vector (array) of count items.
uint64_t VectorCost(uint64_t count);
// A text of this many UTF-16 units: nothing while it fits inside the text object itself.
uint64_t TextCost(size_t units);
// A key of a dictionary of count entries: nothing up to Dictionary::kLinearLimit entries, its index
// node beyond.
uint64_t KeyCost(size_t units, uint64_t count);
// Each distinct key of the file, once: its shared copy and the decoder's tables.
uint64_t InternedKeyCost(size_t units);
// The most a file of fileBytes may take once loaded.
uint64_t Limit(uint64_t fileBytes);
}  // namespace packet_memory

// Raises 5 when a packet of fileBytes charged memory in all would be refused by loading.
void CheckPacketMemory(uint64_t memory, uint64_t fileBytes);

// Raises 5 for text (a "text" or a "key", what) at keyPath ("$/CHS[3]/FName") holding a lone UTF-16
// surrogate, which has no UTF-8 form.
[[noreturn]] void RefuseLoneSurrogate(const char16_t* what, const automation::Text& keyPath,
                                      automation::TextView text);

}  // namespace orva::components
