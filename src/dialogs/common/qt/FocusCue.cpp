#include "dialogs/common/qt/FocusCue.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>

namespace orva::dialogs {

FocusCue::FocusCue(QWidget* dialog) : QWidget(dialog) {
    setObjectName("focusCue");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
    QObject::connect(qApp, &QApplication::focusChanged, this, [this] { Follow(); });
    dialog->installEventFilter(this);
}

void FocusCue::Follow() {
    QWidget* dialog = parentWidget();
    QWidget* focused = dialog->isActiveWindow() ? dialog->focusWidget() : nullptr;
    if (focused && (!focused->isVisibleTo(dialog) || !dialog->isAncestorOf(focused))) focused = nullptr;
    if (focused == this) focused = nullptr;
    if (m_target && m_target != focused) m_target->removeEventFilter(this);
    if (!focused) {
        m_target = nullptr;
        hide();
        return;
    }
    if (m_target != focused) focused->installEventFilter(this);
    m_target = focused;
    const QRect area(focused->mapTo(dialog, QPoint(0, 0)), focused->size());
    setGeometry(area.adjusted(-kWidth, -kWidth, kWidth, kWidth));
    raise();
    show();
    update();
}

bool FocusCue::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Hide:
        case QEvent::Show:
        case QEvent::WindowActivate:
        case QEvent::WindowDeactivate:
            Follow();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void FocusCue::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QPen pen(palette().color(QPalette::Active, QPalette::Highlight), kWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.drawRect(QRectF(rect()).adjusted(kWidth / 2.0, kWidth / 2.0, -kWidth / 2.0, -kWidth / 2.0));
}

}  // namespace orva::dialogs
