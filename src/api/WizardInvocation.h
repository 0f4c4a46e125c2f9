#pragma once
// The steps of ShowWizard as separate calls, for callers that drive or picture the wizard themselves
// (the wizard command's --play and --screenshot) and must open it exactly as ShowWizard does:
//   ReadEarlierResult(objResult) -> CreateWizardDialog(ui, types, lists) -> ShowModal -> WizardResult.
//
// Decision: the current language is read before the earlier result's lists are handed over. A thread
// that has not yet translated anything does not know its language until the dialog loads, and the
// current-language list (what the publish list shows, and what confirming requires to be non-empty)
// would stay empty beside three filled language lists; a user reopening an earlier result expects to
// see its lines.

#include <array>
#include <memory>
#include <optional>

#include "automation/Object.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"

namespace orva::dialogs {
class frmWizard;
class UiServices;
}  // namespace orva::dialogs

namespace orva::api {

// An earlier packet set's publish lines as the wizard takes them: one new vector of selection entries
// per language, in the order "CHS", "CHT", "EN", and a Copy of the current language's vector (nothing
// when the current language is none of the three).
struct WizardLists {
    std::array<components::VectorRef, 3> perLanguage;
    components::VectorRef current;
};

// Nothing for nothing. Otherwise reads the packets of objResult (its Item "CHS", "CHT", "EN"), one
// selection entry per deployment entry in packet order: "TopClass", "SubSystem", "SubFunc" as keyed
// entries of the level's name and id, "FuncDetail" of FFuncName and FClassParam, and "No". Learns the
// current language first (see above). objResult is only read. Raises 5 naming the language when
// objResult holds no packet for one of the three, and what reading an entry raises (13, 91, 94).
std::optional<WizardLists> ReadEarlierResult(const automation::ObjectRef& objResult);

// ReadEarlierResult for a caller that owns packetSet (a loaded packet file) and needs it no more: each
// language's packet is removed from packetSet as soon as its lines are read, so that a big file's
// packets and the lines made of them are never all in memory at once. Raises as ReadEarlierResult;
// packetSet may then have lost packets.
std::optional<WizardLists> TakeEarlierResult(const components::DictionaryRef& packetSet);

// A new wizard over ui with SelectClasses = vetSelectObjects and, when given, the earlier result's
// lists (PromulgateList only when earlier->current is set). Not loaded: ShowModal loads it.
std::shared_ptr<dialogs::frmWizard> CreateWizardDialog(std::shared_ptr<dialogs::UiServices> ui,
                                                       const components::VectorRef& vetSelectObjects,
                                                       const std::optional<WizardLists>& earlier);

// What ShowWizard returns for a dialog that was shown: its CreateDeployPacket when bOK, else nothing.
// Raises what CreateDeployPacket raises.
automation::ObjectRef WizardResult(const dialogs::frmWizard& wizard);

}  // namespace orva::api
