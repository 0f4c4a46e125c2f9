#pragma once
// JSON form of property-bag values, for people and scripts: objects become dictionaries (keys in
// their order), arrays become vectors, strings texts, integral numbers that fit 32 bits Long values,
// other numbers Double, true/false Booleans, null Null. ToJson is the exact inverse for everything
// FromJson produces, so JSON -> packet file -> JSON gives the same document.

#include <functional>
#include <string>
#include <string_view>

#include "automation/Variant.h"
#include "bag/BoundedJson.h"
#include "bag/Dictionary.h"

namespace orva::components {

// Checks one value's kind at its place before the value is read; raises to refuse the document.
// Lets a caller refuse a document of the wrong shape at its first wrong value, before the rest of
// it is read or built.
using JsonShapeCheck = std::function<void(const JsonPlace& place, JsonKind kind)>;

// Parses JSON text into a property-bag value through ReadBoundedJson (BoundedJson.h), which refuses
// (321, naming sourceName and the byte offset) invalid UTF-8, malformed JSON, nesting deeper than 64
// levels and documents that would take too much memory. Raises 321 too for two keys of one object
// that are equal or differ only in letter case. shape, when given, sees every value first; what it
// raises passes to the caller. progress, when given, hears how many bytes are read (about every MiB).
automation::Variant ParsePropertyBagJson(std::string_view json, const automation::Text& sourceName,
                                         const JsonShapeCheck& shape = {}, const JsonProgress& progress = {});

// Writes a property-bag value as JSON, indented by indent spaces (-1: one line). Empty becomes null.
// Raises 13 for an object that is neither a dictionary nor a vector, 5 for a text with a lone surrogate.
std::string WritePropertyBagJson(const automation::Variant& value, int indent = 2);

}  // namespace orva::components
