#include "core/KeyedEntry.h"

#include "automation/TextHelpers.h"

namespace orva::core {

Text ComposeKeyedEntry(Text display, Text key) {
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
