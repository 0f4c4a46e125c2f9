#pragma once
// Decoding UTF-8 without raising, for readers that have a fallback of their own for bytes that are
// not UTF-8 (SQLite's own conversion, say). FromUtf8 (Text.h) applies the same rule and raises.

#include <string_view>

#include "automation/Text.h"

namespace orva::automation {

// Replaces out with the text of utf8 and returns true when utf8 is valid UTF-8 by FromUtf8's rule (no
// overlong forms, surrogates or values above U+10FFFF); returns false otherwise, out then holding a
// part of it. out is sized exactly: a short text needs no memory beyond the string itself.
bool DecodeValidUtf8(std::string_view utf8, Text& out);

}  // namespace orva::automation
