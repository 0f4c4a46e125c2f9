// The registration entry points libOrvaClassDeploy exports with C linkage (capi/orva_server_abi.h):
// they write or remove this library's registry entries (api/ServerRegistration.h). Failures are
// reported as an error number through the C interface's bridge; no exception crosses into a C host.

#include <string>

#include "api/ServerRegistration.h"
#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "capi/VariantBridge.h"

namespace orva::api {
namespace {

RegistryScope ScopeOf(int32_t scope) {
    if (scope == 0) return RegistryScope::User;
    if (scope == 1) return RegistryScope::System;
    automation::Raise(automation::errors::kInvalidCall, u"Unknown registry scope " +
                                                            automation::FromUtf8(std::to_string(scope)) +
                                                            u" (0 for the user, 1 for the system)");
}

std::filesystem::path FolderOf(const char* registryFolder, int32_t scope) {
    return RegistryFolderFor(ScopeOf(scope), registryFolder ? registryFolder : "");
}

}  // namespace
}  // namespace orva::api

extern "C" {

__attribute__((visibility("default"))) int32_t OrvaRegisterServer(const char* registryFolder, int32_t scope,
                                                                  orva_error* error) {
    using namespace orva;
    return capi::ReportErrors(
        error,
        [&] { api::RegisterServer(api::FolderOf(registryFolder, scope), api::RegisteredLibraryPath()); },
        u"OrvaRegisterServer");
}

__attribute__((visibility("default"))) int32_t OrvaUnregisterServer(const char* registryFolder, int32_t scope,
                                                                    orva_error* error) {
    using namespace orva;
    return capi::ReportErrors(
        error,
        [&] { api::UnregisterServer(api::FolderOf(registryFolder, scope), api::RegisteredLibraryPath()); },
        u"OrvaUnregisterServer");
}

}  // extern "C"
