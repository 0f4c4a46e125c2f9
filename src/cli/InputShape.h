#pragma once
// The shapes of the JSON inputs, checked value by value while they are parsed (ParsePropertyBagJson):
// a value of the wrong kind is refused at once, naming the file and the value's place
// ("$/CHS[2]/FFuncName", indexes from 1), before the rest of the file is read, instead of a bare
// "Type mismatch" from deep inside a deployment.

#include "automation/Text.h"
#include "bag/PropertyBagJson.h"

namespace orva::cli {

// A packet set given to pack: the top level an object (else 321); each of "CHS", "CHT" and "EN"
// that is present (in any letter case) an array of objects, and the fields the deployment reads
// (FTopClassID ... No) texts or numbers where an entry has them (else 13 naming file and place).
// Other keys and fields are left alone.
components::JsonShapeCheck PacketSetShape(const automation::Text& file);

// Deployment information given to deploy --info: the top level an object (else 321); every value
// but "ChangeName" a text or number (the new class identifier); "ChangeName" an object whose values
// are objects of texts or numbers (a name per language). Raises 13 naming file and place.
components::JsonShapeCheck DeploymentInfoShape(const automation::Text& file);

}  // namespace orva::cli
