#pragma once
// Conversions between the C interface's values (orva/orva_automation.h) and the library's own, and
// the object handles the library gives out. Used by the exported entry points; tests call them
// directly.

#include <functional>

#include "automation/AutomationError.h"
#include "automation/Variant.h"
#include "capi/orva_server_abi.h"

namespace orva::capi {

// A new handle to object (nothing gives NULL). Raises 7 when memory runs out.
orva_object* MakeHandle(automation::ObjectRef object);

// The object behind a handle of this library; nothing for NULL. Raises 13 for a handle made by
// another library (its function table is not ours).
automation::ObjectRef ObjectOfHandle(const orva_object* handle);

// The library's value for a C variant: texts must be valid UTF-8 (5 naming `what` otherwise), handles
// ours (13), types known (5); arrays are converted item by item. The C variant is only read.
automation::Variant FromCVariant(const orva_variant& value, const char* what);

// Stores value into *out, which must be empty: texts as UTF-8 (a lone surrogate becomes U+FFFD),
// objects as new handles, arrays item by item. Raises 7 when memory runs out; *out is then empty.
void ToCVariant(const automation::Variant& value, orva_variant* out);

// Runs body and returns 0, or, when it raises, the error's number after copying the number,
// description and source into *error (when not NULL). Anything else thrown becomes an automation
// error as CurrentAsAutomationError says. An error that names no source gets `source` (the C entry
// point, or the class and member that was called), read when the error is reported, so body may
// still change it. A host always learns where an error came from. Never throws.
int32_t ReportErrors(orva_error* error, const std::function<void()>& body,
                     const automation::Text& source = {});

// Publishes a host login property for this process (orva_publish_property); EntryPoints.cpp.
// "Language" must be one of the text values CHS, CHT, EN (any letter case): anything else is refused
// with 5 naming the value, and nothing is published.
int32_t PublishHostProperty(const char* name, const orva_variant* value, orva_error* error);

// Fills *error with the automation error (clearing it first). Never throws; texts that cannot be
// allocated stay NULL.
void FillError(orva_error* error, const automation::AutomationError& failure);

}  // namespace orva::capi
