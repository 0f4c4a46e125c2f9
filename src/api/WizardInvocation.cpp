#include "api/WizardInvocation.h"

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

Text Keyed(const Dictionary& entry, const char16_t* nameField, const char16_t* keyField) {
    return core::ComposeKeyedEntry(entry.Value(nameField).ToText(), entry.Value(keyField).ToText());
}

// The selection entries that give back the deployment entries of packet (BuildDeployPacket's inverse).
// Their five keys are shared by all of them, as a loaded packet's keys are.
VectorRef SelectionsOf(const Vector& packet) {
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
        selection->AppendUnique(keys[0], Keyed(*entry, f::kTopClassName, f::kTopClassId));
        selection->AppendUnique(keys[1], Keyed(*entry, f::kSubSystemName, f::kSubSystemId));
        selection->AppendUnique(keys[2], Keyed(*entry, f::kSubFuncName, f::kSubFuncId));
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
    for (size_t k = 0; k < lists.perLanguage.size(); ++k) {
        const Text code = core::kPacketLanguages[k];
        Variant packet = automation::GetProperty(objResult, u"Item", {Variant(code)});
        if (!packet.IsObject() || !packet.ToObject()) {
            automation::Raise(
                automation::errors::kInvalidCall,
                u"ShowWizard: the earlier packet set holds no packet for the language \"" + code + u"\"");
        }
        lists.perLanguage[k] = SelectionsOf(*components::AsVector(packet));
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
