#include "dialogs/common/UiContext.h"

#include "automation/Object.h"
#include "dialogs/common/WindowUiServices.h"

namespace orva::dialogs {

namespace {
thread_local std::shared_ptr<UiServices> t_installed;
}

std::shared_ptr<UiServices> CurrentUiServices() { return t_installed ? t_installed : WindowUiServices(); }

ScopedUiServices::ScopedUiServices(std::shared_ptr<UiServices> services)
    : m_previous(std::move(t_installed)) {
    if (!services) automation::RaiseObjectNotSet(u"the UI services to install");
    t_installed = std::move(services);
}

ScopedUiServices::~ScopedUiServices() { t_installed = std::move(m_previous); }

}  // namespace orva::dialogs
