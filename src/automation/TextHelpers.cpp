#include "automation/TextHelpers.h"

#include <unicode/uchar.h>
#include <unicode/utf16.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "automation/AutomationError.h"

namespace orva::automation {

namespace {

constexpr char16_t kSpace = u' ';

[[noreturn]] void NotANumber(TextView text) {
    Raise(errors::kTypeMismatch, u"Type mismatch: \"" + Text(text) + u"\" is not a number");
}

// Parses [sign] digits [. digits] between optional spaces; returns the value as long double.
long double ParseDecimal(TextView text) {
    Text body = Trim(text);
    size_t i = 0;
    bool negative = false;
    if (i < body.size() && (body[i] == u'-' || body[i] == u'+')) {
        negative = body[i] == u'-';
        ++i;
    }
    long double value = 0;
    size_t digits = 0;
    for (; i < body.size() && body[i] >= u'0' && body[i] <= u'9'; ++i, ++digits) {
        value = value * 10 + (body[i] - u'0');
    }
    if (i < body.size() && body[i] == u'.') {
        ++i;
        long double scale = 0.1L;
        for (; i < body.size() && body[i] >= u'0' && body[i] <= u'9'; ++i, ++digits) {
            value += (body[i] - u'0') * scale;
            scale /= 10;
        }
    }
    if (digits == 0 || i != body.size()) NotANumber(text);
    return negative ? -value : value;
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
        UChar32 upper = u_toupper(cp);
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

size_t FindNoCase(TextView text, TextView needle) { return UCase(text).find(UCase(needle)); }

int32_t TextToInt32(TextView text) {
    long double value = ParseDecimal(text);
    long double rounded = std::nearbyint(value);
    if (rounded < std::numeric_limits<int32_t>::min() || rounded > std::numeric_limits<int32_t>::max()) {
        Raise(errors::kOverflow, u"Overflow: \"" + Text(text) + u"\" lies outside the 32-bit integer range");
    }
    return static_cast<int32_t>(rounded);
}

double TextToDouble(TextView text) { return static_cast<double>(ParseDecimal(text)); }

Text Int32ToText(int32_t value) {
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

}  // namespace orva::automation
