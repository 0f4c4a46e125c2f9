#pragma once
// Screenshots of dialogs and message boxes without a display, for `--screenshot` and the documentation's
// pictures. The rendering lives in the Qt views library, loaded on first use as WindowUiServices() loads it,
// so this header and its callers stay free of Qt.

#include <filesystem>

#include "dialogs/common/DialogModel.h"
#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

inline constexpr const char* kRenderDialogSymbol = "OrvaRenderDialogPng";
// Renders *dialog into the PNG file at *png (UTF-8 path); whatever it raises passes to the caller.
using RenderDialogFunction = void (*)(DialogModel* dialog, const char* png);

// Renders the dialog as its window shows it now (loaded or not; shown or already hidden: the state
// its controls hold) into a PNG file, replacing the file. Needs no display: where no window can be
// opened and no application object exists yet, the rendering runs on Qt's offscreen platform. The
// file is saved by WriteFileAtomically (storage/AtomicFile.h), so a target that is not a regular file
// is refused as it refuses it. Raises 429 when the views library cannot be loaded, and what the save
// raises, naming the file.
void RenderDialogPng(DialogModel& dialog, const std::filesystem::path& png);

inline constexpr const char* kRenderMessageSymbol = "OrvaRenderMessagePng";
using RenderMessageFunction = void (*)(const MessageBoxRequest* request, const char* png);

// Renders the message box of request as its window shows it in the host's language (details open,
// where it has some) into a PNG file, replacing the file; needs no display and raises as
// RenderDialogPng does.
void RenderMessagePng(const MessageBoxRequest& request, const std::filesystem::path& png);

}  // namespace orva::dialogs
