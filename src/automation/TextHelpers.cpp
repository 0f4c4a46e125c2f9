#include "automation/TextHelpers.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>
#include <unicode/uvernum.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

#include "automation/AutomationError.h"
#include "automation/OnDemandLibrary.h"

namespace orva::automation {

namespace {

constexpr char16_t kSpace = u' ';

#define ORVA_ICU_NAME(name) ORVA_ICU_QUOTE(name)
#define ORVA_ICU_QUOTE(name) #name

// ICU's simple upper-case mapping, from libicuuc opened when the first text beyond ASCII is
// upper-cased: most runs upper-case only ASCII (languages, keys, file names) and never load ICU and
// its 30 MB data library. ICU's functions carry its major version in their names (u_toupper is a
// macro for u_toupper_72), so the name is the one of the headers built against.
UChar32 IcuToUpper(UChar32 c) {
    static OnDemandLibrary icu("libicuuc.so." U_ICU_VERSION_SHORT, "libicu" U_ICU_VERSION_SHORT,
                               "the Unicode library");
    static const auto toUpper = icu.Function<UChar32 (*)(UChar32)>(ORVA_ICU_NAME(u_toupper));
    return toUpper(c);
}

[[noreturn]] void NotANumber(TextView text) {
    Raise(errors::kTypeMismatch, u"Type mismatch: \"" + Text(text) + u"\" is not a number");
}

// Parses [sign] digits [. digits] between optional spaces into the nearest value of type T (digit by
// digit sums would drift: "1234567.891" must give the double that literal gives). A magnitude too
// large for T raises 6; one too small reads as zero.
template <typename T>
T ParseDecimal(TextView text) {
    Text body = Trim(text);
    std::string ascii;
    ascii.reserve(body.size());
    size_t i = 0;
    if (i < body.size() && (body[i] == u'-' || body[i] == u'+')) {
        if (body[i] == u'-') ascii += '-';
        ++i;
    }
    size_t digits = 0;
    bool point = false;
    bool wholePart = false;  // a non-zero digit before the point
    for (; i < body.size(); ++i) {
        char16_t c = body[i];
        if (c >= u'0' && c <= u'9') {
            ++digits;
            if (!point && c != u'0') wholePart = true;
        } else if (c != u'.' || point) {
            break;
        } else {
            point = true;
        }
        ascii += static_cast<char>(c);
    }
    if (digits == 0 || i != body.size()) NotANumber(text);
    T value{};
    auto [end, error] =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::fixed);
    if (error == std::errc::result_out_of_range) {
        if (wholePart) {
            Raise(errors::kOverflow, u"Overflow: \"" + Text(text) + u"\" lies outside the range of numbers");
        }
        return T{};
    }
    if (error != std::errc() || end != ascii.data() + ascii.size()) NotANumber(text);
    return value;
}

}  // namespace

Text LTrim(TextView text) {
    size_t start = 0;
    while (start < text.size() && text[start] == kSpace) ++start;
    return Text(text.substr(start));
}

Text RTrim(TextView text) {
    size_t end = text.size();
    while (end > 0 && text[end - 1] == kSpace) --end;
    return Text(text.substr(0, end));
}

Text Trim(TextView text) { return LTrim(RTrim(text)); }

Text UCase(TextView text) {
    Text out;
    out.reserve(text.size());
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        for (char16_t c : text) out += (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
        return out;
    }
    size_t i = 0;
    while (i < text.size()) {
        UChar32 cp;
        size_t start = i;
        U16_NEXT(text.data(), i, text.size(), cp);
        UChar32 upper = IcuToUpper(cp);
        if (U16_LENGTH(upper) == static_cast<int>(i - start)) {
            if (U16_LENGTH(upper) == 1) {
                out += static_cast<char16_t>(upper);
            } else {
                out += static_cast<char16_t>(U16_LEAD(upper));
                out += static_cast<char16_t>(U16_TRAIL(upper));
            }
        } else {
            out.append(text.substr(start, i - start));
        }
    }
    return out;
}

bool EqualsNoCase(TextView a, TextView b) { return a.size() == b.size() && UCase(a) == UCase(b); }

bool EqualsNoAsciiCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) { return fold(x) == fold(y); });
}

size_t FindNoCase(TextView text, TextView needle) { return UCase(text).find(UCase(needle)); }

int32_t TextToInt32(TextView text) {
    long double value = ParseDecimal<long double>(text);
    long double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max()) {
        Raise(errors::kOverflow, u"Overflow: \"" + Text(text) + u"\" lies outside the 32-bit integer range");
    }
    return static_cast<int32_t>(rounded);
}

double TextToDouble(TextView text) { return ParseDecimal<double>(text); }

Text Int32ToText(int32_t value) {
    std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

Text UInt64ToText(uint64_t value) {
    std::string digits = std::to_string(value);
    return Text(digits.begin(), digits.end());
}

std::vector<Text> Split(TextView text, TextView separator) {
    std::vector<Text> parts;
    if (text.empty()) return parts;
    if (separator.empty()) {
        parts.emplace_back(text);
        return parts;
    }
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        if (at == TextView::npos) {
            parts.emplace_back(text.substr(start));
            return parts;
        }
        parts.emplace_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

Text Repeat(char16_t ch, size_t count) { return Text(count, ch); }

void RequireNoNul(TextView text, TextView what) {
    if (text.find(u'\0') == TextView::npos) return;
    Text shown;
    for (char16_t c : text) {
        if (c == u'\0') {
            shown += u"\\0";
        } else {
            shown += c;
        }
    }
    Raise(errors::kInvalidCall, Text(what) + u" \"" + shown + u"\" holds a NUL character");
}

Text Abbreviate(TextView text, size_t units) {
    if (text.size() <= units) return Text(text);
    size_t cut = units;
    if (cut > 0 && text[cut - 1] >= 0xD800 && text[cut - 1] <= 0xDBFF) --cut;  // keep pairs whole
    return Text(text.substr(0, cut)) + u"\u2026";
}

}  // namespace orva::automation
