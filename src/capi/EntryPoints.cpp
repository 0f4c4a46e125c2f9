// The entry points libOrvaClassDeploy exports with C linkage for libOrvaLoader: the interface
// version and creation by program ID (capi/orva_server_abi.h); registration as an in-process server
// is exported beside the registry code (api/RegistrationEntryPoints.cpp). Every one catches all
// failures and reports them as an error number: no exception crosses into a C host.

#include <cstring>
#include <string>

#include "automation/ClassRegistry.h"
#include "automation/Text.h"
#include "automation/TextHelpers.h"
#include "capi/VariantBridge.h"
#include "hostctx/Texts.h"
#include "services/LibraryLocation.h"
#include "services/PropertyStore.h"

namespace orva::capi {

using namespace automation;

namespace {

// The library knows texts and packets in these languages only: a login in another one would show
// untranslated texts and deploy no packet, so it is refused when published, not at the first use.
void RequireKnownLanguage(const Variant& language) {
    const Text* code = language.TextIf();
    if (!code) {
        Raise(errors::kInvalidCall,
              u"The property Language takes the text CHS, CHT or EN, not a value of type " +
                  TypeNameOf(language));
    }
    for (const char16_t* known : {u"CHS", u"CHT", u"EN"}) {
        if (EqualsNoCase(*code, known)) return;
    }
    Raise(errors::kInvalidCall, u"The property Language takes CHS, CHT or EN, not \"" + *code + u"\"");
}

}  // namespace

int32_t PublishHostProperty(const char* name, const orva_variant* value, orva_error* error) {
    auto publish = [&] {
        Text property;
        try {
            property = FromUtf8(name ? name : "");
        } catch (const AutomationError&) {
            Raise(errors::kInvalidCall, u"The property name is not valid UTF-8");
        }
        if (property.empty()) Raise(errors::kInvalidCall, u"The property name is empty");
        orva_variant empty = ORVA_VARIANT_INIT;
        Variant published = FromCVariant(value ? *value : empty, "the property value");
        if (EqualsNoCase(property, u"Language")) RequireKnownLanguage(published);
        components::PublishOwnProperty(property, std::move(published));
        // A new login for this thread: the text services learn the language again from it.
        if (EqualsNoCase(property, u"Language") || EqualsNoCase(property, u"PropsString")) {
            hostctx::ResetModuleState();
        }
    };
    return ReportErrors(error, publish, u"orva_publish_property");
}

namespace {

// Raises 429 for a program ID that is no class of this library, naming the registry folders where
// orva_create_object finds other libraries' classes: a host that asked this library for one learns
// where to look.
[[noreturn]] void RaiseNotOurClass(const Text& progId) {
    char folders[3 * 4096];
    int count = orva_registry_search_folders(folders, sizeof folders);
    Text named;
    const char* folder = folders;
    for (int i = 0; i < count; ++i, folder += std::strlen(folder) + 1) {
        if (!named.empty()) named += u", ";
        named += FromUtf8Lossy(folder);
    }
    Raise(errors::kCannotCreateObject,
          u"ActiveX component can't create object: " + progId + u" is not a class of " +
              FromUtf8Lossy((services::LibraryFolder() / ORVA_LIBRARY_SONAME).string()) +
              u" (orva_create_object finds the classes of other libraries in "
              u"the registry folders " +
              named + u")");
}

}  // namespace

}  // namespace orva::capi

extern "C" {

__attribute__((visibility("default"))) int32_t OrvaAutomationAbiVersion(void) {
    return ORVA_AUTOMATION_ABI_VERSION;
}

// The loader calls it after finding the library through the registry.
__attribute__((visibility("default"))) int32_t OrvaCreateObject(const char* progId, orva_object** object,
                                                                orva_error* error) {
    using namespace orva;
    if (object) *object = nullptr;
    auto create = [&] {
        if (!object)
            automation::Raise(automation::errors::kInvalidCall, u"OrvaCreateObject: no place for the object");
        automation::Text id;
        try {
            id = automation::FromUtf8(progId ? progId : "");
        } catch (const automation::AutomationError&) {
            automation::Raise(automation::errors::kInvalidCall, u"The program ID is not valid UTF-8");
        }
        if (!automation::ClassRegistry::Instance().IsRegistered(id)) capi::RaiseNotOurClass(id);
        *object = capi::MakeHandle(automation::CreateObject(id));
    };
    return capi::ReportErrors(error, create, u"OrvaClassDeploy");
}

// Forgets this thread's module state (language, text components): for a host that reuses a thread
// for another login (orva_reset_thread_state). Only drops references, so nothing can fail.
__attribute__((visibility("default"))) void OrvaResetThreadState(void) { orva::hostctx::ResetModuleState(); }

}  // extern "C"
