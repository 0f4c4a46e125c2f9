#include "api/WizardInvocation.h"

#include <unordered_map>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "dialogs/wizard/frmWizard.h"
#include "hostctx/Texts.h"

namespace orva::api {

using automation::Text;
using automation::Variant;
using components::Dictionary;
using components::Vector;
using components::VectorRef;

namespace {

Variant Keyed(const Dictionary& entry, const char16_t* nameField, const char16_t* keyField) {
    return core::KeyedEntryValue(entry.Value(nameField).ToText(), entry.Value(keyField).ToText());
}

// The keyed entries of places: a packet names a few places on thousands of lines, so each place's
// entry is made once and shared by every line that names it.
class PlaceEntries {
public:
    Variant Get(const Dictionary& entry, const char16_t* nameField, const char16_t* keyField) {
        const Text name = entry.Value(nameField).ToText();
        const Text key = entry.Value(keyField).ToText();
        // The name's length first: no name and key can give another pair's joined text.
        Text joined = automation::Int32ToText(static_cast<int32_t>(name.size())) + u":" + name + key;
        if (auto it = m_made.find(joined); it != m_made.end()) return it->second;
        Variant made = core::KeyedEntryValue(name, key);
        // A file whose lines name thousands of places gains nothing from the table: it stops growing.
        if (m_made.size() < kMostRemembered) m_made.emplace(std::move(joined), made);
        return made;
    }

private:
    static constexpr size_t kMostRemembered = 4096;
    std::unordered_map<Text, Variant> m_made;
};

// The selection entries that give back the deployment entries of packet (BuildDeployPacket's inverse).
// Their five keys are shared by all of them, as a loaded packet's keys are.
VectorRef SelectionsOf(const Vector& packet, PlaceEntries& places) {
    namespace f = core::fields;
    namespace s = core::selection;
    const components::SharedText keys[] = {
        components::SharedText(s::kTopClass), components::SharedText(s::kSubSystem),
        components::SharedText(s::kSubFunc), components::SharedText(s::kFuncDetail),
        components::SharedText(s::kNo)};
    VectorRef selections = Vector::Create();
    selections->Reserve(static_cast<size_t>(packet.Count()));
    for (const Variant& item : packet) {
        components::DictionaryRef entry = components::AsDictionary(item);
        components::DictionaryRef selection = Dictionary::Create();
        selection->Reserve(std::size(keys));
        selection->AppendUnique(keys[0], places.Get(*entry, f::kTopClassName, f::kTopClassId));
        selection->AppendUnique(keys[1], places.Get(*entry, f::kSubSystemName, f::kSubSystemId));
        selection->AppendUnique(keys[2], places.Get(*entry, f::kSubFuncName, f::kSubFuncId));
        selection->AppendUnique(keys[3], Keyed(*entry, f::kFuncName, f::kClassParam));
        selection->AppendUnique(keys[4], entry->Value(f::kNo));
        selections->Add(std::move(selection));
    }
    return selections;
}

// ReadEarlierResult, and with taken the packet set's packets removed one by one as they are read.
std::optional<WizardLists> EarlierLists(const automation::ObjectRef& objResult, Dictionary* taken) {
    if (!objResult) return std::nullopt;
    const Text language = automation::UCase(hostctx::LearnCurrentLanguage());
    WizardLists lists;
    PlaceEntries places;
    for (size_t k = 0; k < lists.perLanguage.size(); ++k) {
        const Text code = core::kPacketLanguages[k];
        Variant packet = automation::GetProperty(objResult, u"Item", {Variant(code)});
        if (!packet.IsObject() || !packet.ToObject()) {
            automation::Raise(
                automation::errors::kInvalidCall,
                u"ShowWizard: the earlier packet set holds no packet for the language \"" + code + u"\"");
        }
        lists.perLanguage[k] = SelectionsOf(*components::AsVector(packet), places);
        if (language == code) lists.current = lists.perLanguage[k]->Copy();
        if (taken != nullptr) {
            packet = Variant();
            taken->Remove(code);
        }
    }
    return lists;
}

}  // namespace

std::optional<WizardLists> ReadEarlierResult(const automation::ObjectRef& objResult) {
    return EarlierLists(objResult, nullptr);
}

std::optional<WizardLists> TakeEarlierResult(const components::DictionaryRef& packetSet) {
    return EarlierLists(packetSet, packetSet.get());
}

std::shared_ptr<dialogs::frmWizard> CreateWizardDialog(std::shared_ptr<dialogs::UiServices> ui,
                                                       const VectorRef& vetSelectObjects,
                                                       const std::optional<WizardLists>& earlier) {
    auto wizard = std::make_shared<dialogs::frmWizard>(std::move(ui));
    wizard->SelectClasses = vetSelectObjects;
    if (earlier) {
        wizard->PromulgateListCHS = earlier->perLanguage[0];
        wizard->PromulgateListCHT = earlier->perLanguage[1];
        wizard->PromulgateListEN = earlier->perLanguage[2];
        if (earlier->current) wizard->PromulgateList = earlier->current;
    }
    return wizard;
}

automation::ObjectRef WizardResult(const dialogs::frmWizard& wizard) {
    return wizard.bOK ? wizard.CreateDeployPacket() : nullptr;
}

}  // namespace orva::api
