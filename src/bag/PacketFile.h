#pragma once
// The packet file: a dictionary with everything it holds, saved as one CBOR document (RFC 8949).
// Layout: self-describe tag 55799, then a map {"format": "OrvaPacket", "version": 1, "root": <value>}.
// Dictionaries are CBOR maps with text keys in insertion order, vectors are arrays, texts are UTF-8
// text strings, Booleans and numbers are themselves. Any CBOR tool can read the file.
//
// The file travels between installations, so loading treats it as untrusted input: it is read
// strictly and within bounds, and every refusal names the file and what is wrong where.

#include <string>
#include <string_view>

#include "automation/Text.h"
#include "bag/Dictionary.h"

namespace orva::components {

// Writes root to path, crash-safely (WriteFileAtomically, AtomicFile.h): a temporary file in the same
// folder is written, flushed and synced, then renamed over path, and the folder synced; a symbolic
// link is followed, a folder, device or FIFO at path is refused. Raises (76 path not found, 70
// permission denied or not a regular file, 57 device I/O, 5 for a text with a lone surrogate or a
// tree that loading would refuse for its memory (PacketCodec.h), 13 for a value that a packet file
// cannot hold) and then leaves an earlier file at path untouched and no temporary file behind.
void SavePacketFile(const automation::Text& path, const Dictionary& root);

// Reads the dictionary saved at path. Raises 53 for a missing file, 76 for a missing folder, 70 for
// a folder, device or other non-regular file, 7 when memory runs out, 5 for a path that is not
// valid text, and 321 for a file that is not a well-formed packet file of a known version (the
// description names the file and the byte offset).
DictionaryRef LoadPacketFile(const automation::Text& path);

// The bytes of a packet file holding root, and back (raising as SavePacketFile and LoadPacketFile
// do). DecodePacket names sourceName in its errors.
std::string EncodePacket(const Dictionary& root);
DictionaryRef DecodePacket(std::string_view bytes, const automation::Text& sourceName);

}  // namespace orva::components
