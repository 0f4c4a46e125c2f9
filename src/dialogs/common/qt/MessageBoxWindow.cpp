#include "dialogs/common/qt/MessageBoxWindow.h"

#include <QAbstractButton>
#include <QEvent>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <algorithm>

#include "dialogs/common/qt/FocusCue.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtTranslations.h"

namespace orva::dialogs {

namespace {

constexpr int kDetailsColumns = 80;
constexpr int kDetailsLines = 12;

QMessageBox::Icon IconOf(int32_t style) {
    switch (style & 0x70) {
        case msgbox::kCritical:
            return QMessageBox::Critical;
        case msgbox::kQuestion:
            return QMessageBox::Question;
        case msgbox::kExclamation:
            return QMessageBox::Warning;
        case msgbox::kInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

MessageBoxWindow::MessageBoxWindow(const MessageBoxRequest& request, QWidget* owner) : QMessageBox(owner) {
    FollowHostLanguage();  // Qt's button texts are taken as the buttons are made
    setWindowTitle(ToQt(request.title));
    setText(ToQt(request.text));
    setIcon(IconOf(request.style));
    // The button sets of the styles 0-5 and the values their buttons answer.
    static const std::vector<ButtonAnswer> kSets[] = {
        {{QMessageBox::Ok, 1}},
        {{QMessageBox::Ok, 1}, {QMessageBox::Cancel, 2}},
        {{QMessageBox::Abort, 3}, {QMessageBox::Retry, 4}, {QMessageBox::Ignore, 5}},
        {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}, {QMessageBox::Cancel, 2}},
        {{QMessageBox::Yes, 6}, {QMessageBox::No, 7}},
        {{QMessageBox::Retry, 4}, {QMessageBox::Cancel, 2}},
    };
    const size_t set = static_cast<size_t>(request.style & 0x7);
    m_answers = kSets[set < std::size(kSets) ? set : 0];
    QMessageBox::StandardButtons buttons;
    for (const ButtonAnswer& answer : m_answers) buttons |= answer.button;
    setStandardButtons(buttons);
    setDefaultButton(m_answers.front().button);
    setEscapeButton(m_answers.back().button);
    new FocusCue(this);  // owned by the box
    if (request.details.empty()) return;
    setDetailedText(ToQt(request.details));
    if (QTextEdit* pane = DetailsPane()) {
        // Qt's pane takes no focus and a fixed 100 px: readable and copyable only by mouse, and barely.
        pane->setFocusPolicy(Qt::StrongFocus);
        pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        pane->setLineWrapMode(QTextEdit::WidgetWidth);
    }
    // Qt fixes the box's size as it toggles the details, after the toggle's other receivers: the pane
    // gets its room back here, after Qt.
    if (QAbstractButton* toggle = DetailsToggle()) {
        connect(
            toggle, &QAbstractButton::clicked, this, [this] { FitDetails(); }, Qt::QueuedConnection);
    }
}

int32_t MessageBoxWindow::Answer() const {
    QAbstractButton* clicked = clickedButton();
    for (const ButtonAnswer& answer : m_answers) {
        if (clicked == button(answer.button)) return answer.value;
    }
    return m_answers.back().value;
}

QAbstractButton* MessageBoxWindow::DetailsToggle() const {
    if (detailedText().isEmpty()) return nullptr;
    for (QAbstractButton* candidate : buttons()) {
        if (buttonRole(candidate) == QMessageBox::ActionRole) return candidate;
    }
    return nullptr;
}

QTextEdit* MessageBoxWindow::DetailsPane() const {
    return detailedText().isEmpty() ? nullptr : findChild<QTextEdit*>();
}

QSize MessageBoxWindow::DetailsMinimumSize(const QTextEdit& pane) {
    const QFontMetrics metrics(pane.font());
    const int frame = 2 * pane.frameWidth() + 2 * static_cast<int>(pane.document()->documentMargin());
    const int scrollBar = pane.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &pane);
    // As wide as the widest line (Chinese runs about twice as wide as Latin), at least 80 characters,
    // and no wider than three quarters of the screen: a longer line wraps.
    int widest = metrics.averageCharWidth() * kDetailsColumns;
    for (const QString& line : pane.toPlainText().split('\n'))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    if (const QScreen* screen = pane.screen())
        widest = std::min(widest, screen->availableGeometry().width() * 3 / 4);
    return QSize(widest + frame + scrollBar, metrics.lineSpacing() * kDetailsLines + frame);
}

bool MessageBoxWindow::event(QEvent* event) {
    // QMessageBox fixes its size again whenever its layout asks (a resize that rewraps the text does):
    // with the details open the size is the user's, so the layout request skips QMessageBox.
    if (event->type() == QEvent::LayoutRequest && DetailsPane() && DetailsPane()->isVisible())
        return QDialog::event(event);
    return QMessageBox::event(event);
}

void MessageBoxWindow::showEvent(QShowEvent* event) {
    QMessageBox::showEvent(event);
    FitDetails();
}

void MessageBoxWindow::FitDetails() {
    QTextEdit* pane = DetailsPane();
    if (!pane) return;
    if (m_detailsLeast.isEmpty()) m_detailsLeast = DetailsMinimumSize(*pane);  // measured once: 5,000 lines
    pane->setMinimumSize(m_detailsLeast);
    pane->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    pane->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // The pane sits in Qt's own holder (with a separator line above it): that takes the extra room.
    if (QWidget* holder = pane->parentWidget(); holder && holder != this)
        holder->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    if (pane->isVisible()) {
        // Open: the box grows to hold the pane and can be resized beyond that.
        setMinimumSize(sizeHint().expandedTo(layout()->minimumSize()));
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        if (width() < minimumWidth() || height() < minimumHeight()) resize(size().expandedTo(minimumSize()));
    }
}

}  // namespace orva::dialogs
