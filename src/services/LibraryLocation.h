#pragma once
// Where the loaded library file lies, so that it can find files installed beside it.

#include <filesystem>

namespace orva::services {

// The folder holding libOrvaClassDeploy.so as the dynamic loader found it (absolute, symlinks
// resolved). Falls back to the current folder when the loader cannot tell.
std::filesystem::path LibraryFolder();

}  // namespace orva::services
