#pragma once
// Where the name dialog opens over the dialog that renames: clear of the sub-function list and its
// Rename button, below them where the screen has room, and inside the screen.

#include <gtest/gtest.h>

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace orva::testing {

inline void ExpectClearOfTheRenamedList(QWidget* input) {
    QWidget* owner = input->parentWidget();
    ASSERT_NE(owner, nullptr);
    QRect kept;
    for (const char* name : {"lstSubFunc", "cmdModify"}) {
        auto* widget = owner->findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr) << name;
        kept |= QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    }
    const QRect window = input->frameGeometry();
    const QRect screen = input->screen()->availableGeometry();
    EXPECT_FALSE(window.intersects(kept)) << "covers the list";
    EXPECT_TRUE(screen.contains(window)) << "leaves the screen";
    if (kept.bottom() + window.height() < screen.bottom()) EXPECT_GT(window.top(), kept.bottom());
    EXPECT_EQ(window.left(), std::min(kept.left(), screen.right() + 1 - window.width()));  // under the list
}

}  // namespace orva::testing
