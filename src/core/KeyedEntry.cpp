#include "core/KeyedEntry.h"

#include <algorithm>

#include "automation/TextHelpers.h"

namespace orva::core {

using namespace automation;

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

Text ComposeKeyedEntry(Text display, Text key) {
    size_t kept = std::min(display.size(), kKeyedDisplayWidth);
    // A cut between the halves of a surrogate pair would leave a lone half, which no file or
    // database can take: the pair goes whole and a blank takes its place.
    if (display.size() > kKeyedDisplayWidth && IsHighSurrogate(display[kKeyedDisplayWidth - 1]) &&
        IsLowSurrogate(display[kKeyedDisplayWidth])) {
        kept = kKeyedDisplayWidth - 1;
    }
    // Built in one allocation: lists fill thousands of entries at a time.
    Text entry;
    entry.reserve(kKeyedDisplayWidth + key.size());
    entry.append(display, 0, kept);
    entry.append(kKeyedDisplayWidth - kept, u' ');
    entry += key;
    return entry;
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
