// Message boxes through the window UI services under the offscreen platform: Qt's own texts in the
// login's language (switching with it), the captions the headless transcript records, and a details
// pane that can be read, resized and copied.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>
#include <algorithm>

#include "automation/TextHelpers.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/common/MessageBoxCaptions.h"
#include "dialogs/common/qt/MessageBoxWindow.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtUiServices.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/qt/ModalDriver.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using testing::ModalDriver;

// The visible buttons of a box, left to right, as a person reads them (access-key markers removed).
std::vector<Text> CaptionsLeftToRight(QMessageBox* box) {
    std::vector<QAbstractButton*> shown;
    for (QAbstractButton* button : box->buttons()) {
        if (button->isVisible()) shown.push_back(button);
    }
    std::sort(shown.begin(), shown.end(), [box](QAbstractButton* a, QAbstractButton* b) {
        return a->mapTo(box, QPoint()).x() < b->mapTo(box, QPoint()).x();
    });
    std::vector<Text> captions;
    for (QAbstractButton* button : shown) captions.push_back(FromQt(button->text().remove('&')));
    return captions;
}

TEST(MessageBoxWindow, QtsOwnButtonTextsFollowTheLoginLanguageAndMatchTheTranscript) {
    struct Case {
        const char16_t* language;
        int32_t style;
        const char16_t* details;
        std::vector<Text> captions;
    };
    // The order switches language back and forth: each box follows the language of its moment.
    const Case cases[] = {
        {u"CHS", msgbox::kExclamation, u"", {u"确定"}},
        {u"CHT", msgbox::kExclamation, u"", {u"確定"}},
        {u"EN", msgbox::kExclamation, u"", {u"OK"}},
        {u"CHS", msgbox::kExclamation, u"一行", {u"确定", u"显示详情..."}},
        {u"EN", msgbox::kExclamation | 4, u"", {u"Yes", u"No"}},
        {u"CHT", msgbox::kQuestion | 3, u"一行", {u"是(Y)", u"否(N)", u"顯示詳情...", u"取消"}},
        {u"XX", msgbox::kCritical | 2, u"一行", {u"重试", u"忽略", u"显示详情...", u"中止"}},
        {u"EN", msgbox::kInformation | 5, u"", {u"Retry", u"Cancel"}},
    };
    for (const Case& c : cases) {
        testing::HostLanguage language(c.language);
        const MessageBoxRequest request{u"发布对象成功！", u"Tarvo提示", c.style, c.details};
        const std::string what = automation::ToUtf8Lossy(Text(c.language)) + " " + std::to_string(c.style);
        ModalDriver driver;
        driver.Then(ModalDriver::OfType<QMessageBox>(), [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            EXPECT_EQ(box->text(), "发布对象成功！") << what;
            EXPECT_EQ(box->windowTitle(), "Tarvo提示") << what;
            EXPECT_EQ(CaptionsLeftToRight(box), c.captions) << what;
            EXPECT_EQ(MessageBoxButtonCaptions(request, c.language), c.captions) << what;
            box->defaultButton()->click();
        });
        QtUiServices().MessageBox(request);
    }
}

// The text box's own menu in a dialog follows the language too, and switches with it.
TEST(MessageBoxWindow, TheContextMenuOfATextBoxFollowsTheLoginLanguage) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"CHT", "復原(&U)"}, {u"EN", "&Undo"}, {u"CHS", "撤消(&U)"}, {u"CHT", "復原(&U)"}};
    for (const auto& [code, undo] : cases) {
        testing::HostLanguage language(code);
        ModalDriver driver;
        driver.Then(ModalDriver::Named("frmInput"), [undo = undo](QWidget* w) {
            std::unique_ptr<QMenu> menu(w->findChild<QLineEdit*>("txtContent")->createStandardContextMenu());
            ASSERT_FALSE(menu->actions().isEmpty());
            EXPECT_EQ(menu->actions().front()->text().section('\t', 0, 0), undo);  // then its shortcut
            QTest::keyClick(w, Qt::Key_Escape);
        });
        auto input = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
        input->ShowModal();
    }
}

TEST(MessageBoxWindow, DetailsAreReadableSelectableAndTheOpenBoxResizes) {
    testing::HostLanguage language(u"CHS");
    Text details;
    for (int i = 1; i <= 5000; ++i) {
        if (i > 1) details += u"\n";
        details += u"[客户信用额度-维护] 发布到: [财务会计.总账.基础资料]成功！ 第" +
                   automation::Int32ToText(i) + u"行";
    }
    MessageBoxWindow box({u"发布对象成功！", u"Tarvo提示", msgbox::kExclamation, details}, nullptr);
    box.show();
    QTextEdit* pane = box.DetailsPane();
    ASSERT_NE(pane, nullptr);
    ASSERT_NE(box.DetailsToggle(), nullptr);
    EXPECT_FALSE(pane->isVisible());  // closed until asked for
    box.DetailsToggle()->click();
    QCoreApplication::processEvents();
    ASSERT_TRUE(pane->isVisible());
    EXPECT_EQ(box.DetailsToggle()->text(), "隐藏详情...");
    const QFontMetrics metrics(pane->font());
    EXPECT_GE(pane->viewport()->width(), 80 * metrics.averageCharWidth());
    EXPECT_GE(pane->viewport()->height(), 12 * metrics.lineSpacing());
    EXPECT_EQ(pane->toPlainText().count('\n'), 4999);  // every line, none cut

    // Resizable: larger than it opened, and the pane takes the room.
    const QSize opened = box.size();
    const int paneHeight = pane->height();
    EXPECT_GT(box.maximumHeight(), opened.height());
    box.resize(opened + QSize(200, 300));
    QCoreApplication::processEvents();
    EXPECT_EQ(box.size(), opened + QSize(200, 300));
    EXPECT_GE(pane->height(), paneHeight + 250);

    // Copyable by keyboard: the pane takes focus, selects all and copies.
    EXPECT_NE(pane->focusPolicy() & Qt::TabFocus, 0);
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(pane, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(QApplication::clipboard()->text().startsWith("[客户信用额度-维护] 发布到"));
    EXPECT_EQ(QApplication::clipboard()->text().count('\n'), 4999);
    box.close();
}

}  // namespace
}  // namespace orva::dialogs
