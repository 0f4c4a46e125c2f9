#pragma once
// Adapts a deployment packet to the installation it is deployed into: business-object class
// identifiers are replaced and function names renamed as the caller's deployment information says.
//
// Deployment information (a dictionary):
//   any key other than "ChangeName": an old class identifier (the text after "|" in a class
//     parameter) -> the identifier to use instead;
//   "ChangeName": old class identifier -> dictionary language code -> new object name.

#include "automation/Text.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"

namespace orva::core {

inline constexpr const char16_t* kChangeNameKey = u"ChangeName";

// Rewrites the entries of packet in place for the given language code. For each entry, the
// identifier is the second "|"-separated part of FClassParam; when info has it as a key, FClassParam
// becomes the first part, "|" and the new identifier; when the rename table has it, FFuncName
// becomes the new name, "-" and the part after the last "-" of the old name (the whole old name when
// it has no "-"), and NewName follows FFuncName; a rename table with no name (or an empty one) for the
// language leaves both names as they are.
// Raises 9 for a class parameter without "|", 13/91 for malformed tables; entries before the
// failing one stay rewritten.
void RemapPacket(components::Vector& packet, const components::Dictionary& info,
                 const automation::Text& language);

}  // namespace orva::core
