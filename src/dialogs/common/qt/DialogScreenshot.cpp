// Renders a dialog model into a PNG file through its real view, for `--screenshot` and the
// documentation's pictures. The view is built over the model, laid out and grabbed without being
// shown, so it works on the offscreen platform as on a display.

#include <QApplication>
#include <QPixmap>
#include <QThread>

#include "automation/AutomationError.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtUiServices.h"

namespace orva::dialogs {
namespace {

void Render(DialogModel& dialog, const char* png) {
    QApplication& application = Application(true);
    if (QThread::currentThread() != application.thread()) {
        automation::Raise(kNoWindowError, u"Dialogs can only be rendered on the thread of the QApplication");
    }
    std::unique_ptr<DialogView> view = CreateView(dialog, nullptr);
    view->ensurePolished();
    QPixmap picture = view->grab();
    if (!picture.save(QString::fromUtf8(png), "PNG")) {
        automation::Raise(automation::errors::kDeviceIo,
                          automation::FromUtf8(png) + u": the picture cannot be written");
    }
}

}  // namespace
}  // namespace orva::dialogs

// The entry point that RenderDialogPng() looks up after loading this library.
extern "C" __attribute__((visibility("default"))) void OrvaRenderDialogPng(orva::dialogs::DialogModel* dialog,
                                                                           const char* png) {
    orva::dialogs::Render(*dialog, png);
}
