#include "cbor/CborWriter.h"

#include <bit>
#include <cstddef>
#include <cstring>

namespace orva::components {

namespace {

constexpr uint8_t kUnsigned = 0, kNegative = 1, kTextString = 3, kArray = 4, kMap = 5, kTag = 6;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The size of a head (initial byte and argument) for argument.
size_t HeadSize(uint64_t argument) {
    return argument < 24 ? 1 : argument <= 0xFF ? 2 : argument <= 0xFFFF ? 3 : argument <= 0xFFFFFFFF ? 5 : 9;
}

// Writes the head of size HeadSize(argument) at out.
void PutHead(char* out, uint8_t major, uint64_t argument, size_t size) {
    static constexpr uint8_t kWidthCodes[] = {0, 0, 24, 25, 0, 26, 0, 0, 0, 27};
    const auto initial = static_cast<uint8_t>(major << 5);
    out[0] = static_cast<char>(initial | (size == 1 ? argument : kWidthCodes[size]));
    for (size_t i = 1; i < size; ++i) out[i] = static_cast<char>(argument >> (8 * (size - 1 - i)));
}

}  // namespace

void CborWriter::WriteHead(uint8_t major, uint64_t argument) {
    char head[9];
    const size_t size = HeadSize(argument);
    PutHead(head, major, argument, size);
    m_bytes.append(head, size);
}

void CborWriter::WriteTag(uint64_t tag) { WriteHead(kTag, tag); }

void CborWriter::WriteInteger(int64_t value) {
    if (value >= 0) {
        WriteHead(kUnsigned, static_cast<uint64_t>(value));
    } else {
        // -1 - value cannot overflow for any negative int64.
        WriteHead(kNegative, static_cast<uint64_t>(-1 - value));
    }
}

void CborWriter::WriteDouble(double value) {
    uint64_t bits = std::bit_cast<uint64_t>(value);
    char out[9];
    out[0] = static_cast<char>(0xFB);
    for (int i = 0; i < 8; ++i) out[1 + i] = static_cast<char>(bits >> (8 * (7 - i)));
    m_bytes.append(out, sizeof out);
}

void CborWriter::WriteBool(bool value) { m_bytes += static_cast<char>(value ? 0xF5 : 0xF4); }

void CborWriter::WriteNull() { m_bytes += static_cast<char>(0xF6); }

void CborWriter::WriteUndefined() { m_bytes += static_cast<char>(0xF7); }

void CborWriter::BeginArray(uint64_t count) { WriteHead(kArray, count); }

void CborWriter::BeginMap(uint64_t count) { WriteHead(kMap, count); }

bool CborWriter::WriteText(automation::TextView text) {
    // One pass straight into the buffer, with room for the longest UTF-8 form (3 bytes a unit; a
    // surrogate pair takes 4 for its 2) and the head that length would need; the text is moved up
    // to the head its real length needs afterwards.
    const size_t most = 3 * text.size();
    const size_t room = HeadSize(most);
    const size_t at = m_bytes.size();
    m_bytes.resize(at + room + most);
    char* const start = m_bytes.data() + at + room;
    char* out = start;
    for (const char16_t *unit = text.data(), *end = unit + text.size(); unit != end;) {
        const char32_t c = *unit++;
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (IsHigh(static_cast<char16_t>(c)) || IsLow(static_cast<char16_t>(c))) {
            if (!IsHigh(static_cast<char16_t>(c)) || unit == end || !IsLow(*unit)) {
                m_bytes.resize(at);  // a lone surrogate: nothing is written
                return false;
            }
            const char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (char32_t(*unit++) - 0xDC00);
            *out++ = static_cast<char>(0xF0 | (cp >> 18));
            *out++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            *out++ = static_cast<char>(0xE0 | (c >> 12));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    const auto length = static_cast<size_t>(out - start);
    const size_t head = HeadSize(length);
    if (head < room) std::memmove(start - room + head, start, length);
    PutHead(m_bytes.data() + at, kTextString, length, head);
    m_bytes.resize(at + head + length);
    return true;
}

void CborWriter::WriteUtf8(std::string_view utf8) {
    WriteHead(kTextString, utf8.size());
    m_bytes.append(utf8);
}

}  // namespace orva::components
