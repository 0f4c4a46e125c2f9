#pragma once
// UI services over Qt Widgets: modal dialogs, message boxes and the wait cursor. Qt-only; lives in the
// views library, which libOrvaClassDeploy loads through WindowUiServices().
//
// The application object: a host's QApplication is used as it is and never deleted. Without one, the
// first services create a QApplication on the calling thread and keep it for the life of the process,
// but only where windows can be opened (a platform named in QT_QPA_PLATFORM, a Wayland display, or an
// X display whose local socket exists), so a host without a display gets an automation error instead
// of Qt ending the process. Dialogs run only on the application's thread: Qt cannot show a modal
// window from another thread, so such a call raises.

#include <memory>

#include "dialogs/common/UiServices.h"

class QApplication;

namespace orva::dialogs {

// The error number of "no window can be opened here" (no display, wrong thread, no QApplication).
inline constexpr int32_t kNoWindowError = 5;

// The application object: the host's, or one created now and kept (see above). offscreenWhenNoDisplay:
// where no window can be opened, create it on Qt's offscreen platform instead of raising (for
// rendering dialogs into pictures).
QApplication& Application(bool offscreenWhenNoDisplay);

class QtUiServices : public UiServices {
public:
    // Raises kNoWindowError naming the reason when no window can be opened on this thread.
    QtUiServices();

    // Builds the dialog's view (the registered one, or the generic view), shows it modally and returns
    // when the model is hidden. A failure raised by a handler while the dialog is open closes the
    // window and is raised again here. The window under it (if any) is active again afterwards.
    void ShowModal(DialogModel& dialog) override;
    // A MessageBoxWindow over the active window: the exact text and title, the buttons and icon of the
    // style (48: OK and the warning icon), details behind Qt's details toggle; Qt's own texts in the
    // host's language (FollowHostLanguage), as in every dialog ShowModal shows.
    int32_t MessageBox(const MessageBoxRequest& request) override;
    // Hourglass: Qt's wait cursor over the whole application until the pointer is set back.
    void SetMousePointer(MousePointer pointer) override;
    MousePointer GetMousePointer() const override;

private:
    void RequireApplicationThread() const;
};

}  // namespace orva::dialogs
