#pragma once
// Registers every program ID the library provides: its own public classes and the components it
// carries. Runs once when the library is loaded; safe to call again.

namespace orva::api {

void RegisterLibraryClasses();

}  // namespace orva::api
