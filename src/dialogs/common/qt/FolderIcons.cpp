#include "dialogs/common/qt/FolderIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

namespace orva::dialogs {

namespace {

const QColor kOutline(0x8a, 0x64, 0x1c);
const QColor kBack(0xd9, 0xa4, 0x34);
const QColor kFront(0xf6, 0xcf, 0x6a);
const QColor kSheet(0xff, 0xff, 0xff);
const QColor kSheetLine(0x9a, 0x9a, 0x9a);

// Draws a picture designed on a 16 x 16 grid at 16, 24 and 32 pixels.
QIcon DrawnIcon(const std::function<void(QPainter&)>& draw) {
    QIcon icon;
    for (int size : {16, 24, 32}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(size / 16.0, size / 16.0);
        painter.setPen(QPen(kOutline, 1.0));
        draw(painter);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

// The back of a folder with its tab: the tab's top edge at top, running to tabEnd; the body to right.
QPainterPath Folder(qreal top, qreal tabEnd, qreal right) {
    QPainterPath path;
    path.moveTo(1.5, top);
    path.lineTo(tabEnd, top);
    path.lineTo(tabEnd + 1.5, top + 1.5);
    path.lineTo(right, top + 1.5);
    path.lineTo(right, 13.5);
    path.lineTo(1.5, 13.5);
    path.closeSubpath();
    return path;
}

}  // namespace

QIcon ClosedFolderIcon() {
    return DrawnIcon([](QPainter& painter) {
        painter.setBrush(kBack);
        painter.drawPath(Folder(3.5, 6.0, 14.5));
        painter.setBrush(kFront);
        painter.drawRect(QRectF(1.5, 6.5, 13.0, 7.0));
    });
}

QIcon OpenFolderIcon() {
    return DrawnIcon([](QPainter& painter) {
        painter.setBrush(kBack.darker(115));
        painter.drawPath(Folder(2.5, 5.5, 12.5));
        // A sheet inside, with a line of text.
        painter.setBrush(kSheet);
        painter.setPen(QPen(kSheetLine, 1.0));
        painter.drawRect(QRectF(3.5, 0.5, 9.0, 10.0));
        painter.drawLine(QPointF(5.0, 3.5), QPointF(11.0, 3.5));
        // The front flap, tilted open towards the viewer.
        QPainterPath flap;
        flap.moveTo(4.0, 7.5);
        flap.lineTo(15.5, 7.5);
        flap.lineTo(12.5, 13.5);
        flap.lineTo(1.0, 13.5);
        flap.closeSubpath();
        painter.setPen(QPen(kOutline, 1.0));
        painter.setBrush(kFront);
        painter.drawPath(flap);
    });
}

}  // namespace orva::dialogs
