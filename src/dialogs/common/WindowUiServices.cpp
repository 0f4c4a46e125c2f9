#include "dialogs/common/WindowUiServices.h"

#include <dlfcn.h>

#include <filesystem>
#include <mutex>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Object.h"
#include "dialogs/common/Screenshot.h"

namespace orva::dialogs {

namespace {

std::filesystem::path ThisLibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&WindowUiServices), &info) == 0 || !info.dli_fname) return {};
    std::error_code error;
    auto path = std::filesystem::canonical(info.dli_fname, error);
    return error ? std::filesystem::path{} : path.parent_path();
}

void* ViewsLibrary() {
    // The library stays loaded: Qt cannot be unloaded from a process once it has run.
    static std::mutex mutex;
    static void* library = nullptr;
    std::lock_guard lock(mutex);
    if (library) return library;
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
    library = handle;
    return library;
}

// The views library's entry point of that name, as a function of type F.
template <typename F>
F ViewsEntry(const char* symbol) {
    auto entry = reinterpret_cast<F>(dlsym(ViewsLibrary(), symbol));
    if (!entry) {
        automation::Raise(
            automation::errors::kCannotCreateObject,
            automation::FromUtf8(kViewsLibraryName) + u" has no " + automation::FromUtf8(symbol));
    }
    return entry;
}

}  // namespace

std::shared_ptr<UiServices> WindowUiServices() {
    std::shared_ptr<UiServices> services;
    ViewsEntry<WindowUiFactory>(kWindowUiFactorySymbol)(&services);
    if (!services) automation::RaiseObjectNotSet(u"the window UI services");
    return services;
}

void RenderDialogPng(DialogModel& dialog, const std::filesystem::path& png) {
    ViewsEntry<RenderDialogFunction>(kRenderDialogSymbol)(&dialog, png.c_str());
}

void RenderMessagePng(const MessageBoxRequest& request, const std::filesystem::path& png) {
    ViewsEntry<RenderMessageFunction>(kRenderMessageSymbol)(&request, png.c_str());
}

}  // namespace orva::dialogs
