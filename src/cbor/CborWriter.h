#pragma once
// CborWriter: appends CBOR data items (RFC 8949) to a byte string, always in the shortest form of
// each head and with definite lengths only, so equal input gives equal bytes. It knows nothing of
// the property bag; PacketCodec.cpp maps dictionaries and vectors onto it.

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/Text.h"

namespace orva::components {

class CborWriter {
public:
    CborWriter() = default;
    CborWriter(const CborWriter&) = delete;
    CborWriter& operator=(const CborWriter&) = delete;

    void WriteTag(uint64_t tag);
    void WriteInteger(int64_t value);
    void WriteDouble(double value);  // always as an 8-byte float, so every double comes back bit for bit
    void WriteBool(bool value);
    void WriteNull();
    void WriteUndefined();

    // Heads of definite-length containers; the caller writes count items (maps: count key/value pairs).
    void BeginArray(uint64_t count);
    void BeginMap(uint64_t count);

    // Writes text as a UTF-8 text string, converted straight from UTF-16. Returns false, writing
    // nothing, when the text holds a lone surrogate: such text has no UTF-8 form, and writing a
    // replacement character would alter it.
    [[nodiscard]] bool WriteText(automation::TextView text);
    // Writes ASCII or already valid UTF-8 as a text string.
    void WriteUtf8(std::string_view utf8);
    // Appends whole items this writer encoded before (a copy of a span of Bytes()), as they are.
    void WriteEncoded(std::string_view items) { m_bytes.append(items); }
    // Makes room for size bytes in all, in advance.
    void Reserve(size_t size) { m_bytes.reserve(size); }

    // The bytes written so far; TakeBytes hands them over and leaves the writer empty.
    const std::string& Bytes() const { return m_bytes; }
    std::string TakeBytes() { return std::move(m_bytes); }
    // Forgets the bytes written so far and keeps the room they took, for a writer that hands its
    // bytes on piece by piece.
    void Clear() { m_bytes.clear(); }

private:
    void WriteHead(uint8_t major, uint64_t argument);

    std::string m_bytes;
};

}  // namespace orva::components
