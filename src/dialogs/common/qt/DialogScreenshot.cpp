// Renders a dialog model, or a message box, into a PNG file through its real view, for `--screenshot` and the
// documentation's pictures. The view is built over the model, shown without reaching the screen and
// grabbed, so it works on the offscreen platform as on a display.
//
// A grab holds the client area only: the window title belongs to the window manager, and offscreen
// there is none. The picture therefore gets a title strip of its own above the client area, with the
// dialog's caption in the dialog's font (bold) and a thin border round the whole, so a screenshot shows
// which dialog it is, as a window on screen would.

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QPainter>
#include <QPixmap>
#include <QThread>

#include "automation/AutomationError.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/MessageBoxWindow.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtTranslations.h"
#include "dialogs/common/qt/QtUiServices.h"
#include "storage/AtomicFile.h"

namespace orva::dialogs {
namespace {

constexpr int kBorder = 1;

QPixmap WithTitleStrip(const QPixmap& client, const QWidget& view) {
    QFont titleFont = view.font();
    titleFont.setBold(true);
    const QFontMetrics metrics(titleFont);
    const int padding = metrics.height() / 3 + 2;
    const int stripHeight = metrics.height() + 2 * padding;
    const qreal ratio = client.devicePixelRatio();
    const QSize clientSize = client.deviceIndependentSize().toSize();

    QPixmap picture(QSize(clientSize.width() + 2 * kBorder, clientSize.height() + stripHeight + 2 * kBorder) *
                    ratio);
    picture.setDevicePixelRatio(ratio);
    const QPalette& palette = view.palette();
    picture.fill(palette.color(QPalette::Dark));
    QPainter painter(&picture);
    const QRect strip(kBorder, kBorder, clientSize.width(), stripHeight);
    painter.fillRect(strip, palette.color(QPalette::Active, QPalette::Highlight));
    painter.setPen(palette.color(QPalette::Active, QPalette::HighlightedText));
    painter.setFont(titleFont);
    const QRect textArea = strip.adjusted(padding, 0, -padding, 0);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(view.windowTitle(), Qt::ElideRight, textArea.width()));
    painter.drawPixmap(QPoint(kBorder, kBorder + stripHeight), client);
    return picture;
}

void RequireApplicationThread() {
    QApplication& application = Application(true);
    if (QThread::currentThread() != application.thread()) {
        automation::Raise(kNoWindowError, u"Dialogs can only be rendered on the thread of the QApplication");
    }
    FollowHostLanguage();
}

// Shown without reaching the screen, so layouts and scroll positions are those of a shown window, then
// grabbed with a title strip and saved.
void Save(QWidget& window, const char* png) {
    window.setAttribute(Qt::WA_DontShowOnScreen);
    window.show();
    // Active, as the window a person works in is: its focused control shows its focus (the text
    // cursor, the focus mark) as on screen.
    QApplication::setActiveWindow(&window);
    QCoreApplication::processEvents();
    QPixmap picture = WithTitleStrip(window.grab(), window);
    // Encoded in memory, then saved as packet files are: a target that is not a regular file (a
    // FIFO, a device, a folder, a link to nothing) is refused, never written into or waited on.
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture.save(&buffer, "PNG")) {
        automation::Raise(automation::errors::kDeviceIo,
                          automation::FromUtf8Lossy(png) + u": the picture cannot be encoded");
    }
    components::WriteFileAtomically(automation::FromUtf8(png),
                                    std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
}

void Render(DialogModel& dialog, const char* png) {
    RequireApplicationThread();
    std::unique_ptr<DialogView> view = CreateView(dialog, nullptr);
    Save(*view, png);
}

void RenderMessage(const MessageBoxRequest& request, const char* png) {
    RequireApplicationThread();
    MessageBoxWindow box(request, nullptr);
    // Details open, as a person who wants to read them sees the box.
    if (QAbstractButton* toggle = box.DetailsToggle()) {
        box.setAttribute(Qt::WA_DontShowOnScreen);
        box.show();
        toggle->click();
    }
    Save(box, png);
}

}  // namespace
}  // namespace orva::dialogs

// The entry point that RenderDialogPng() looks up after loading this library.
extern "C" __attribute__((visibility("default"))) void OrvaRenderDialogPng(orva::dialogs::DialogModel* dialog,
                                                                           const char* png) {
    orva::dialogs::Render(*dialog, png);
}

// The entry point that RenderMessagePng() looks up after loading this library.
extern "C" __attribute__((visibility("default"))) void OrvaRenderMessagePng(
    const orva::dialogs::MessageBoxRequest* request, const char* png) {
    orva::dialogs::RenderMessage(*request, png);
}
