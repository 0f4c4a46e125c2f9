#pragma once
// Checks of the JSON inputs' shapes, before the library reads them: a value of the wrong kind is
// refused naming the file and the value's place ("$/CHS[2]/FFuncName", indexes from 1, as
// ParsePropertyBagJson names places), instead of a bare "Type mismatch" from deep inside a deployment.

#include "automation/Text.h"
#include "bag/Dictionary.h"

namespace orva::cli {

// A packet set given to pack: each of "CHS", "CHT" and "EN" that is present must be an array of
// objects, and the fields the deployment reads (FTopClassID ... No) must be texts or numbers where an
// entry has them. Other keys and fields are left alone. Raises 13 naming file and place.
void CheckPacketSetShape(const components::Dictionary& root, const automation::Text& file);

// Deployment information given to deploy --info: every value but "ChangeName" a text or number (the
// new class identifier); "ChangeName" absent or an object whose values are objects of texts or
// numbers (a name per language). Raises 13 naming file and place.
void CheckDeploymentInfoShape(const components::Dictionary& info, const automation::Text& file);

}  // namespace orva::cli
