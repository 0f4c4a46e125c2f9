#pragma once
// JSON form of property-bag values, for people and scripts: objects become dictionaries (keys in
// their order), arrays become vectors, strings texts, integral numbers that fit 32 bits Long values,
// other numbers Double, true/false Booleans, null Null. ToJson is the exact inverse for everything
// FromJson produces, so JSON -> packet file -> JSON gives the same document.

#include <string>
#include <string_view>

#include "automation/Variant.h"
#include "bag/Dictionary.h"

namespace orva::components {

// Parses JSON text into a property-bag value. Raises 321 naming sourceName and the position for
// malformed JSON, invalid UTF-8 (the byte offset in text), nesting deeper than 64 or two keys of one object
// that differ only in letter case.
automation::Variant ParsePropertyBagJson(std::string_view json, const automation::Text& sourceName);

// Writes a property-bag value as JSON, indented by indent spaces (-1: one line). Empty becomes null.
// Raises 13 for an object that is neither a dictionary nor a vector, 5 for a text with a lone surrogate.
std::string WritePropertyBagJson(const automation::Variant& value, int indent = 2);

}  // namespace orva::components
