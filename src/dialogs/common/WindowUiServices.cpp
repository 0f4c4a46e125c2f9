#include "dialogs/common/WindowUiServices.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Object.h"

namespace orva::dialogs {

namespace {

std::filesystem::path ThisLibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&WindowUiServices), &info) == 0 || !info.dli_fname) return {};
    std::error_code error;
    auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path{} : path.parent_path();
}

WindowUiFactory LoadFactory() {
    // The library stays loaded: Qt cannot be unloaded from a process once it has run.
    static std::mutex mutex;
    static WindowUiFactory factory = nullptr;
    std::lock_guard lock(mutex);
    if (factory) return factory;
    std::string reasons;
    void* handle = nullptr;
    std::filesystem::path folder = ThisLibraryFolder();
    if (!folder.empty()) {
        handle = dlopen((folder / kViewsLibraryName).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) reasons = dlerror();
    }
    if (!handle) {
        handle = dlopen(kViewsLibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!handle) reasons += (reasons.empty() ? "" : "; ") + std::string(dlerror());
    }
    if (!handle) {
        automation::Raise(automation::errors::kCannotCreateObject,
                          u"The dialogs cannot be shown: " + automation::FromUtf8(kViewsLibraryName) +
                              u" could not be loaded (" + automation::FromUtf8(reasons) + u")");
    }
    factory = reinterpret_cast<WindowUiFactory>(dlsym(handle, kWindowUiFactorySymbol));
    if (!factory) {
        automation::Raise(automation::errors::kCannotCreateObject,
                          automation::FromUtf8(kViewsLibraryName) + u" has no " +
                              automation::FromUtf8(kWindowUiFactorySymbol));
    }
    return factory;
}

}  // namespace

std::shared_ptr<UiServices> WindowUiServices() {
    std::shared_ptr<UiServices> services;
    LoadFactory()(&services);
    if (!services) automation::RaiseObjectNotSet(u"the window UI services");
    return services;
}

}  // namespace orva::dialogs
