#pragma once
// Shared set-up of the dialog model tests: a host language published for this process, fresh module
// state, and a listener that records what a view would be told.

#include <unistd.h>

#include <vector>

#include "automation/PendingError.h"
#include "dialogs/common/Control.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

namespace orva::testing {

// Publishes "Language" for this process for the scope, with fresh text services before and after.
class HostLanguage {
public:
    explicit HostLanguage(const automation::Text& language) {
        Reset();
        components::PublishOwnProperty(u"Language", language);
    }
    ~HostLanguage() { Reset(); }
    HostLanguage(const HostLanguage&) = delete;
    HostLanguage& operator=(const HostLanguage&) = delete;

private:
    static void Reset() {
        components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
        hostctx::ResetModuleState();
        automation::ClearPending();
    }
};

// Records every notification as (control name, aspects).
class RecordingListener : public dialogs::ChangeListener {
public:
    std::vector<std::pair<automation::Text, dialogs::Changes>> heard;
    void ControlChanged(dialogs::Control& control, dialogs::Changes changes) override {
        heard.emplace_back(control.Name(), changes);
    }
};

}  // namespace orva::testing
