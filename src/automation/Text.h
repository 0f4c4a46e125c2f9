#pragma once
// Text as the automation world counts it: UTF-16 code units. Lengths, positions and the 255-unit
// fields of keyed list entries are all measured in these units.

#include <string>
#include <string_view>

namespace orva::automation {

using Text = std::u16string;
using TextView = std::u16string_view;

// Converts UTF-8 to UTF-16. Throws AutomationError 5 naming the byte offset when the input is not
// valid UTF-8 (overlong forms, surrogates and values above U+10FFFF are invalid).
Text FromUtf8(std::string_view utf8);

// Raises what FromUtf8 raises for utf8, without building the text: a check of input that is decoded
// later, or not at all.
void RequireUtf8(std::string_view utf8);

// Like FromUtf8, but each byte that starts no valid sequence reads as U+FFFD; for messages that must
// show names which are bytes and need not be UTF-8 (file names, a parser's quote), never for data.
Text FromUtf8Lossy(std::string_view utf8);

// Converts UTF-16 to UTF-8. Throws AutomationError 5 when the text holds a lone surrogate, so that no
// altered text is ever written out.
std::string ToUtf8(TextView text);

// Like ToUtf8, but writes U+FFFD for a lone surrogate; for messages and terminals, never for files.
std::string ToUtf8Lossy(TextView text);

// Position (0-based, in code units) of the first lone surrogate, or npos when the text is well formed.
size_t FindLoneSurrogate(TextView text);

}  // namespace orva::automation
