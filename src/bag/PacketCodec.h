#pragma once
// PacketCodec: how property-bag values are laid out in the CBOR of a packet file. EncodePacket and
// DecodePacket (PacketFile.h) are built on it; the bytes are written by CborWriter and read back by
// CborReader.
//
// Envelope: the self-describe tag 55799 (the bytes D9 D9 F7), then a map of exactly three entries,
// written in this order: "format" -> "OrvaPacket", "version" -> 1, "root" -> the root dictionary as a
// map. Loading accepts the three envelope entries in any order (a CBOR tool that rewrites the file
// may sort them; a root before the version is checked, passed over and read again once the version is
// known) but no fourth one, and refuses another format name, another version and a root that is not a
// map.
//
// Values, as written:
//   Dictionary       map, keys as text strings in insertion order, each key in its stored spelling
//   Vector           array, items in index order
//   Text             text string (UTF-8); a text with a lone UTF-16 surrogate is refused (error 5)
//   Long, Integer    integer (shortest head); both load as Long, since CBOR keeps no integer width
//   Double           8-byte float, so every double (-0, infinities and NaN included) comes back exactly
//   Boolean          true / false
//   Null             null
//   Empty            undefined (simple value 23)
//   Nothing          undefined as well: it loads as Empty, which reads as nothing wherever an object
//                    is expected (null would load as Null, which raises 13 there)
// Anything else (an array of variants, an object that is neither a dictionary nor a vector, a
// dictionary or vector that contains itself, nesting deeper than kMaxPacketDepth) raises 13 naming
// the key path, e.g. "$/CHS[3]/FName". A dictionary or vector held at two places is written twice
// and loads as two separate objects.
//
// Loading is strict and bounded; besides what CborReader refuses, it refuses byte strings, tags
// other than the leading 55799, simple values other than false/true/null/undefined, map keys that
// are not text strings, two keys of one map that differ only in letter case, and nesting deeper
// than kMaxPacketDepth. It accepts what any CBOR writer may produce for the values above: integer
// heads of any width, and half, single and double precision floats (all loading as Double).
// Integers outside the 32-bit range load as Double while they are exact in a double (magnitude up
// to 2^53); larger ones are refused rather than rounded.
//
// Memory: loading charges every decoded item about what it occupies in memory (a container its object
// and a slot per item, a text its characters beyond the few held in place, a key its index node and,
// once per distinct key, its shared copy) and refuses the file once the total would pass
// kPacketMemoryPerByte times the file's size plus kPacketMemoryAllowance, before building further.
// Deployment packets take about 2.5 times their size; what comes near the bound is a file packed with
// tiny items (an empty array is one byte in the file and about 150 in memory). Saving adds up the
// same charges and refuses (error 5) a tree that loading would refuse, say a vector of half a million
// Booleans, so that no file is written, nor a good one replaced, that could not be loaded again.
// The charges, the limit and the envelope are in PacketLayout.h, shared with every writer.
//
// Depth: the root dictionary is level 0 and each dictionary or vector inside a container is one
// level deeper; a container below level 64 is refused, on saving and on loading alike (the JSON form
// has the same limit).

#include <cstdint>
#include <string_view>

#include "automation/Text.h"
#include "bag/Dictionary.h"
#include "bag/PacketLayout.h"
#include "cbor/ByteSource.h"
#include "cbor/CborReader.h"

namespace orva::components {

// EncodePacket (PacketFile.h), with what loading the bytes charges besides.
EncodedPacket EncodePacketCharged(const Dictionary& root);

// DecodePacket (PacketFile.h) over bytes read from source through a window of windowBytes rather than
// held in memory: LoadPacketFile streams the file this way. Refuses exactly what DecodePacket refuses,
// at the same offsets, and raises what source.ReadAt raises.
DictionaryRef DecodePacket(ByteSource& source, const automation::Text& sourceName,
                           size_t windowBytes = kCborWindowBytes);

}  // namespace orva::components
