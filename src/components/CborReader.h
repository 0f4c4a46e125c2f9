#pragma once
// CborReader: a strict, bounded pull reader of CBOR data items (RFC 8949) over bytes held in memory.
// It reads one head at a time and never allocates by a length or count it has not checked against
// the bytes that are left: a string must fit in them, and an array or map can claim no more items
// than one byte each could hold. It accepts definite lengths only; indefinite-length items,
// reserved encodings and two-byte simple values below 32 are refused as not well-formed.
//
// Every refusal raises AutomationError 321 with "<source>: <what> at byte <offset>", the offset
// counted from the start of the input. The reader knows nothing of packet files: PacketCodec.cpp
// decides which items a packet may hold.

#include <cstdint>
#include <string_view>

#include "automation/Text.h"

namespace orva::components {

enum class CborMajor : uint8_t { Unsigned, Negative, Bytes, Text, Array, Map, Tag, Simple };

struct CborHead {
    CborMajor major;
    uint8_t info;       // the low five bits of the initial byte
    uint64_t argument;  // integer, string length, item count, tag number, simple value or float bits
    size_t offset;      // where the head starts in the input
};

// Simple values and float widths as the low five bits of major type 7 give them.
inline constexpr uint8_t kCborFalse = 20, kCborTrue = 21, kCborNull = 22, kCborUndefined = 23;
inline constexpr uint8_t kCborHalf = 25, kCborSingle = 26, kCborDouble = 27;

class CborReader {
public:
    // bytes must outlive the reader; sourceName is named in every refusal.
    CborReader(std::string_view bytes, automation::Text sourceName);
    CborReader(const CborReader&) = delete;
    CborReader& operator=(const CborReader&) = delete;

    size_t Offset() const { return m_offset; }
    size_t Remaining() const { return m_bytes.size() - m_offset; }
    bool AtEnd() const { return m_offset == m_bytes.size(); }
    // Moves to an offset earlier handed out by Offset().
    void Seek(size_t offset) { m_offset = offset; }

    // Reads the head of the next item. For strings, the reader then stands at their content, which
    // ReadText or ReadContent must consume; for arrays, maps and tags at their first enclosed item.
    CborHead ReadHead();

    // The content of the byte or text string whose head was just read.
    std::string_view ReadContent(const CborHead& head);

    // The content of the text string whose head was just read, decoded straight into UTF-16 (out is
    // replaced). Refuses invalid UTF-8 (overlong forms, surrogates, values above U+10FFFF, cut
    // sequences), naming the offset of the faulty sequence.
    void ReadText(const CborHead& head, automation::Text& out);

    // True for a head of a half, single or double precision float; FloatValue gives its value.
    static bool IsFloat(const CborHead& head);
    static double FloatValue(const CborHead& head);

    // Skips one whole item, checking it as the Read functions do (the UTF-8 of texts included).
    // Arrays, maps and tags nested more than maxDepth levels inside it are refused.
    void SkipItem(int maxDepth);

    // Raises 321 "<source>: <what> at byte <offset>".
    [[noreturn]] void Fail(automation::TextView what, size_t offset) const;

private:
    void SkipItemAt(int depthLeft);

    std::string_view m_bytes;
    size_t m_offset = 0;
    automation::Text m_source;
    int m_skipDepth = 0;
};

}  // namespace orva::components
