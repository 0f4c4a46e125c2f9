#include "automation/Text.h"

#include "automation/AutomationError.h"
#include "automation/Utf8Decode.h"

namespace orva::automation {

namespace {

bool IsHigh(char16_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

std::string Encode(TextView text, bool lossy) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (IsHigh(c) && i + 1 < text.size() && IsLow(text[i + 1])) {
            char32_t cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00);
            AppendUtf8(out, cp);
            ++i;
        } else if (IsHigh(c) || IsLow(c)) {
            if (!lossy) {
                throw AutomationError(5, u"The text holds a lone UTF-16 surrogate at position " +
                                             FromUtf8(std::to_string(i + 1)) +
                                             u" and cannot be written as UTF-8");
            }
            AppendUtf8(out, 0xFFFD);
        } else {
            AppendUtf8(out, c);
        }
    }
    return out;
}

[[noreturn]] void FailUtf8(size_t at) {
    std::string msg = "Invalid UTF-8 at byte offset " + std::to_string(at);
    Text t;
    for (char ch : msg) t += static_cast<char16_t>(ch);
    throw AutomationError(5, t);
}

constexpr size_t kValidUtf8 = std::string_view::npos;

// Decodes utf8, handing each code point to sink, up to the first sequence that is not valid UTF-8
// (overlong forms, surrogates, values above U+10FFFF): returns its byte offset, or kValidUtf8.
template <typename Sink>
size_t DecodeUtf8(std::string_view utf8, Sink&& sink) {
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            sink(static_cast<char32_t>(b));
            ++i;
            continue;
        }
        size_t len;
        char32_t cp;
        char32_t min;
        if ((b & 0xE0) == 0xC0) {
            len = 2, cp = b & 0x1F, min = 0x80;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3, cp = b & 0x0F, min = 0x800;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4, cp = b & 0x07, min = 0x10000;
        } else {
            return i;
        }
        if (i + len > utf8.size()) return i;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cont = static_cast<unsigned char>(utf8[i + k]);
            if ((cont & 0xC0) != 0x80) return i;
            cp = (cp << 6) | (cont & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return i;
        sink(cp);
        i += len;
    }
    return kValidUtf8;
}

// Appends the UTF-16 form of cp to out.
void AppendUtf16(Text& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

}  // namespace

Text FromUtf8(std::string_view utf8) {
    Text out;
    out.reserve(utf8.size());
    size_t fault = DecodeUtf8(utf8, [&out](char32_t cp) { AppendUtf16(out, cp); });
    if (fault != kValidUtf8) FailUtf8(fault);
    return out;
}

void RequireUtf8(std::string_view utf8) {
    size_t fault = DecodeUtf8(utf8, [](char32_t) {});
    if (fault != kValidUtf8) FailUtf8(fault);
}

bool DecodeValidUtf8(std::string_view utf8, Text& out) {
    // Sized exactly, so that a short text stays within the string itself: one unit for each byte
    // that starts a character, two for a character beyond U+FFFF.
    size_t units = 0;
    for (char byte : utf8) {
        const auto b = static_cast<unsigned char>(byte);
        units += ((b & 0xC0) != 0x80) + (b >= 0xF0);
    }
    out.clear();
    out.reserve(units);
    return DecodeUtf8(utf8, [&out](char32_t cp) { AppendUtf16(out, cp); }) == kValidUtf8;
}

std::string ToUtf8(TextView text) { return Encode(text, false); }

std::string ToUtf8Lossy(TextView text) { return Encode(text, true); }

Text FromUtf8Lossy(std::string_view utf8) {
    try {
        return FromUtf8(utf8);
    } catch (const AutomationError&) {
        // Decoded piece by piece below (rare: messages and names are valid UTF-8 almost always).
    }
    Text out;
    for (size_t i = 0; i < utf8.size();) {
        size_t length = 1;
        for (; length <= 4 && i + length <= utf8.size(); ++length) {
            try {
                out += FromUtf8(utf8.substr(i, length));
                break;
            } catch (const AutomationError&) {
                // Not a whole character yet: try one byte more.
            }
        }
        if (length > 4 || i + length > utf8.size()) {
            out += u'\uFFFD';
            length = 1;
        }
        i += length;
    }
    return out;
}

size_t FindLoneSurrogate(TextView text) {
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
            ++i;
        } else if (IsHigh(text[i]) || IsLow(text[i])) {
            return i;
        }
    }
    return TextView::npos;
}

}  // namespace orva::automation
