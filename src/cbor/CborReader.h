#pragma once
// CborReader: a strict, bounded pull reader of CBOR data items (RFC 8949), over bytes held in memory
// or read from a ByteSource through a bounded window (64 KiB, grown only as far as one string needs
// while it is read; its length has been checked against the bytes left first). It reads one head at a
// time and never allocates by a length or count it has not checked against the bytes that are left: a
// string must fit in them, and an array or map can claim no more items than one byte each could hold.
// It accepts definite lengths only; indefinite-length items, reserved encodings and two-byte simple
// values below 32 are refused as not well-formed.
//
// Every refusal raises AutomationError 321 with "<source>: <what> at byte <offset>", the offset
// counted from the start of the input, whatever part of it the window holds. The reader knows
// nothing of packet files: PacketCodec.cpp decides which items a packet may hold.

#include <cstdint>
#include <memory>
#include <string_view>

#include "automation/Text.h"
#include "cbor/ByteSource.h"

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

// The bytes a reader over a ByteSource keeps in memory, unless one string needs more.
inline constexpr size_t kCborWindowBytes = 64 * 1024;

class CborReader {
public:
    // bytes must outlive the reader; sourceName is named in every refusal.
    CborReader(std::string_view bytes, automation::Text sourceName);
    // source must outlive the reader; its Size() bounds every length. windowBytes is the usual
    // window (tests make it tiny). A source that yields fewer bytes than its size promised (a file cut
    // short while it is read) is refused as truncated data where the bytes ran out.
    CborReader(ByteSource& source, automation::Text sourceName, size_t windowBytes = kCborWindowBytes);
    CborReader(const CborReader&) = delete;
    CborReader& operator=(const CborReader&) = delete;

    size_t Offset() const { return m_windowStart + m_position; }
    size_t Remaining() const { return m_size - Offset(); }
    // True at the end of the input. For a source, it also makes sure nothing follows the size known
    // at the start (a file that grew while it was read is not at its end).
    bool AtEnd();
    // Moves to an offset earlier handed out by Offset(). Within the window (the few bytes of a string
    // just read) this is free; further back, a source reads the bytes again.
    void Seek(size_t offset);

    // The next count bytes (fewer where the input ends) without moving past them; valid until the
    // next call that reads.
    std::string_view Peek(size_t count);

    // Reads the head of the next item. For strings, the reader then stands at their content, which
    // ReadText or ReadContent must consume; for arrays, maps and tags at their first enclosed item.
    CborHead ReadHead();

    // The content of the byte or text string whose head was just read; valid until the next call
    // that reads.
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
    // Makes the next count bytes (no more than Remaining()) available in the window.
    void Need(size_t count) {
        if (m_available - m_position < count) Refill(count);
    }
    void Refill(size_t count);

    // The window: input bytes [m_windowStart, m_windowStart + m_available) at m_data; the reader
    // stands at m_position inside it. In memory the window is the whole input.
    const char* m_data = nullptr;
    size_t m_available = 0;
    size_t m_position = 0;
    size_t m_windowStart = 0;
    size_t m_size = 0;  // the size of the whole input
    ByteSource* m_input = nullptr;
    std::unique_ptr<char[]> m_buffer;
    size_t m_capacity = 0;
    size_t m_windowBytes = 0;
    automation::Text m_source;
    int m_skipDepth = 0;
};

}  // namespace orva::components
