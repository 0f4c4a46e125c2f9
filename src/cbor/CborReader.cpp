#include "cbor/CborReader.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <string>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using automation::Text;
using automation::TextView;
using automation::UInt64ToText;

namespace {

constexpr size_t kNoFault = static_cast<size_t>(-1);

bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

// Decodes UTF-8 into out (room for size units, which always suffices) or, when kWrite is false,
// only checks it. Returns the index of the first faulty sequence, or kNoFault with written set.
template <bool kWrite>
size_t DecodeUtf8(const unsigned char* in, size_t size, char16_t* out, size_t& written) {
    size_t i = 0;
    size_t w = 0;
    while (i < size) {
        // Packet texts are mostly ASCII: take eight such bytes at a time.
        while (i + 8 <= size) {
            uint64_t chunk;
            std::memcpy(&chunk, in + i, 8);
            if (chunk & 0x8080808080808080ULL) break;
            if constexpr (kWrite) {
                for (size_t k = 0; k < 8; ++k) out[w + k] = in[i + k];
            }
            i += 8;
            w += 8;
        }
        if (i == size) break;
        unsigned char b = in[i];
        char32_t cp;
        size_t length;
        if (b < 0x80) {
            cp = b;
            length = 1;
        } else if (b >= 0xC2 && b <= 0xDF) {
            if (size - i < 2 || !IsContinuation(in[i + 1])) return i;
            cp = (char32_t(b & 0x1F) << 6) | (in[i + 1] & 0x3F);
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            if (size - i < 3 || !IsContinuation(in[i + 1]) || !IsContinuation(in[i + 2])) return i;
            if (b == 0xE0 && in[i + 1] < 0xA0) return i;   // overlong
            if (b == 0xED && in[i + 1] >= 0xA0) return i;  // a surrogate
            cp = (char32_t(b & 0x0F) << 12) | (char32_t(in[i + 1] & 0x3F) << 6) | (in[i + 2] & 0x3F);
            length = 3;
        } else if (b >= 0xF0 && b <= 0xF4) {
            if (size - i < 4 || !IsContinuation(in[i + 1]) || !IsContinuation(in[i + 2]) ||
                !IsContinuation(in[i + 3])) {
                return i;
            }
            if (b == 0xF0 && in[i + 1] < 0x90) return i;   // overlong
            if (b == 0xF4 && in[i + 1] >= 0x90) return i;  // above U+10FFFF
            cp = (char32_t(b & 0x07) << 18) | (char32_t(in[i + 1] & 0x3F) << 12) |
                 (char32_t(in[i + 2] & 0x3F) << 6) | (in[i + 3] & 0x3F);
            length = 4;
        } else {
            return i;
        }
        if constexpr (kWrite) {
            if (cp >= 0x10000) {
                out[w++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[w++] = static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
            } else {
                out[w++] = static_cast<char16_t>(cp);
            }
        }
        i += length;
    }
    written = w;
    return kNoFault;
}

double HalfToDouble(uint16_t half) {
    int exponent = (half >> 10) & 0x1F;
    int mantissa = half & 0x3FF;
    double value;
    if (exponent == 0) {
        value = std::ldexp(mantissa, -24);
    } else if (exponent != 31) {
        value = std::ldexp(mantissa + 1024, exponent - 25);
    } else {
        value = mantissa == 0 ? INFINITY : NAN;
    }
    return (half & 0x8000) ? -value : value;
}

}  // namespace

CborReader::CborReader(std::string_view bytes, Text sourceName)
    : m_data(bytes.data()),
      m_available(bytes.size()),
      m_size(bytes.size()),
      m_source(std::move(sourceName)) {}

CborReader::CborReader(ByteSource& source, Text sourceName, size_t windowBytes)
    : m_size(source.Size()),
      m_input(&source),
      m_windowBytes(std::max<size_t>(windowBytes, 1)),
      m_source(std::move(sourceName)) {}

void CborReader::Refill(size_t count) {
    // In memory the window is the whole input, and callers never ask beyond Remaining().
    if (!m_input) Fail(u"truncated data: an item is cut short", Offset());
    // Fewer bytes are kept than count asks for, so they always fit in the new capacity.
    size_t kept = m_available - m_position;
    // Grow for a long string; shrink back to the usual window once it has been read.
    size_t capacity = count <= m_windowBytes ? m_windowBytes : std::max(count, m_capacity);
    if (capacity != m_capacity) {
        std::unique_ptr<char[]> buffer(new char[capacity]);
        if (kept > 0) std::memcpy(buffer.get(), m_data + m_position, kept);
        m_buffer = std::move(buffer);
        m_capacity = capacity;
    } else if (kept > 0) {
        std::memmove(m_buffer.get(), m_data + m_position, kept);
    }
    m_windowStart += m_position;
    m_position = 0;
    m_data = m_buffer.get();
    m_available = kept;
    size_t wanted = std::min(m_capacity, m_size - m_windowStart);
    while (m_available < wanted) {
        size_t got =
            m_input->ReadAt(m_windowStart + m_available, m_buffer.get() + m_available, wanted - m_available);
        if (got == 0) break;
        m_available += got;
    }
    if (m_available < count) {
        Fail(u"truncated data: the input became shorter while it was read", m_windowStart + m_available);
    }
}

bool CborReader::AtEnd() {
    if (Offset() != m_size) return false;
    char probe;
    return !m_input || m_input->ReadAt(m_size, &probe, 1) == 0;
}

void CborReader::Seek(size_t offset) {
    if (offset >= m_windowStart && offset - m_windowStart <= m_available) {
        m_position = offset - m_windowStart;
    } else {
        // Only a source has bytes outside the window: the next read fetches them again from there.
        m_windowStart = offset;
        m_position = 0;
        m_available = 0;
    }
}

std::string_view CborReader::Peek(size_t count) {
    count = std::min(count, Remaining());
    Need(count);
    return std::string_view(m_data + m_position, count);
}

void CborReader::Fail(TextView what, size_t offset) const {
    automation::Raise(automation::errors::kBadFileFormat,
                      m_source + u": " + Text(what) + u" at byte " + UInt64ToText(offset));
}

CborHead CborReader::ReadHead() {
    size_t start = Offset();
    if (m_position == m_available) {
        if (Remaining() == 0) Fail(u"truncated data: an item is missing", start);
        Refill(1);
    }
    auto initial = static_cast<unsigned char>(m_data[m_position++]);
    CborHead head{static_cast<CborMajor>(initial >> 5), static_cast<uint8_t>(initial & 0x1F), 0, start};
    if (head.info < 24) {
        head.argument = head.info;
    } else if (head.info <= 27) {
        size_t width = size_t{1} << (head.info - 24);
        if (Remaining() < width) Fail(u"truncated data: the head of an item is cut short", start);
        Need(width);
        for (size_t i = 0; i < width; ++i) {
            head.argument = (head.argument << 8) | static_cast<unsigned char>(m_data[m_position + i]);
        }
        m_position += width;
    } else if (head.info == 31) {
        Fail(head.major == CborMajor::Simple ? u"a break code outside an indefinite-length item"
                                             : u"an indefinite-length item (only definite lengths are read)",
             start);
    } else {
        Fail(u"a reserved additional-information value " + UInt64ToText(head.info) +
                 u" (not well-formed CBOR)",
             start);
    }
    switch (head.major) {
        case CborMajor::Bytes:
        case CborMajor::Text:
            if (head.argument > Remaining()) {
                Fail(u"truncated data or a false length: a string of " + UInt64ToText(head.argument) +
                         u" bytes, but only " + UInt64ToText(Remaining()) + u" bytes are left",
                     start);
            }
            break;
        case CborMajor::Array:
            if (head.argument > Remaining()) {
                Fail(u"truncated data or a false count: an array of " + UInt64ToText(head.argument) +
                         u" items, but only " + UInt64ToText(Remaining()) + u" bytes are left",
                     start);
            }
            break;
        case CborMajor::Map:
            if (head.argument > Remaining() / 2) {
                Fail(u"truncated data or a false count: a map of " + UInt64ToText(head.argument) +
                         u" entries, but only " + UInt64ToText(Remaining()) + u" bytes are left",
                     start);
            }
            break;
        case CborMajor::Simple:
            if (head.info == 24 && head.argument < 32) {
                Fail(u"a simple value below 32 in two bytes (not well-formed CBOR)", start);
            }
            break;
        default:
            break;
    }
    return head;
}

std::string_view CborReader::ReadContent(const CborHead& head) {
    // The head was checked: the length is no more than the bytes left.
    auto size = static_cast<size_t>(head.argument);
    Need(size);
    std::string_view content(m_data + m_position, size);
    m_position += size;
    return content;
}

void CborReader::ReadText(const CborHead& head, Text& out) {
    size_t start = Offset();
    std::string_view content = ReadContent(head);
    out.resize(content.size());
    size_t written = 0;
    size_t fault = DecodeUtf8<true>(reinterpret_cast<const unsigned char*>(content.data()), content.size(),
                                    out.data(), written);
    if (fault != kNoFault) Fail(u"invalid UTF-8 in a text string", start + fault);
    out.resize(written);
}

bool CborReader::IsFloat(const CborHead& head) {
    return head.major == CborMajor::Simple && head.info >= kCborHalf && head.info <= kCborDouble;
}

double CborReader::FloatValue(const CborHead& head) {
    switch (head.info) {
        case kCborHalf:
            return HalfToDouble(static_cast<uint16_t>(head.argument));
        case kCborSingle:
            return std::bit_cast<float>(static_cast<uint32_t>(head.argument));
        default:
            return std::bit_cast<double>(head.argument);
    }
}

void CborReader::SkipItem(int maxDepth) {
    m_skipDepth = maxDepth;
    SkipItemAt(maxDepth);
}

void CborReader::SkipItemAt(int depthLeft) {
    CborHead head = ReadHead();
    switch (head.major) {
        case CborMajor::Bytes:
            ReadContent(head);
            break;
        case CborMajor::Text: {
            size_t start = Offset();
            std::string_view content = ReadContent(head);
            size_t written = 0;
            size_t fault = DecodeUtf8<false>(reinterpret_cast<const unsigned char*>(content.data()),
                                             content.size(), nullptr, written);
            if (fault != kNoFault) Fail(u"invalid UTF-8 in a text string", start + fault);
            break;
        }
        case CborMajor::Array:
        case CborMajor::Map:
        case CborMajor::Tag: {
            if (depthLeft < 0) {
                Fail(u"nesting deeper than " + UInt64ToText(static_cast<uint64_t>(m_skipDepth)) + u" levels",
                     head.offset);
            }
            uint64_t items = head.major == CborMajor::Map     ? head.argument * 2
                             : head.major == CborMajor::Array ? head.argument
                                                              : 1;
            for (uint64_t i = 0; i < items; ++i) SkipItemAt(depthLeft - 1);
            break;
        }
        default:
            break;
    }
}

}  // namespace orva::components
