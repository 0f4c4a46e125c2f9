#include "core/PacketRemapping.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"

namespace orva::core {

using namespace automation;
using namespace components;

void RemapPacket(Vector& packet, const Dictionary& info, const Text& language) {
    Variant renameValue = info.Value(kChangeNameKey);
    DictionaryRef renames = renameValue.IsEmpty() || (renameValue.IsObject() && !renameValue.ToObject())
                                ? Dictionary::Create()
                                : AsDictionary(renameValue);

    for (int32_t i = packet.LowerBound(); i <= packet.UpperBound(); ++i) {
        DictionaryRef entry = AsDictionary(packet.Item(i));
        Text classParam = entry->Value(fields::kClassParam).ToText();
        Text funcName = entry->Value(fields::kFuncName).ToText();
        std::vector<Text> paramParts = Split(classParam, u"|");
        if (paramParts.size() < 2) {
            Raise(errors::kSubscriptOutOfRange,
                  u"Subscript out of range: the class parameter \"" + classParam + u"\" of \"" +
                      entry->Value(fields::kNo).ToText() + u"\" has no \"|\" before a class identifier");
        }
        const Text identifier = paramParts[1];

        if (info.HasKey(identifier)) {
            entry->SetValue(fields::kClassParam, paramParts[0] + u"|" + info.Value(identifier).ToText());
        }
        if (renames->HasKey(identifier)) {
            // A rename table without a name for this language leaves the name alone: renaming would
            // keep only the action ("-新增").
            Text objectName = AsDictionary(renames->Value(identifier))->Value(language).ToText();
            if (objectName.empty()) continue;
            std::vector<Text> nameParts = Split(funcName, u"-");
            Text action = nameParts.empty() ? Text() : nameParts.back();
            Text newName = objectName + u"-" + action;
            entry->SetValue(fields::kFuncName, newName);
            entry->SetValue(fields::kNewName, newName);
        }
    }
}

}  // namespace orva::core
