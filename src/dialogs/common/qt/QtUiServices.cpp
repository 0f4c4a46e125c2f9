#include "dialogs/common/qt/QtUiServices.h"

#include <QApplication>
#include <QPointer>
#include <QThread>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "automation/AutomationError.h"
#include "dialogs/common/WindowUiServices.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/MessageBoxWindow.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtTranslations.h"

namespace orva::dialogs {

namespace {

using automation::FromUtf8;
using automation::Text;

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// Why no window can be opened without an application object, or empty when one can. Qt ends the
// process when its platform plugin finds no display, so the display is checked before Qt sees it.
std::string NoDisplayReason() {
    std::string platform = Env("QT_QPA_PLATFORM");
    bool x11 = platform.empty() || platform.starts_with("xcb");
    bool wayland = platform.starts_with("wayland");
    if (!x11 && !wayland) return {};  // a platform that needs no display server (offscreen, vnc, ...)
    if (!Env("WAYLAND_DISPLAY").empty() && !x11) return {};
    if (wayland) return "QT_QPA_PLATFORM names Wayland but WAYLAND_DISPLAY is not set";
    if (!Env("WAYLAND_DISPLAY").empty() && platform.empty()) return {};
    std::string display = Env("DISPLAY");
    if (display.empty()) return "neither DISPLAY nor WAYLAND_DISPLAY is set";
    // A local display (":0", "unix:0", ":0.1") is reachable only through its socket.
    size_t colon = display.rfind(':');
    std::string host = colon == std::string::npos ? display : display.substr(0, colon);
    if (colon != std::string::npos && (host.empty() || host == "unix")) {
        std::string number = display.substr(colon + 1);
        number = number.substr(0, number.find('.'));
        std::error_code error;
        if (!std::filesystem::exists("/tmp/.X11-unix/X" + number, error)) {
            return "the X display " + display + " is not running";
        }
    }
    return {};
}

[[noreturn]] void RaiseNoWindow(const std::string& reason) {
    automation::Raise(kNoWindowError, u"No window can be opened: " + FromUtf8(reason));
}

bool g_hourglass = false;  // touched only on the application's thread

// Gives the activation back to the window under a dialog or message box once it closes, as a window
// manager does; a platform without one (offscreen) would leave no window active, and the window under
// it would then ignore its mnemonics.
class OwnerReactivation {
public:
    explicit OwnerReactivation(QWidget* owner) : m_owner(owner) {}
    ~OwnerReactivation() {
        if (m_owner && m_owner->isVisible()) m_owner->activateWindow();
    }
    OwnerReactivation(const OwnerReactivation&) = delete;
    OwnerReactivation& operator=(const OwnerReactivation&) = delete;

private:
    QPointer<QWidget> m_owner;
};

}  // namespace

QApplication& Application(bool offscreenWhenNoDisplay) {
    QCoreApplication* existing = QCoreApplication::instance();
    if (auto* application = qobject_cast<QApplication*>(existing)) return *application;
    if (existing) RaiseNoWindow("the host's application object is not a QApplication");
    if (std::string reason = NoDisplayReason(); !reason.empty()) {
        if (!offscreenWhenNoDisplay) RaiseNoWindow(reason);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    // Kept for the life of the process, as Qt expects of its application object; the arguments must
    // outlive it.
    static int argc = 1;
    static char name[] = "orva-deploy";
    static char* argv[] = {name, nullptr};
    return *new QApplication(argc, argv);
}

QtUiServices::QtUiServices() {
    Application(false);
    RequireApplicationThread();
}

void QtUiServices::RequireApplicationThread() const {
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) RaiseNoWindow("the application object is gone");
    if (QThread::currentThread() != application->thread()) {
        RaiseNoWindow("dialogs can only be shown on the thread of the host's QApplication");
    }
}

void QtUiServices::ShowModal(DialogModel& dialog) {
    RequireApplicationThread();
    dialog.Load();
    dialog.MarkShown();
    FollowHostLanguage();
    QWidget* owner = QApplication::activeModalWidget();
    OwnerReactivation reactivation(owner);
    std::unique_ptr<DialogView> view = CreateView(dialog, owner);
    view->Run();
}

int32_t QtUiServices::MessageBox(const MessageBoxRequest& request) {
    RequireApplicationThread();
    QWidget* owner =
        QApplication::activeModalWidget() ? QApplication::activeModalWidget() : QApplication::activeWindow();
    OwnerReactivation reactivation(owner);
    MessageBoxWindow box(request, owner);
    box.exec();
    return box.Answer();
}

void QtUiServices::SetMousePointer(MousePointer pointer) {
    RequireApplicationThread();
    bool hourglass = pointer == MousePointer::Hourglass;
    if (hourglass == g_hourglass) return;
    g_hourglass = hourglass;
    if (hourglass) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

MousePointer QtUiServices::GetMousePointer() const {
    return g_hourglass ? MousePointer::Hourglass : MousePointer::Default;
}

}  // namespace orva::dialogs

// The entry point that WindowUiServices() looks up after loading this library.
extern "C" __attribute__((visibility("default"))) void OrvaCreateWindowUiServices(
    std::shared_ptr<orva::dialogs::UiServices>* out) {
    *out = std::make_shared<orva::dialogs::QtUiServices>();
}
