// The deployment wizard's window on the demo account, through its real widgets under the offscreen
// platform: what the user sees after loading (names, twips geometry inside and outside the frame,
// captions, columns, the lists' display texts, the font), mouse clicks that cascade, cmdModify following
// the model, the warning box, the ways out, and a whole session from selecting to the packet set. Also
// the pictures: every caption of both dialogs whole in CHS, CHT and EN, and the title strip.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>

#include "api/clsDeploywizard.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtUiServices.h"
#include "dialogs/common/qt/Twips.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/qt/ModalDriver.h"
#include "dialogs/qt/Placement.h"
#include "dialogs/wizard/frmWizard.h"
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

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
    return texts;
}

QStringList Texts(const QTreeWidget* view) {
    QStringList texts;
    for (int i = 0; i < view->topLevelItemCount(); ++i) texts.append(view->topLevelItem(i)->text(0));
    return texts;
}

void ClickRow(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

// A base-data type, a bill with actions and a query of the demo account, with FName in the language
// of part (0 CHS, 1 CHT, 2 EN), as a caller builds SelectClasses.
components::VectorRef DemoTypes(size_t part = 0) {
    struct Type {
        int32_t fid;
        Text names[3];
        int32_t billType;
    };
    static const Type kTypes[] = {
        {1001, {u"会计科目", u"會計科目", u"Account"}, 1},
        {81, {u"销售订单", u"銷售訂單", u"Sales Order"}, 4},
        {200000006, {u"销售毛利查询", u"銷售毛利查詢", u"Gross Margin Inquiry"}, 2},
    };
    components::VectorRef chosen = components::Vector::Create();
    for (const Type& t : kTypes) {
        auto type = components::Dictionary::Create();
        type->SetValue(u"FName", t.names[part]);
        type->SetValue(u"FMName", t.names[0] + u"|" + t.names[1] + u"|" + t.names[2]);
        type->SetValue(u"FBillTypeID", t.billType);
        type->SetValue(u"FID", t.fid);
        chosen->Add(type);
    }
    return chosen;
}

std::shared_ptr<frmWizard> NewWizard(size_t part = 0) {
    auto wizard = std::make_shared<frmWizard>(std::make_shared<QtUiServices>());
    wizard->SelectClasses = DemoTypes(part);
    return wizard;
}

TEST(WizardView, AfterLoadingShowsTheModelAtItsTwipsWithTheFrameHoldingItsControls) {
    testing::TestAccount account(true, "CHS");
    ModalDriver driver;
    auto model = NewWizard();
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        EXPECT_EQ(w->windowTitle(), "功能发布");
        const int dpi = w->logicalDpiX();
        auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
        auto rect = [&](int l, int t, int wd, int h) { return QRect(px(l), px(t), px(wd), px(h)); };
        EXPECT_EQ(w->size(), QSize(px(8505), px(6840)));
        auto* frame = Child<QGroupBox>(w, "Frame(0)");
        struct Expected {
            const char* name;
            QRect geometry;
            bool inFrame;
            const char* caption;  // nullptr: a list
        };
        const Expected expected[] = {
            {"Frame(0)", rect(75, 75, 8370, 4080), false, "功能列表"},
            {"lvwFuncDetail", rect(90, 270, 3855, 3735), true, nullptr},
            {"Label2", rect(4035, 315, 4050, 180), true, "发布的目标系统："},
            {"lstTopClass", rect(4035, 510, 4245, 960), true, nullptr},
            {"Label3", rect(4035, 1545, 4050, 180), true, "发布的目标子系统："},
            {"lstSubSystem", rect(4020, 1740, 4245, 960), true, nullptr},
            {"Label4", rect(4035, 2820, 4050, 180), true, "发布的目标子功能模块："},
            {"cmdModify", rect(6780, 2730, 1470, 285), true, "修改名称(&M) ↓"},
            {"lstSubFunc", rect(4020, 3030, 4245, 960), true, nullptr},
            {"cmdSet", rect(3045, 4275, 1215, 300), false, "添加(&A) ↓"},
            {"cmdDel", rect(4305, 4275, 1320, 300), false, "删除(&R) ↑"},
            {"cmdOK", rect(5850, 4275, 1215, 300), false, "确认(&F)"},
            {"cmdCancel", rect(7110, 4275, 1215, 300), false, "取消(&C)"},
            {"lvwResult", rect(45, 4635, 8400, 2160), false, nullptr},
        };
        for (const Expected& e : expected) {
            // A control that is not there fails the test; it is never passed over.
            QWidget* widget = Child<QWidget>(w, e.name);
            ASSERT_NE(widget, nullptr) << e.name;
            EXPECT_EQ(widget->geometry(), e.geometry) << e.name;
            EXPECT_EQ(widget->parentWidget(), e.inFrame ? frame : w) << e.name;
            if (!e.caption) continue;
            QString shown;
            if (auto* group = qobject_cast<QGroupBox*>(widget)) shown = group->title();
            if (auto* label = qobject_cast<QLabel*>(widget)) shown = label->text();
            if (auto* button = qobject_cast<QPushButton*>(widget)) shown = button->text();
            EXPECT_EQ(shown, QString::fromUtf8(e.caption)) << e.name;
        }
        // Report-style list views of one column under their header text.
        for (auto [name, header] :
             {std::pair{"lvwFuncDetail", "将要发布的功能："}, {"lvwResult", "发布列表"}}) {
            auto* view = Child<QTreeWidget>(w, name);
            EXPECT_EQ(view->columnCount(), 1) << name;
            EXPECT_FALSE(view->isHeaderHidden()) << name;
            EXPECT_EQ(view->headerItem()->text(0), QString::fromUtf8(header)) << name;
            // The only column fills the view: at least the model's width (the view less a scroll bar).
            EXPECT_GE(view->columnWidth(0), px(view == Child<QTreeWidget>(w, "lvwFuncDetail") ? 3555 : 8100));
        }
        EXPECT_EQ(Texts(Child<QTreeWidget>(w, "lvwFuncDetail")).size(), model->lvwFuncDetail.Count());
        EXPECT_EQ(Child<QTreeWidget>(w, "lvwFuncDetail")->selectedItems().size(),
                  model->lvwFuncDetail.Count());
        // List boxes show the display texts, neither padding nor key, the first entry selected.
        EXPECT_EQ(Texts(Child<QListWidget>(w, "lstTopClass")),
                  (QStringList{"财务会计", "供应链", "生产制造", "系统设置"}));
        EXPECT_EQ(Texts(Child<QListWidget>(w, "lstSubFunc")).last(), "销售毛利查询");
        for (const char* name : {"lstTopClass", "lstSubSystem", "lstSubFunc"}) {
            EXPECT_EQ(Child<QListWidget>(w, name)->currentRow(), 0) << name;
        }
        EXPECT_FALSE(Child<QPushButton>(w, "cmdModify")->isEnabled());
        // Tab walks the controls in the model's order, into the frame and out again.
        QStringList tabOrder;
        for (QWidget* next = w->nextInFocusChain(); next != w; next = next->nextInFocusChain()) {
            if ((next->focusPolicy() & Qt::TabFocus) && !next->objectName().isEmpty()) {
                tabOrder.append(next->objectName());
            }
        }
        EXPECT_EQ(tabOrder, (QStringList{"cmdOK", "cmdCancel", "lstTopClass", "lstSubSystem", "lstSubFunc",
                                         "cmdDel", "cmdSet", "cmdModify", "lvwResult", "lvwFuncDetail"}));
        EXPECT_NE(model->FontName(), DialogModel::kDesignFontName);  // the language's font
        EXPECT_EQ(Child<QListWidget>(w, "lstSubFunc")->font().family(), ToQt(model->FontName()));
        EXPECT_EQ(Child<QPushButton>(w, "cmdOK")->font().family(), ToQt(model->FontName()));
        QTest::keyClick(w, Qt::Key_Escape);
    });
    model->ShowModal();
    EXPECT_FALSE(model->bOK);
}

TEST(WizardView, MouseClicksCascadeAndCmdModifyFollowsTheModel) {
    testing::TestAccount account(true, "CHS");
    ModalDriver driver;
    auto model = NewWizard();
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        auto* top = Child<QListWidget>(w, "lstTopClass");
        auto* sub = Child<QListWidget>(w, "lstSubSystem");
        auto* func = Child<QListWidget>(w, "lstSubFunc");
        auto* modify = Child<QPushButton>(w, "cmdModify");
        ClickRow(top, "供应链");
        EXPECT_EQ(model->m_lTopClassID, 3);
        EXPECT_EQ(sub->item(sub->currentRow())->text(), "采购管理");  // refilled, first selected
        ClickRow(sub, "销售管理");
        EXPECT_EQ(model->m_lSubSystemID, 302);
        EXPECT_EQ(Texts(func),
                  (QStringList{"基础资料", "业务单据", "业务报表", "会计科目", "销售订单", "销售毛利查询"}));
        EXPECT_FALSE(modify->isEnabled());
        ClickRow(func, "销售订单");  // a proposal: may be named
        EXPECT_EQ(model->m_strSubFuncName, u"销售订单");
        EXPECT_TRUE(modify->isEnabled());
        ClickRow(func, "业务单据");  // a catalogue entry keeps its name
        EXPECT_FALSE(modify->isEnabled());
        QTest::keyClick(w, Qt::Key_C, Qt::AltModifier);  // cmdCancel by its mnemonic
    });
    model->ShowModal();
    EXPECT_FALSE(model->bOK);
}

TEST(WizardView, ConfirmingNothingWarnsAndEveryWayOutButConfirmLeavesBOKFalse) {
    testing::TestAccount account(true, "CHS");
    const std::pair<const char*, std::function<void(QWidget*)>> exits[] = {
        {"Esc", [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }},
        {"closing the window", [](QWidget* w) { w->close(); }},
        {"Alt+C (the wizard is active again after the box)",
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_C, Qt::AltModifier); }},
    };
    for (const auto& [what, leave] : exits) {
        ModalDriver driver;
        auto model = NewWizard();
        int boxes = 0;
        // Enter on a list presses the default button, cmdOK, which refuses the empty publish list.
        driver.Then(ModalDriver::Named("frmWizard"), [](QWidget* w) {
            auto* list = Child<QListWidget>(w, "lstTopClass");
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
        });
        driver.Then(ModalDriver::OfType<QMessageBox>(), [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            EXPECT_EQ(box->text(), "请选择好发布对象及发布位置！");
            EXPECT_EQ(box->windowTitle(), "Tarvo提示");
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            ++boxes;
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        driver.Then(ModalDriver::Named("frmWizard"), [&, leave = leave](QWidget* w) { leave(w); });
        model->ShowModal();
        EXPECT_EQ(boxes, 1) << what;
        EXPECT_FALSE(model->bOK) << what;
        EXPECT_FALSE(model->IsShown()) << what;
    }
}

// Waits for the model to hold count publish lines: a mnemonic clicks its button as a press animation
// does, from a timer.
void AwaitLines(const frmWizard& model, int32_t count) {
    for (int i = 0; i < 2000 && model.PromulgateList->Count() < count; ++i) QTest::qWait(5);
}

TEST(WizardView, ASessionFromSelectingThroughNamingToThePacketSet) {
    testing::TestAccount account(true, "CHS");
    ModalDriver driver;
    auto model = NewWizard();
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        auto* functions = Child<QTreeWidget>(w, "lvwFuncDetail");
        const int account = static_cast<int>(Texts(functions).indexOf("会计科目-维护"));
        ASSERT_GE(account, 0);
        // One function by a mouse click (which selects only it), added by the mnemonic of cmdSet.
        QTest::mouseClick(functions->viewport(), Qt::LeftButton, {},
                          functions->visualItemRect(functions->topLevelItem(account)).center());
        EXPECT_EQ(model->lvwFuncDetail.SelectedIndexes(), (std::vector<int32_t>{account + 1}));
        ClickRow(Child<QListWidget>(w, "lstSubFunc"), "凭证处理");
        QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);
        AwaitLines(*model, 1);
        // The proposal for the sales order, renamed through frmInput over the wizard.
        ClickRow(Child<QListWidget>(w, "lstSubFunc"), "销售订单");
        QTest::keyClick(w, Qt::Key_M, Qt::AltModifier);
    });
    driver.Then(ModalDriver::Named("frmInput"), [](QWidget* w) {
        EXPECT_EQ(Child<QLineEdit>(w, "txtContent")->text(), "销售订单");
        testing::ExpectClearOfTheRenamedList(w);
        QInputMethodEvent typed;  // Chinese comes in as an input method commits it
        typed.setCommitString("客户对账");
        QApplication::sendEvent(Child<QLineEdit>(w, "txtContent"), &typed);
        QTest::keyClick(Child<QLineEdit>(w, "txtContent"), Qt::Key_Return);
    });
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        auto* subFunc = Child<QListWidget>(w, "lstSubFunc");
        EXPECT_EQ(subFunc->item(subFunc->currentRow())->text(), "客户对账");
        QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);
        AwaitLines(*model, 2);
        auto* result = Child<QTreeWidget>(w, "lvwResult");
        EXPECT_EQ(Texts(result), (QStringList{"[会计科目-维护] 发布到: [财务会计.总账.凭证处理]",
                                              "[会计科目-维护] 发布到: [财务会计.总账.客户对账]"}));
        QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
    });
    model->ShowModal();
    ASSERT_TRUE(model->bOK);
    components::DictionaryRef packets = model->CreateDeployPacket();
    ASSERT_EQ(packets->Count(), 3);
    // The catalogue's sub-function in each language; the typed name stands for all three, key "0".
    const std::tuple<const char16_t*, components::VectorRef, const char16_t*> languages[] = {
        {u"CHS", model->PromulgateListCHS, u"凭证处理"},
        {u"CHT", model->PromulgateListCHT, u"傳票處理"},
        {u"EN", model->PromulgateListEN, u"Vouchers"}};
    for (const auto& [language, list, subFunc] : languages) {
        ASSERT_EQ(list->Count(), 2);
        auto subFuncOf = [&](int32_t line) {
            return components::AsDictionary(list->Item(line))->Value(u"SubFunc").ToText();
        };
        EXPECT_EQ(automation::Trim(core::KeyedEntryDisplay(subFuncOf(1))), subFunc);
        EXPECT_EQ(automation::Trim(core::KeyedEntryDisplay(subFuncOf(2))), u"客户对账");
        EXPECT_EQ(core::KeyedEntryKey(subFuncOf(2)), u"0");
        EXPECT_TRUE(packets->Value(language).IsObject()) << automation::ToUtf8(language);
    }
}

// What a host does: ShowWizard with no UI services installed opens the real window (the views library
// as WindowUiServices loads it); confirming returns the packet set, and reopening on it shows its lines,
// where Esc returns nothing.
TEST(WizardView, ShowWizardOpensTheRealWindowAndReopensOnItsResult) {
    testing::TestAccount account(true, "CHS");
    api::clsDeploywizard wizard;
    ModalDriver driver;
    QStringList added;
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        QTest::keyClick(w, Qt::Key_A, Qt::AltModifier);  // every function, to the first target
        auto* lines = Child<QTreeWidget>(w, "lvwResult");
        for (int i = 0; i < 2000 && lines->topLevelItemCount() == 0; ++i) QTest::qWait(5);
        added = Texts(lines);
        QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
    });
    automation::ObjectRef result = wizard.ShowWizard(DemoTypes());
    ASSERT_NE(result, nullptr);
    auto packets = std::dynamic_pointer_cast<components::Dictionary>(result);
    ASSERT_NE(packets, nullptr);
    EXPECT_EQ(packets->Count(), 3);
    ASSERT_FALSE(added.isEmpty());
    auto chs = std::dynamic_pointer_cast<components::Vector>(packets->Value(u"CHS").ToObject());
    ASSERT_NE(chs, nullptr);
    EXPECT_EQ(chs->Count(), added.size());
    driver.Then(ModalDriver::Named("frmWizard"), [&](QWidget* w) {
        EXPECT_EQ(Texts(Child<QTreeWidget>(w, "lvwResult")), added);
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(wizard.ShowWizard(DemoTypes(), result), nullptr);
}

// Every caption of a view, as shown, fits its widget at the widget's font.
void ExpectCaptionsWhole(DialogView& view, const std::string& where) {
    const QStyle* style = view.style();
    for (QWidget* widget : view.findChildren<QWidget*>()) {
        QString text;
        int room = 0;
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            text = button->text();
            room = button->width() - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button) -
                   2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        } else if (auto* label = qobject_cast<QLabel*>(widget)) {
            text = label->text();
            room = label->contentsRect().width();
        } else {
            continue;
        }
        text.remove(QChar(u'&'));
        EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room)
            << where << " " << widget->objectName().toStdString() << ": " << text.toStdString();
        EXPECT_GE(widget->font().pointSizeF(), 6) << where << " " << widget->objectName().toStdString();
    }
}

TEST(DialogPictures, EveryCaptionIsWholeInEachLanguageAndThePictureHasATitleStrip) {
    // ORVA_DIALOG_PICTURES names a folder to keep the pictures in (to look at them); else a temporary one.
    testing::TempDir temp;
    const char* keep = std::getenv("ORVA_DIALOG_PICTURES");
    const std::filesystem::path folder = keep ? std::filesystem::path(keep) : temp.Path();
    const std::pair<const char*, size_t> languages[] = {{"CHS", 0}, {"CHT", 1}, {"EN", 2}};
    for (const auto& [language, part] : languages) {
        testing::TestAccount account(true, language);
        auto wizard = NewWizard(part);
        wizard->Load();
        wizard->cmdSet.Press();  // one line per function under the first target
        auto input = std::make_shared<frmInput>(std::make_shared<QtUiServices>());
        input->m_strText = wizard->lstSubFunc.DisplayText(wizard->lstSubFunc.ListCount() - 1);
        input->Load();
        for (DialogModel* dialog : std::initializer_list<DialogModel*>{wizard.get(), input.get()}) {
            const std::string where = automation::ToUtf8(dialog->Name()) + " " + language;
            std::unique_ptr<DialogView> view = CreateView(*dialog, nullptr);
            ExpectCaptionsWhole(*view, where);
            const std::filesystem::path png =
                folder / (automation::ToUtf8(dialog->Name()) + "-" + language + ".png");
            RenderDialogPng(*dialog, png);
            QImage picture(QString::fromStdString(png.string()));
            ASSERT_FALSE(picture.isNull()) << where;
            EXPECT_EQ(picture.width(), view->width() + 2) << where;  // a border of one pixel
            EXPECT_GT(picture.height(), view->height() + view->fontMetrics().height()) << where;
            // The strip is one colour behind the caption, unlike the client area's first row.
            EXPECT_NE(picture.pixel(picture.width() - 3, 3),
                      picture.pixel(picture.width() - 3, picture.height() - 3))
                << where;
        }
    }

    // A caption too long for its widget gets a smaller font of its own, and the dialog's again once it
    // fits; a larger dialog font is fitted too. The other widgets keep the dialog's font.
    testing::TestAccount account(true, "EN");
    auto wizard = NewWizard(2);
    wizard->Load();
    std::unique_ptr<DialogView> view = CreateView(*wizard, nullptr);
    auto* remove = Child<QPushButton>(view.get(), "cmdDel");
    auto* label = Child<QLabel>(view.get(), "Label4");
    const double dialogPoints = view->font().pointSizeF();
    wizard->cmdDel.SetCaption(u"&Remove selected ↑");
    wizard->Label4.SetCaption(u"The sub-function the selected functions are published to:");
    ExpectCaptionsWhole(*view, "long captions");
    EXPECT_LT(remove->font().pointSizeF(), dialogPoints);
    EXPECT_LT(label->font().pointSizeF(), dialogPoints);
    EXPECT_EQ(remove->font().family(), view->font().family());
    EXPECT_EQ(Child<QPushButton>(view.get(), "cmdOK")->font().pointSizeF(), dialogPoints);
    wizard->cmdDel.SetCaption(u"&Remove ↑");
    EXPECT_EQ(remove->font().pointSizeF(), dialogPoints);
    wizard->SetFontSize(16);
    EXPECT_EQ(view->font().pointSizeF(), 16);
    ExpectCaptionsWhole(*view, "16 points");
}

}  // namespace
}  // namespace orva::dialogs
