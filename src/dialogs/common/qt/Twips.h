#pragma once
// Twips to pixels: a twip is 1/1440 of a logical inch, so the widget's logical DPI decides the size.

#include <QRect>
#include <QWidget>
#include <cmath>

#include "dialogs/common/Control.h"

namespace orva::dialogs {

inline int TwipsToPixels(int32_t twips, int dpi) {
    return static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

inline QRect TwipsRect(const Geometry& g, const QWidget& widget) {
    int x = widget.logicalDpiX();
    int y = widget.logicalDpiY();
    return QRect(TwipsToPixels(g.left, x), TwipsToPixels(g.top, y), TwipsToPixels(g.width, x),
                 TwipsToPixels(g.height, y));
}

}  // namespace orva::dialogs
