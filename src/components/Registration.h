#pragma once
// Registers the program IDs of the components this folder implements with the class registry.
// Idempotent and thread-safe; the library calls it when it is loaded, tests call it in their setup.

namespace orva::components {

void RegisterComponentClasses();

}  // namespace orva::components
