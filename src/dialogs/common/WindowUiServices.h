#pragma once
// The UI services of real windows. They live in the Qt views library (libOrvaClassDeployViews.so),
// which this library loads only here, on the first request: headless hosts and commands never load
// Qt, so they need no display and do not pay Qt's start-up.
//
// The views library exports one C function, kWindowUiFactorySymbol, of type WindowUiFactory.

#include <memory>

#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

inline constexpr const char* kViewsLibraryName = "libOrvaClassDeployViews.so.0";
inline constexpr const char* kWindowUiFactorySymbol = "OrvaCreateWindowUiServices";
// Fills *out with UI services for this thread; whatever it raises passes to the caller.
using WindowUiFactory = void (*)(std::shared_ptr<UiServices>* out);

// UI services that show real windows, for the calling thread. Loads the views library from the folder
// of this library (then by the loader's search path) on first use and keeps it loaded for the life of
// the process. Raises 429 naming the library and the loader's reason when it cannot be loaded, and the
// views library's own error when no window can be opened here (no display, not the thread of the
// host's QApplication).
std::shared_ptr<UiServices> WindowUiServices();

}  // namespace orva::dialogs
