#pragma once
// What the wizard and the publish dialog share about publish lines and target places: a line's
// selection entry (the dictionary core::BuildDeployPacket reads) and the current place read from a
// target list box.

#include <cstdint>

#include "automation/Variant.h"
#include "bag/Dictionary.h"
#include "dialogs/common/ListBox.h"

namespace orva::dialogs {

// A new selection entry: "No", "TopClass", "SubSystem", "SubFunc", "FuncDetail" in this order, the last
// four keyed entries (texts, or core::KeyedEntryValue's compact form of them). Every entry shares the
// five key texts, so a press that adds thousands of lines allocates no key.
components::DictionaryRef SelectionEntry(automation::Text no, automation::Variant topClass,
                                         automation::Variant subSystem, automation::Variant subFunc,
                                         automation::Variant funcDetail);

// The "No" text of a selection entry (what the publish list shows and compares lines by). Raises when
// entry is no dictionary.
automation::Text SelectionEntryText(const automation::Variant& entry);

// Sets a current place's id and name from the selected entry of list (0 and "" when none). Raises 13
// or 6 when the key is no 32-bit number; the name is then left as it was.
void ReadSelectedPlace(const ListBox& list, int32_t& id, automation::Text& name);

}  // namespace orva::dialogs
