// The entry points libOrvaClassDeploy exports with C linkage for liborva-loader: the interface
// version and creation by program ID (capi/orva_server_abi.h); registration as an in-process server
// is exported beside the registry code (api/RegistrationEntryPoints.cpp). Every one catches all
// failures and reports them as an error number: no exception crosses into a C host.

#include <string>

#include "automation/ClassRegistry.h"
#include "automation/Text.h"
#include "automation/TextHelpers.h"
#include "capi/VariantBridge.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"

namespace orva::capi {

using namespace automation;

int32_t PublishHostProperty(const char* name, const orva_variant* value, orva_error* error) {
    return ReportErrors(error, [&] {
        Text property;
        try {
            property = FromUtf8(name ? name : "");
        } catch (const AutomationError&) {
            Raise(errors::kInvalidCall, u"The property name is not valid UTF-8");
        }
        if (property.empty()) Raise(errors::kInvalidCall, u"The property name is empty");
        orva_variant empty = ORVA_VARIANT_INIT;
        components::PublishOwnProperty(property, FromCVariant(value ? *value : empty, "the property value"));
        // A new login for this thread: the text services learn the language again from it.
        if (EqualsNoCase(property, u"Language") || EqualsNoCase(property, u"PropsString")) {
            hostctx::ResetModuleState();
        }
    });
}

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
    return capi::ReportErrors(error, [&] {
        if (!object)
            automation::Raise(automation::errors::kInvalidCall, u"OrvaCreateObject: no place for the object");
        automation::Text id;
        try {
            id = automation::FromUtf8(progId ? progId : "");
        } catch (const automation::AutomationError&) {
            automation::Raise(automation::errors::kInvalidCall, u"The program ID is not valid UTF-8");
        }
        *object = capi::MakeHandle(automation::CreateObject(id));
    });
}

}  // extern "C"
