#pragma once
// Keyed list entries: one text carrying a visible display text and a hidden key. Positions 1..255
// hold the display, cut or filled with spaces to exactly 255 code units; the key follows unchanged.
// List boxes show such texts with the key far out of sight; selection entries store them.

#include "automation/Text.h"
#include "automation/Variant.h"

namespace orva::core {

inline constexpr size_t kKeyedDisplayWidth = 255;

// The display cut or filled with spaces to 255 units, followed by the key. A surrogate pair that the
// cut would split is left out whole and the display filled with one more space, so the key still
// starts at unit 256. Never fails.
automation::Text ComposeKeyedEntry(automation::Text display, automation::Text key);

// ComposeKeyedEntry's text as a variant that stores the display without its filling blanks
// (Variant::Padded): every reader gets the same text, held in a fraction of the memory. For entries
// kept by the thousand, as the lines of a reopened publish list. Never fails but for memory.
automation::Variant KeyedEntryValue(automation::Text display, automation::Text key);

// An entry composed before (a list box's), held as KeyedEntryValue holds it: the blanks that end its
// first 255 units are not stored. Reads as entry, whatever entry is.
automation::Variant KeyedEntryValue(const automation::Text& entry);

// wantKey true: everything after position 255, untrimmed (empty for shorter texts).
// wantKey false: the first 255 units (the whole text when shorter), without leading and trailing
// U+0020. Never fails. wantKey is taken by reference, as callers of the list code pass it.
automation::Text KeyedEntryPart(automation::Text entry, bool& wantKey);

// Convenience forms for C++ callers.
automation::Text KeyedEntryKey(const automation::Text& entry);
automation::Text KeyedEntryDisplay(const automation::Text& entry);

}  // namespace orva::core
