// The Qt views through their real widgets under the offscreen platform: frmInput's window (names,
// twips geometry, captions, font, Enter, Esc, mnemonics, closing, the message box) and the binding of
// lists, failures and threads in the window UI services.

#include <gtest/gtest.h>

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyleFactory>
#include <QTest>
#include <QTreeWidget>
#include <thread>

#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "core/KeyedEntry.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/common/WindowUiServices.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/FocusCue.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtUiServices.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/promu/frmPromu.h"
#include "dialogs/qt/ModalDriver.h"
#include "support/ErrorNumber.h"
#include "support/TestAccount.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using testing::ModalDriver;

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

std::shared_ptr<frmInput> ShowInput(const Text& initial) {
    auto dialog = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
    dialog->m_strText = initial;
    dialog->ShowModal();
    return dialog;
}

TEST(InputView, BuildsNamedWidgetsAtTheirTwipsWithCaptionsAndTheDialogFont) {
    testing::HostLanguage language(u"CHS");
    ModalDriver driver;
    auto model = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
    model->m_strText = u"旧名";
    driver.Then(ModalDriver::Named("frmInput"), [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "修改");
        int dpi = w->logicalDpiX();
        auto px = [dpi](int twips) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); };
        EXPECT_EQ(w->size(), QSize(px(6915), px(975)));
        EXPECT_EQ(Child<QLabel>(w, "labText")->geometry(), QRect(px(150), px(210), px(3120), px(210)));
        EXPECT_EQ(Child<QLineEdit>(w, "txtContent")->geometry(), QRect(px(135), px(510), px(5415), px(300)));
        EXPECT_EQ(Child<QPushButton>(w, "cmdOK")->geometry(), QRect(px(5700), px(135), px(1095), px(300)));
        EXPECT_EQ(Child<QPushButton>(w, "cmdCancel")->geometry(),
                  QRect(px(5700), px(510), px(1095), px(300)));
        EXPECT_EQ(Child<QLabel>(w, "labText")->text(), "请输入内容：");
        EXPECT_EQ(Child<QPushButton>(w, "cmdOK")->text(), "确定(&O)");
        EXPECT_EQ(Child<QLineEdit>(w, "txtContent")->selectedText(), "旧名");  // ready to be typed over
        EXPECT_NE(model->FontName(), DialogModel::kDesignFontName);            // the language's font
        EXPECT_EQ(Child<QPushButton>(w, "cmdOK")->font().family(), ToQt(model->FontName()));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    model->ShowModal();
    EXPECT_FALSE(model->bOK);
}

// Without a form loader the dialog keeps its design font, 宋体 9 points GB2312; a machine without 宋体
// shows it in the Simplified Chinese font fontconfig has, so the texts still render.
TEST(InputView, TheDesignFontShowsAsAnInstalledChineseFontWithoutAFormLoader) {
    testing::HostLanguage language(u"CHS");
    automation::ScopedClassOverride noFormLoader(u"OrvaFormText.FormLoader", nullptr);
    ModalDriver driver;
    auto model = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
    driver.Then(ModalDriver::Named("frmInput"), [&](QWidget* w) {
        EXPECT_EQ(model->FontName(), u"宋体");
        for (const char* name : {"labText", "cmdOK", "txtContent"}) {
            const QFont font = Child<QWidget>(w, name)->font();
            const QString shown = QFontInfo(font).family();
            EXPECT_TRUE(QFontDatabase::families(QFontDatabase::SimplifiedChinese).contains(shown))
                << name << " " << shown.toStdString();
            EXPECT_EQ(font.pointSizeF(), 9) << name;
        }
        QTest::keyClick(w, Qt::Key_Escape);
    });
    model->ShowModal();
}

TEST(InputView, EnterConfirmsEscMnemonicAndClosingCancel) {
    testing::HostLanguage language(u"CHS");
    struct Case {
        const char* what;
        std::function<void(QWidget*)> finish;
        bool bOK;
    };
    const Case cases[] = {
        {"Enter", [](QWidget* w) { QTest::keyClick(Child<QLineEdit>(w, "txtContent"), Qt::Key_Return); },
         true},
        {"Alt+O", [](QWidget* w) { QTest::keyClick(w, Qt::Key_O, Qt::AltModifier); }, true},
        {"Esc", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }, false},
        {"Alt+C", [](QWidget* w) { QTest::keyClick(w, Qt::Key_C, Qt::AltModifier); }, false},
        {"closing the window", [](QWidget* w) { w->close(); }, false},
        {"a mouse click on cmdOK",
         [](QWidget* w) { QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton); }, true},
    };
    for (const Case& c : cases) {
        ModalDriver driver;
        driver.Then(ModalDriver::Named("frmInput"), [&](QWidget* w) {
            QTest::keyClicks(Child<QLineEdit>(w, "txtContent"), "  new name ");
            c.finish(w);
        });
        auto model = ShowInput(u"old");
        EXPECT_EQ(model->bOK, c.bOK) << c.what;
        EXPECT_EQ(model->txtContent.Text(), u"  new name ") << c.what;  // typed over the selected text
        EXPECT_EQ(model->m_strText, c.bOK ? u"new name" : u"old") << c.what;
    }
}

TEST(InputView, TooLongTextShowsTheWarningBoxAtLoadAndOnConfirm) {
    testing::HostLanguage language(u"CHS");
    ModalDriver driver;
    int boxes = 0;
    auto dismiss = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        EXPECT_EQ(box->text(), "输入不能超过80个字符！");
        EXPECT_EQ(box->windowTitle(), "Tarvo提示");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        ++boxes;
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    };
    driver.Then(ModalDriver::OfType<QMessageBox>(), dismiss);  // at load, before the dialog shows
    driver.Then(ModalDriver::Named("frmInput"),
                [](QWidget* w) { QTest::keyClick(Child<QLineEdit>(w, "txtContent"), Qt::Key_Return); });
    driver.Then(ModalDriver::OfType<QMessageBox>(), dismiss);  // the refused cmdOK
    driver.Then(ModalDriver::Named("frmInput"), [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
    auto model = ShowInput(Text(81, u'长'));
    EXPECT_EQ(boxes, 2);
    EXPECT_FALSE(model->bOK);
}

// A dialog with one list of each kind, for the list binding.
class ListsDialog : public DialogModel {
public:
    explicit ListsDialog(std::shared_ptr<UiServices> ui)
        : DialogModel(u"frmLists", 6000, 4000, std::move(ui)),
          lstTopClass(AddControl<ListBox>(u"lstTopClass", {100, 100, 2000, 2000})),
          lvwResult(AddControl<ListView>(u"lvwResult", {2200, 100, 3000, 2000})),
          cmdFail(AddControl<Button>(u"cmdFail", {100, 2200, 1000, 300})) {
        lstTopClass.Click = [this] { clicks.push_back(lstTopClass.ListIndex()); };
        cmdFail.Click = [] { automation::Raise(91, u"handler failed"); };
    }
    ListBox& lstTopClass;
    ListView& lvwResult;
    Button& cmdFail;
    std::vector<int32_t> clicks;
    automation::Text TypeName() const override { return u"frmLists"; }

protected:
    void Form_Load() override {
        lstTopClass.AddItems({core::ComposeKeyedEntry(u"基础资料", u"1"),
                              core::ComposeKeyedEntry(u"报表", u"2"),
                              core::ComposeKeyedEntry(u"单据", u"3")});
        lvwResult.AddColumn(u"功能");
        for (int i = 1; i <= 4; ++i) lvwResult.AddItem(u"item " + automation::Int32ToText(i), u"t");
        lvwResult.SelectOnly({2, 4});
    }
    std::optional<automation::Variant> InvokeOwn(automation::TextView, automation::CallKind,
                                                 std::span<automation::Variant>) override {
        return std::nullopt;
    }
};

TEST(ListBinding, MouseClickRunsTheHandlerOnceAndModelChangesComeBackWithoutAClick) {
    ModalDriver driver;
    auto model = std::make_shared<ListsDialog>(std::make_shared<QtUiServices>());
    driver.Then(ModalDriver::Named("frmLists"), [&](QWidget* w) {
        auto* list = Child<QListWidget>(w, "lstTopClass");
        ASSERT_EQ(list->count(), 3);
        EXPECT_EQ(list->item(0)->text(), "基础资料");  // the display part only
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(model->lstTopClass.ListIndex(), 1);
        // A ctrl-click on the selected entry leaves it selected, on screen as in the model, and runs
        // no handler: a list box always shows the entry the dialog goes by.
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->visualItemRect(list->item(1)).center());
        EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{list->item(1)});
        EXPECT_EQ(model->lstTopClass.ListIndex(), 1);
        model->lstTopClass.SetListIndex(2);  // from code: one Click, mirrored without another
        EXPECT_EQ(list->currentRow(), 2);
        model->lstTopClass.SetEnabled(false);
        EXPECT_FALSE(list->isEnabled());

        auto* view = Child<QTreeWidget>(w, "lvwResult");
        EXPECT_EQ(view->headerItem()->text(0), "功能");
        EXPECT_EQ(view->selectedItems().size(), 2);
        view->selectionModel()->select(view->model()->index(0, 0),
                                       QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        EXPECT_EQ(model->lvwResult.SelectedIndexes(), (std::vector<int32_t>{1}));
        QTest::keyClick(w, Qt::Key_Escape);  // no cancel button: closes
    });
    model->ShowModal();
    EXPECT_EQ(model->clicks, (std::vector<int32_t>{1, 2}));
    EXPECT_FALSE(model->IsShown());
}

TEST(WindowUiServices, AHandlerFailureClosesTheWindowAndReachesTheCaller) {
    ModalDriver driver;
    std::shared_ptr<UiServices> ui = WindowUiServices();  // through the loader, as the library does
    auto model = std::make_shared<ListsDialog>(ui);
    driver.Then(ModalDriver::Named("frmLists"),
                [](QWidget* w) { QTest::mouseClick(Child<QPushButton>(w, "cmdFail"), Qt::LeftButton); });
    Text description;
    EXPECT_EQ(testing::ErrorNumberOf([&] { model->ShowModal(); }, &description), 91);
    EXPECT_EQ(description, u"handler failed");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    {
        HourglassScope busy(*ui);
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(WindowUiServices, AnotherThreadGetsAClearErrorInsteadOfAHang) {
    auto ui = std::make_shared<QtUiServices>();
    auto model = std::make_shared<frmInput>(ui);
    Text fromShow, fromCreate;
    int showNumber = 0, createNumber = 0;
    std::thread([&] {
        showNumber = testing::ErrorNumberOf([&] { model->ShowModal(); }, &fromShow);
        createNumber = testing::ErrorNumberOf([] { WindowUiServices(); }, &fromCreate);
    }).join();
    EXPECT_EQ(showNumber, kNoWindowError);
    EXPECT_EQ(fromShow,
              u"No window can be opened: dialogs can only be shown on the thread of the host's "
              u"QApplication");
    EXPECT_EQ(createNumber, kNoWindowError);
    EXPECT_FALSE(model->IsLoaded());
}

// The dialog's pixels round a widget, with room for a mark drawn just outside it.
QImage Around(QWidget* dialog, QWidget* widget) {
    const QRect area(widget->mapTo(dialog, QPoint(0, 0)), widget->size());
    return dialog
        ->grab(area.adjusted(-FocusCue::kWidth - 1, -FocusCue::kWidth - 1, FocusCue::kWidth + 1,
                             FocusCue::kWidth + 1))
        .toImage();
}

// Every focusable control looks different with the focus than without: the default button (frmInput's
// cmdOK), a list box that holds nothing (frmPromu's lstSubFunc before a subsystem is chosen), the
// tree, the list view, in Fusion and in the Windows style; the mark goes when the window loses the
// activation.
TEST(FocusCue, EveryFocusableControlShowsItsFocusInEachStyle) {
    testing::TestAccount account(true, "CHS");
    const QString original = QApplication::style()->name();
    for (const char* styleName : {"Fusion", "Windows"}) {
        QApplication::setStyle(QStyleFactory::create(styleName));
        std::vector<std::shared_ptr<DialogModel>> models;
        auto input = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
        input->m_strText = u"旧名";
        auto promu = std::make_shared<frmPromu>(std::make_shared<QtUiServices>());
        promu->m_lCurSubSystem = 12;
        promu->Load();
        promu->lstSubFunc.Clear();  // an empty list box
        for (const std::shared_ptr<DialogModel>& model :
             {std::shared_ptr<DialogModel>(input), std::shared_ptr<DialogModel>(promu)}) {
            model->Load();
            std::unique_ptr<DialogView> view = CreateView(*model, nullptr);
            view->show();
            view->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
            auto* cue = dynamic_cast<FocusCue*>(view->findChild<QWidget*>("focusCue"));
            ASSERT_NE(cue, nullptr);
            std::vector<QWidget*> focusable;
            for (QWidget* widget : view->findChildren<QWidget*>()) {
                if (widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus) &&
                    !widget->objectName().isEmpty() && widget->focusProxy() == nullptr)
                    focusable.push_back(widget);
            }
            ASSERT_GE(focusable.size(), 3u);
            for (size_t i = 0; i < focusable.size(); ++i) {
                QWidget* widget = focusable[i];
                const std::string what = std::string(styleName) + " " + widget->objectName().toStdString();
                focusable[(i + 1) % focusable.size()]->setFocus();
                QCoreApplication::processEvents();
                const QImage without = Around(view.get(), widget);
                widget->setFocus();
                QCoreApplication::processEvents();
                EXPECT_EQ(cue->Target(), widget) << what;
                EXPECT_NE(Around(view.get(), widget), without) << what;
            }
            if (auto* list = view->findChild<QListWidget*>("lstSubFunc")) EXPECT_EQ(list->count(), 0);
            QWidget elsewhere;
            elsewhere.show();
            elsewhere.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
            EXPECT_EQ(cue->Target(), nullptr) << styleName;
        }
    }
    QApplication::setStyle(QStyleFactory::create(original));
}

}  // namespace
}  // namespace orva::dialogs
