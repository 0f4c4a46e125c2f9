#include "core/KeyedEntry.h"

#include <algorithm>

#include "automation/TextHelpers.h"

namespace orva::core {

using namespace automation;

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// How many units of display a keyed entry shows. A cut between the halves of a surrogate pair would
// leave a lone half, which no file or database can take: the pair goes whole and a blank takes its
// place.
size_t KeptDisplay(const Text& display) {
    if (display.size() > kKeyedDisplayWidth && IsHighSurrogate(display[kKeyedDisplayWidth - 1]) &&
        IsLowSurrogate(display[kKeyedDisplayWidth])) {
        return kKeyedDisplayWidth - 1;
    }
    return std::min(display.size(), kKeyedDisplayWidth);
}

}  // namespace

Text ComposeKeyedEntry(Text display, Text key) {
    const size_t kept = KeptDisplay(display);
    // Built in one allocation: lists fill thousands of entries at a time.
    Text entry;
    entry.reserve(kKeyedDisplayWidth + key.size());
    entry.append(display, 0, kept);
    entry.append(kKeyedDisplayWidth - kept, u' ');
    entry += key;
    return entry;
}

Variant KeyedEntryValue(Text display, Text key) {
    display.resize(KeptDisplay(display));
    return Variant::Padded(std::move(display), kKeyedDisplayWidth, std::move(key));
}

Variant KeyedEntryValue(const Text& entry) {
    const size_t width = std::min(entry.size(), kKeyedDisplayWidth);
    size_t head = width;
    while (head > 0 && entry[head - 1] == u' ') --head;
    return Variant::Padded(entry.substr(0, head), width, entry.substr(width));
}

Text KeyedEntryPart(Text entry, bool& wantKey) {
    return wantKey ? KeyedEntryKey(entry) : KeyedEntryDisplay(entry);
}

// Both read the entry in place and copy only the part they answer: lists take them for thousands of
// entries at a time.
Text KeyedEntryKey(const Text& entry) {
    return entry.size() > kKeyedDisplayWidth ? entry.substr(kKeyedDisplayWidth) : Text();
}

Text KeyedEntryDisplay(const Text& entry) {
    return automation::Trim(TextView(entry).substr(0, kKeyedDisplayWidth));
}

}  // namespace orva::core
