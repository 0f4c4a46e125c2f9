#include "hostctx/ModuleState.h"

#include "automation/ClassRegistry.h"
#include "hostctx/Texts.h"

namespace orva::hostctx {

using namespace automation;

ModuleState& ThisThreadState() {
    thread_local ModuleState state;
    return state;
}

ObjectRef HeldTextFormatter() {
    ModuleState& state = ThisThreadState();
    if (!state.textFormatter) state.textFormatter = automation::CreateObject(kTextFormatterProgId);
    return state.textFormatter;
}

Text CurrentLanguage() { return ThisThreadState().currentLanguage; }

void ResetModuleState() { ThisThreadState() = ModuleState{}; }

}  // namespace orva::hostctx
