#include "cbor/CborWriter.h"

#include <algorithm>
#include <bit>
#include <cstddef>

namespace orva::components {

namespace {

constexpr uint8_t kUnsigned = 0, kNegative = 1, kTextString = 3, kArray = 4, kMap = 5, kTag = 6;

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Number of UTF-8 bytes text needs, or SIZE_MAX when it holds a lone surrogate.
size_t Utf8Length(automation::TextView text) {
    size_t length = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (c < 0x80) {
            length += 1;
        } else if (c < 0x800) {
            length += 2;
        } else if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            length += 4;
            ++i;
        } else if (IsHigh(c) || IsLow(c)) {
            return SIZE_MAX;
        } else {
            length += 3;
        }
    }
    return length;
}

}  // namespace

void CborWriter::WriteHead(uint8_t major, uint64_t argument) {
    char head[9];
    size_t size;
    uint8_t initial = static_cast<uint8_t>(major << 5);
    if (argument < 24) {
        head[0] = static_cast<char>(initial | argument);
        size = 1;
    } else if (argument <= 0xFF) {
        head[0] = static_cast<char>(initial | 24);
        size = 2;
    } else if (argument <= 0xFFFF) {
        head[0] = static_cast<char>(initial | 25);
        size = 3;
    } else if (argument <= 0xFFFFFFFF) {
        head[0] = static_cast<char>(initial | 26);
        size = 5;
    } else {
        head[0] = static_cast<char>(initial | 27);
        size = 9;
    }
    for (size_t i = 1; i < size; ++i) {
        head[i] = static_cast<char>(argument >> (8 * (size - 1 - i)));
    }
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
    // ASCII (keys, identifiers, English names) is one byte a unit, copied in one narrowing loop.
    size_t ascii = 0;
    while (ascii < text.size() && text[ascii] < 0x80) ++ascii;
    if (ascii == text.size()) {
        WriteHead(kTextString, text.size());
        size_t at = m_bytes.size();
        m_bytes.resize(at + text.size());
        std::transform(text.begin(), text.end(), m_bytes.begin() + static_cast<std::ptrdiff_t>(at),
                       [](char16_t unit) { return static_cast<char>(unit); });
        return true;
    }
    size_t length = Utf8Length(text.substr(ascii));
    if (length == SIZE_MAX) return false;
    length += ascii;
    WriteHead(kTextString, length);
    size_t at = m_bytes.size();
    m_bytes.resize(at + length);
    char* out = m_bytes.data() + at;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
        } else if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
        } else if (IsHigh(static_cast<char16_t>(c))) {
            // Utf8Length has made sure a low surrogate follows.
            char32_t cp = 0x10000 + ((c - 0xD800) << 10) + (char32_t(text[++i]) - 0xDC00);
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
    return true;
}

void CborWriter::WriteUtf8(std::string_view utf8) {
    WriteHead(kTextString, utf8.size());
    m_bytes.append(utf8);
}

}  // namespace orva::components
