#include "dialogs/common/SelectionLines.h"

#include <iterator>

#include "automation/TextHelpers.h"
#include "bag/SharedText.h"
#include "core/DeployPacket.h"

namespace orva::dialogs {

using automation::Text;

components::DictionaryRef SelectionEntry(Text no, automation::Variant topClass, automation::Variant subSystem,
                                         automation::Variant subFunc, automation::Variant funcDetail) {
    static const components::SharedText keys[] = {components::SharedText(core::selection::kNo),
                                                  components::SharedText(core::selection::kTopClass),
                                                  components::SharedText(core::selection::kSubSystem),
                                                  components::SharedText(core::selection::kSubFunc),
                                                  components::SharedText(core::selection::kFuncDetail)};
    automation::Variant values[] = {std::move(no), std::move(topClass), std::move(subSystem),
                                    std::move(subFunc), std::move(funcDetail)};
    components::DictionaryRef entry = components::Dictionary::Create();
    entry->Reserve(std::size(keys));
    for (size_t k = 0; k < std::size(keys); ++k) entry->AppendUnique(keys[k], std::move(values[k]));
    return entry;
}

Text SelectionEntryText(const automation::Variant& entry) {
    return components::AsDictionary(entry)->Value(core::selection::kNo).ToText();
}

void ReadSelectedPlace(const ListBox& list, int32_t& id, Text& name) {
    const int32_t index = list.ListIndex();
    if (index < 0) {
        id = 0;
        name.clear();
        return;
    }
    id = automation::TextToInt32(list.Key(index));
    name = list.DisplayText(index);
}

}  // namespace orva::dialogs
