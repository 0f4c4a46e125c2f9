#pragma once
// The host's shared properties, read under this process's ID from the shared-properties store
// ("OrvaShare.PropertyStore", created anew for every read). Nothing is cached: every read asks the
// store again.

#include "automation/Variant.h"

namespace orva::hostctx {

// The value of one shared property of this process (an object reference when the store holds one).
// Asks the store twice: once to learn the kind of the answer, once for the answer itself.
// Failures (the store cannot be created, GetProperty fails) reach the caller.
automation::Variant GetSharedProperty(const automation::Text& name);

// The shared property "PropsString" as text. Failures reach the caller.
automation::Text GetPropsString();

// The value of name in the properties string, upper-cased and untrimmed, or the empty text. The
// value is that of the first entry called name, matched whole and without regard to letter case
// (blanks around it ignored), as the account reader matches it: "Language" is not found inside
// "DefLanguage=EN". The value runs to the next ";" or the end of the string. Never fails: an
// unreadable store gives the empty text.
automation::Text GetPropsValue(const automation::Text& name);

}  // namespace orva::hostctx
