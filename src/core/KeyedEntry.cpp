#include "core/KeyedEntry.h"

#include "automation/TextHelpers.h"

namespace orva::core {

using namespace automation;

namespace {

bool IsHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

Text ComposeKeyedEntry(Text display, Text key) {
    // A cut between the halves of a surrogate pair would leave a lone half, which no file or
    // database can take: the pair goes whole and a blank takes its place.
    if (display.size() > kKeyedDisplayWidth && IsHighSurrogate(display[kKeyedDisplayWidth - 1]) &&
        IsLowSurrogate(display[kKeyedDisplayWidth])) {
        display.resize(kKeyedDisplayWidth - 1);
    }
    display.resize(kKeyedDisplayWidth, u' ');
    return display + key;
}

Text KeyedEntryPart(Text entry, bool& wantKey) {
    if (wantKey) return entry.size() > kKeyedDisplayWidth ? entry.substr(kKeyedDisplayWidth) : Text();
    return automation::Trim(Text(entry.substr(0, kKeyedDisplayWidth)));
}

Text KeyedEntryKey(const Text& entry) {
    bool wantKey = true;
    return KeyedEntryPart(entry, wantKey);
}

Text KeyedEntryDisplay(const Text& entry) {
    bool wantKey = false;
    return KeyedEntryPart(entry, wantKey);
}

}  // namespace orva::core
