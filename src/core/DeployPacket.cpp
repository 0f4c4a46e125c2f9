#include "core/DeployPacket.h"

#include "automation/TextHelpers.h"
#include "core/KeyedEntry.h"

namespace orva::core {

using namespace automation;

using namespace components;

VectorRef BuildDeployPacket(const Vector& selections) {
    VectorRef packet = Vector::Create();
    for (int32_t i = selections.LowerBound(); i <= selections.UpperBound(); ++i) {
        DictionaryRef selection = AsDictionary(selections.Item(i));
        auto key = [&](const char16_t* name) { return KeyedEntryKey(selection->Value(name).ToText()); };
        auto display = [&](const char16_t* name) {
            return KeyedEntryDisplay(selection->Value(name).ToText());
        };

        // The top-class key must be a number even though the number itself is not kept: a packet
        // whose entries carry no usable identifiers is refused as a whole.
        automation::TextToInt32(key(selection::kTopClass));

        DictionaryRef entry = Dictionary::Create();
        entry->SetValue(fields::kTopClassId, key(selection::kTopClass));
        entry->SetValue(fields::kTopClassName, display(selection::kTopClass));
        entry->SetValue(fields::kSubSystemId, key(selection::kSubSystem));
        entry->SetValue(fields::kSubSystemName, display(selection::kSubSystem));
        entry->SetValue(fields::kSubFuncId, key(selection::kSubFunc));
        entry->SetValue(fields::kSubFuncName, display(selection::kSubFunc));
        entry->SetValue(fields::kNewName, display(selection::kFuncDetail));
        entry->SetValue(fields::kFuncName, display(selection::kFuncDetail));
        entry->SetValue(fields::kClassName, kRuntimeHostClass);
        entry->SetValue(fields::kClassParam, key(selection::kFuncDetail));
        entry->SetValue(fields::kHelpCode, Text());
        entry->SetValue(fields::kNo, selection->Value(selection::kNo));
        packet->Add(entry);
    }
    return packet;
}

}  // namespace orva::core
