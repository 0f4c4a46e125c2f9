#pragma once
// Text operations with the automation semantics that the library's algorithms rely on. Positions
// and lengths are in UTF-16 code units.

#include <cstdint>
#include <vector>

#include "automation/Text.h"

namespace orva::automation {

// Removes leading and trailing U+0020 only; tabs, no-break spaces and other blanks stay.
Text Trim(TextView text);
Text LTrim(TextView text);
Text RTrim(TextView text);

// Unicode simple upper-case mapping, code point by code point, through ICU. Length-preserving: a
// code point whose mapping would change the number of code units is kept as it is. ICU is opened
// with the first text beyond ASCII; raises 53 (naming libicuuc and its package) when it cannot be.
Text UCase(TextView text);

// True when both texts are equal after UCase.
bool EqualsNoCase(TextView a, TextView b);

// Byte-wise equality of UTF-8 (or any) texts folding only ASCII letters: for comparing with an ASCII
// keyword, where the bytes compared may end inside a multi-byte character that must not be decoded.
bool EqualsNoAsciiCase(std::string_view a, std::string_view b);

// Position (0-based) of the first occurrence of needle in text, comparing without regard to letter
// case (UCase of both), or npos. An empty needle is found at 0.
size_t FindNoCase(TextView text, TextView needle);

// Reads a text as a signed 32-bit integer: surrounding U+0020 allowed, an optional sign, decimal
// digits, optionally a fraction that is rounded half to even ("2.5" gives 2). Raises 13 (type
// mismatch) for an empty text or anything else that is not such a number, and 6 (overflow) for a
// number outside the 32-bit range.
int32_t TextToInt32(TextView text);

// Reads a text as the nearest double with the same rules (no exponent). Raises 13 for a non-number
// and 6 for a magnitude beyond the double range.
double TextToDouble(TextView text);

// Decimal text of a 32-bit integer.
Text Int32ToText(int32_t value);
// Decimal text of an unsigned 64-bit integer (sizes, offsets, counts).
Text UInt64ToText(uint64_t value);

// Splits at every occurrence of a non-empty separator. An empty text gives no parts at all (so that
// asking for a part of it fails as out of range); otherwise there are occurrences + 1 parts.
std::vector<Text> Split(TextView text, TextView separator);

// Text of count copies of ch.
Text Repeat(char16_t ch, size_t count);

// Raises 5 `<what> "<text, each NUL shown as \0>" holds a NUL character` when text holds U+0000. For
// texts the library hands to the operating system (file names, connect strings): the system would
// end them at the NUL and act on a shorter text than the caller gave.
void RequireNoNul(TextView text, TextView what);

// The text for a message that quotes a value: at most units code units of it (never half of a
// surrogate pair), followed by "…" when it was longer, so a hostile value cannot flood a message.
inline constexpr size_t kQuotedUnits = 60;
Text Abbreviate(TextView text, size_t units = kQuotedUnits);

}  // namespace orva::automation
