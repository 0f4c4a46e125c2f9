#pragma once
// The UI services a dialog is shown through when its caller names none: the automation classes
// (ShowWizard, and the publish dialog's calls) take them from here, so a host, a command or a test
// decides per thread whether dialogs open real windows or play a scripted user.
//
// Use: ScopedUiServices scripted(std::make_shared<ScriptedUi>()); then every ShowWizard on this
// thread shows through the scripted user until the scope ends.

#include <memory>

#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

// The services installed for this thread by the innermost ScopedUiServices, else WindowUiServices()
// (real windows; raises as it does where no window can be opened, e.g. without a display).
std::shared_ptr<UiServices> CurrentUiServices();

// Installs services for the calling thread for its scope and puts back what was installed before, so
// scopes nest. Create and destroy it on the same thread.
class ScopedUiServices {
public:
    explicit ScopedUiServices(std::shared_ptr<UiServices> services);
    ~ScopedUiServices();
    ScopedUiServices(const ScopedUiServices&) = delete;
    ScopedUiServices& operator=(const ScopedUiServices&) = delete;

private:
    std::shared_ptr<UiServices> m_previous;
};

}  // namespace orva::dialogs
