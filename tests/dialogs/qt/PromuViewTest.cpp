// The publish dialog's window on the demo account, through its real widgets under the offscreen
// platform: the tree's binding (check boxes that raise the check handling once, images that follow
// expanding and collapsing, marks and selection from the model), the lists and buttons, whole sessions
// through the UI services (publishing with the message box, a real return to the window against the
// returns from its own boxes), and the pictures in three languages.

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionViewItem>
#include <QTest>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <numeric>

#include "api/clsPromulgator.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "dialogs/common/Screenshot.h"
#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/FolderIcons.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/QtUiServices.h"
#include "dialogs/common/qt/Twips.h"
#include "dialogs/promu/frmPromu.h"
#include "dialogs/qt/ModalDriver.h"
#include "dialogs/qt/Placement.h"
#include "support/CatalogueDump.h"
#include "support/TestAccount.h"

namespace orva::dialogs {
namespace {

using automation::Text;
using testing::ModalDriver;

// The demo account's Sales subsystem: two base-data types, three bill types, four reports.
constexpr int32_t kSales = 12;

template <typename T>
T* Child(QWidget* dialog, const char* name) {
    T* child = dialog->findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name;
    return child;
}

QStringList Texts(const QTreeWidget* view) {
    QStringList texts;
    for (int i = 0; i < view->topLevelItemCount(); ++i) texts.append(view->topLevelItem(i)->text(0));
    return texts;
}

QStringList Texts(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts.append(list->item(i)->text());
    return texts;
}

QTreeWidgetItem* ItemOf(QWidget* dialog, const frmPromu& model, const Text& key) {
    const int32_t index = model.tvList.IndexOf(key);
    for (QTreeWidgetItemIterator it(Child<QTreeWidget>(dialog, "tvList")); *it; ++it) {
        if ((*it)->data(0, Qt::UserRole).toInt() == index) return *it;
    }
    ADD_FAILURE() << "no item for " << automation::ToUtf8(key);
    return nullptr;
}

// A mouse click on the check box of the node's item, where the style draws it.
void ClickCheckBox(QWidget* dialog, const frmPromu& model, const Text& key) {
    auto* tree = Child<QTreeWidget>(dialog, "tvList");
    QTreeWidgetItem* item = ItemOf(dialog, model, key);
    ASSERT_NE(item, nullptr);
    tree->scrollToItem(item);
    QStyleOptionViewItem option;
    option.initFrom(tree);
    option.rect = tree->visualItemRect(item);
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay |
                      QStyleOptionViewItem::HasDecoration;
    option.decorationSize = tree->iconSize().isValid() ? tree->iconSize() : QSize(16, 16);
    const QRect box = tree->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, tree);
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, box.center());
}

void ClickRow(QListWidget* list, const QString& text) {
    const QList<QListWidgetItem*> found = list->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << text.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found.front()).center());
}

QImage Picture(const QIcon& icon) { return icon.pixmap(16, 16).toImage(); }

// The picture the item shows, by name.
std::string PictureOf(const QTreeWidgetItem* item) {
    const std::pair<QIcon, const char*> pictures[] = {
        {ClosedFolderIcon(), "closed folder"},
        {OpenFolderIcon(), "open folder"},
        {item->treeWidget()->style()->standardIcon(QStyle::SP_FileIcon), "document"}};
    if (item->icon(0).isNull()) return "none";
    for (const auto& [icon, name] : pictures) {
        if (Picture(item->icon(0)) == Picture(icon)) return name;
    }
    return "another picture";
}

// The open and the closed folder differ at a glance: in many pixels, at every size the tree may ask.
TEST(PromuView, OpenAndClosedFoldersDifferVisibly) {
    for (int size : {16, 24, 32}) {
        const QImage closed =
            ClosedFolderIcon().pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage open =
            OpenFolderIcon().pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(closed.size(), QSize(size, size));
        ASSERT_EQ(open.size(), QSize(size, size));
        int differing = 0, white = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QColor a = closed.pixelColor(x, y), b = open.pixelColor(x, y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
                        std::abs(a.blue() - b.blue()) + std::abs(a.alpha() - b.alpha()) >
                    96)
                    ++differing;
                if (b.alpha() == 255 && b.lightness() > 240) ++white;  // the sheet in the open folder
            }
        }
        EXPECT_GE(differing, size * size / 5) << size;
        EXPECT_GE(white, size * size / 20) << size;
    }
}

std::shared_ptr<frmPromu> NewPromu(automation::ObjectRef classType = nullptr, int32_t reportId = 0) {
    auto model = std::make_shared<frmPromu>(std::make_shared<QtUiServices>());
    model->m_lCurSubSystem = kSales;
    model->ClassType = std::move(classType);
    model->ReportID = reportId;
    return model;
}

components::DictionaryRef TypeOf(int32_t fid, int32_t billType) {
    auto type = components::Dictionary::Create();
    type->SetValue(u"FID", fid);
    type->SetValue(u"FBillTypeID", billType);
    return type;
}

// A loaded and activated dialog in a window of its own, shown without a modal loop.
struct ShownPromu {
    explicit ShownPromu(std::shared_ptr<frmPromu> promu) : model(std::move(promu)) {
        model->Load();
        model->Activate();
        view = CreateView(*model, nullptr);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    std::shared_ptr<frmPromu> model;
    std::unique_ptr<DialogView> view;
};

TEST(PromuView, TheTreeMirrorsTheModelAndAClickOnACheckBoxRaisesTheHandlingOnce) {
    testing::TestAccount account(true, "CHS");
    ShownPromu shown(NewPromu());
    frmPromu& model = *shown.model;
    QWidget* w = shown.view.get();
    std::map<Text, int> checks;  // NodeCheck raised, by key
    model.tvList.NodeCheck = [&model, &checks](int32_t node) {
        ++checks[model.tvList.Node(node).key];
        model.tvList_NodeCheck(node);
    };
    auto* tree = Child<QTreeWidget>(w, "tvList");
    auto* functions = Child<QTreeWidget>(w, "lvwFuncDetail");
    EXPECT_EQ(tree->parentWidget(), Child<QGroupBox>(w, "framePub(3)"));
    EXPECT_TRUE(tree->isHeaderHidden());
    EXPECT_EQ(Texts(tree), (QStringList{"基础资料", "业务单据", "业务报表"}));
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        EXPECT_EQ((*it)->checkState(0), Qt::Unchecked);
        EXPECT_FALSE((*it)->flags() & Qt::ItemIsAutoTristate);  // a group's mark is the model's to spread
    }
    EXPECT_EQ(ItemOf(w, model, u"Report")->childCount(), 4);
    EXPECT_EQ(ItemOf(w, model, u"Report_Item5103")->text(0), "客户销售排行榜");

    // Clicks on check boxes: the group's mark reaches its children and their rows through the model.
    struct Click {
        const char16_t* key;
        std::vector<const char16_t*> checked;  // keys with a mark in the window afterwards
        int rows;
    };
    const Click clicks[] = {
        {u"Report",
         {u"Report", u"Report_Item5101", u"Report_Item5102", u"Report_Item5103", u"Report_Item5104"},
         4},
        {u"Report_Item5102", {u"Report", u"Report_Item5101", u"Report_Item5103", u"Report_Item5104"}, 3},
        {u"Bill_Item_200000003",
         {u"Bill_Item_200000003", u"Report", u"Report_Item5101", u"Report_Item5103", u"Report_Item5104"},
         6},
        {u"Report", {u"Bill_Item_200000003"}, 3},
    };
    for (const Click& click : clicks) {
        const std::string what = automation::ToUtf8(click.key);
        const int before = checks[click.key];
        ClickCheckBox(w, model, click.key);
        EXPECT_EQ(checks[click.key], before + 1) << what;
        std::vector<Text> checked;
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            const TreeNode& node = model.tvList.Node((*it)->data(0, Qt::UserRole).toInt());
            EXPECT_EQ((*it)->checkState(0) == Qt::Checked, node.checked) << what;
            if (node.checked) checked.push_back(node.key);
        }
        std::sort(checked.begin(), checked.end());
        EXPECT_EQ(checked, std::vector<Text>(click.checked.begin(), click.checked.end())) << what;
        EXPECT_EQ(functions->topLevelItemCount(), click.rows) << what;
        EXPECT_EQ(functions->selectedItems().size(), click.rows) << what;  // each added row selected
    }
    int raised = 0;
    for (const auto& [key, count] : checks) raised += count;
    EXPECT_EQ(raised, static_cast<int>(std::size(clicks)));

    // The images follow a user's collapse and expand (the keyboard's, as the mouse's on the branch),
    // and so does the model's state.
    const std::pair<const char16_t*, const char*> leaves[] = {{u"Base_Item_200000009", "document"},
                                                              {u"Report_Item5101", "document"}};
    for (const auto& [key, picture] : leaves) EXPECT_EQ(PictureOf(ItemOf(w, model, key)), picture);
    QTreeWidgetItem* bill = ItemOf(w, model, u"Bill");
    EXPECT_EQ(PictureOf(bill), "open folder");
    tree->setFocus();
    tree->setCurrentItem(bill);
    EXPECT_EQ(model.tvList.SelectedIndex(), model.tvList.IndexOf(u"Bill"));
    const std::tuple<Qt::Key, bool, const char*> steps[] = {{Qt::Key_Left, false, "closed folder"},
                                                            {Qt::Key_Right, true, "open folder"},
                                                            {Qt::Key_Left, false, "closed folder"}};
    for (const auto& [key, expanded, picture] : steps) {
        QTest::keyClick(tree, key);
        EXPECT_EQ(bill->isExpanded(), expanded);
        EXPECT_EQ(model.tvList.Node(model.tvList.IndexOf(u"Bill")).expanded, expanded);
        EXPECT_EQ(PictureOf(bill), picture) << expanded;
    }
    // Selecting another node keeps the collapsed group's picture, which the model set for both states.
    tree->setCurrentItem(ItemOf(w, model, u"Base"));
    EXPECT_EQ(PictureOf(bill), "closed folder");

    // From the model: marks, expansion, selection and a node brought into view, without any handler.
    checks.clear();
    const int32_t store = model.tvList.IndexOf(u"Base_Item_200000009");
    {
        ChangeBatch batch(model.Hub());
        model.tvList.SetChecked(store, true);
        model.tvList.SetSelectedIndex(store);
        model.tvList.EnsureVisible(model.tvList.IndexOf(u"Bill_Item_200000005"));
        model.tvList.SetText(store, u"分店");
    }
    EXPECT_TRUE(checks.empty());
    EXPECT_EQ(ItemOf(w, model, u"Base_Item_200000009")->checkState(0), Qt::Checked);
    EXPECT_EQ(ItemOf(w, model, u"Base_Item_200000009")->text(0), "分店");
    EXPECT_EQ(tree->currentItem(), ItemOf(w, model, u"Base_Item_200000009"));
    EXPECT_TRUE(bill->isExpanded());
    EXPECT_EQ(functions->topLevelItemCount(), 3);  // a mark from code adds no rows
}

// Every control at its twips, inside its frame or the form; a control that is not there fails.
TEST(PromuView, ShowsEveryControlAtItsTwipsInItsFrame) {
    testing::TestAccount account(true, "CHS");
    ShownPromu shown(NewPromu(TypeOf(200000009, 1)));
    QWidget* w = shown.view.get();
    const int dpi = w->logicalDpiX();
    auto px = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    EXPECT_EQ(w->size(), QSize(px(9240), px(7650)));
    struct Expected {
        const char* name;
        int left, top, width, height;
        const char* container;  // nullptr: the form
    };
    const Expected expected[] = {
        {"framePub(3)", 75, 30, 3900, 4020, nullptr},
        {"tvList", 105, 270, 3690, 3660, "framePub(3)"},
        {"framePub(0)", 4080, 30, 5100, 4020, nullptr},
        {"Label2", 105, 255, 4875, 180, "framePub(0)"},
        {"lstTopClass", 105, 450, 4890, 960, "framePub(0)"},
        {"Label3", 105, 1470, 4695, 180, "framePub(0)"},
        {"lstSubSystem", 90, 1665, 4905, 960, "framePub(0)"},
        {"Label4", 105, 2730, 4380, 180, "framePub(0)"},
        {"cmdModify", 3465, 2655, 1530, 285, "framePub(0)"},
        {"lstSubFunc", 105, 2955, 4890, 960, "framePub(0)"},
        {"lvwFuncDetail", 60, 4140, 9120, 1440, nullptr},
        {"cmdSet", 3615, 5670, 1305, 315, nullptr},
        {"cmdDel", 4965, 5670, 1305, 315, nullptr},
        {"cmdOK", 6390, 5670, 1305, 315, nullptr},
        {"cmdCancel", 7755, 5670, 1305, 315, nullptr},
        {"lvwResult", 60, 6030, 9120, 1560, nullptr},
    };
    for (const Expected& e : expected) {
        QWidget* widget = Child<QWidget>(w, e.name);
        ASSERT_NE(widget, nullptr) << e.name;
        EXPECT_EQ(widget->geometry(), QRect(px(e.left), px(e.top), px(e.width), px(e.height))) << e.name;
        EXPECT_EQ(widget->parentWidget(), e.container ? Child<QWidget>(w, e.container) : w) << e.name;
    }
}

TEST(PromuView, TargetListsCascadeAndTheButtonsAddAndRemoveLines) {
    testing::TestAccount account(true, "CHS");
    ShownPromu shown(NewPromu(TypeOf(200000009, 1)));
    frmPromu& model = *shown.model;
    QWidget* w = shown.view.get();
    auto* subSystems = Child<QListWidget>(w, "lstSubSystem");
    auto* subFuncs = Child<QListWidget>(w, "lstSubFunc");
    auto* result = Child<QTreeWidget>(w, "lvwResult");
    EXPECT_EQ(subSystems->parentWidget(), Child<QGroupBox>(w, "framePub(0)"));
    ClickRow(Child<QListWidget>(w, "lstTopClass"), "供应链");
    EXPECT_EQ(model.m_lTopClassID, 3);
    EXPECT_EQ(subSystems->currentItem()->text(), "采购管理");
    ClickRow(subSystems, "销售管理");
    EXPECT_EQ(model.m_strSubSystemName, u"销售管理");
    // The catalogue names every group here: nothing proposed, nothing to rename.
    EXPECT_EQ(Texts(subFuncs), (QStringList{"基础资料", "业务单据", "业务报表"}));
    ClickRow(subFuncs, "业务报表");
    EXPECT_FALSE(Child<QPushButton>(w, "cmdModify")->isEnabled());

    QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);
    ASSERT_EQ(result->topLevelItemCount(), 1);
    EXPECT_EQ(result->topLevelItem(0)->text(0), "[门店-维护] 发布到: [供应链.销售管理.业务报表]");
    EXPECT_TRUE(result->topLevelItem(0)->isSelected());
    QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);  // the same line once
    ClickRow(subFuncs, "业务单据");
    QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);
    EXPECT_EQ(result->topLevelItemCount(), 2);
    EXPECT_EQ(model.PublishData->Count(), 2);
    result->setCurrentItem(result->topLevelItem(0));  // selects only the first
    QTest::mouseClick(Child<QPushButton>(w, "cmdDel"), Qt::LeftButton);
    ASSERT_EQ(result->topLevelItemCount(), 1);
    EXPECT_EQ(result->topLevelItem(0)->text(0), "[门店-维护] 发布到: [供应链.销售管理.业务单据]");
    EXPECT_EQ(model.PublishData->Count(), 1);

    // More lines than the list has room for: the last one added is scrolled into view.
    model.tvList.CheckByUser(model.tvList.IndexOf(u"Bill"), true);
    model.tvList.CheckByUser(model.tvList.IndexOf(u"Report"), true);
    std::vector<int32_t> all(static_cast<size_t>(model.lvwFuncDetail.Count()));
    std::iota(all.begin(), all.end(), 1);
    model.lvwFuncDetail.SelectOnly(all);
    QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);
    QTreeWidgetItem* last = result->topLevelItem(result->topLevelItemCount() - 1);
    EXPECT_FALSE(result->viewport()->rect().contains(result->visualItemRect(result->topLevelItem(0))));
    EXPECT_TRUE(result->viewport()->rect().contains(result->visualItemRect(last)));
}

// Activates another top-level window, then the dialog again, as a user who goes elsewhere and comes
// back.
void GoAwayAndBack(QWidget* dialog) {
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
    dialog->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
}

TEST(PromuView, ASessionPublishesAndOnlyARealReturnToTheWindowPreselectsAgain) {
    testing::TestAccount account(true, "CHS");
    ModalDriver driver;
    auto model = NewPromu(TypeOf(200000003, 4));  // the sales quotation, preselected
    QStringList rowsBeforeBox;
    QString details;  // what the engine reports of publishing the lines: each one created
    driver.Then(ModalDriver::Named("frmPromu"), [&](QWidget* w) {
        auto* functions = Child<QTreeWidget>(w, "lvwFuncDetail");
        QTreeWidgetItem* quotation = ItemOf(w, *model, u"Bill_Item_200000003");
        EXPECT_EQ(quotation->checkState(0), Qt::Checked);
        EXPECT_EQ(Child<QTreeWidget>(w, "tvList")->currentItem(), quotation);
        EXPECT_EQ(Texts(functions), (QStringList{"销售报价单-新增", "销售报价单-序时簿", "销售报价单-打印"}));
        ClickCheckBox(w, *model, u"Report_Item5103");
        EXPECT_EQ(functions->topLevelItemCount(), 4);
        ClickRow(Child<QListWidget>(w, "lstSubFunc"), "凭证处理");
        // Enter publishes nothing: no button is the default.
        Child<QListWidget>(w, "lstSubFunc")->setFocus();
        QTest::keyClick(Child<QListWidget>(w, "lstSubFunc"), Qt::Key_Return);
        QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);
        EXPECT_EQ(Child<QTreeWidget>(w, "lvwResult")->topLevelItemCount(), 4);
        rowsBeforeBox = Texts(functions);
        for (const QString& line : Texts(Child<QTreeWidget>(w, "lvwResult"))) details += line + "成功！\n";
        details += "功能发布完毕！";
        QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
    });
    driver.Then(ModalDriver::OfType<QMessageBox>(), [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        EXPECT_EQ(box->text(), "发布对象成功！");
        EXPECT_EQ(box->windowTitle(), "Tarvo提示");
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->detailedText(), details);
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);  // the hourglass is gone before the box
        EXPECT_EQ(box->parentWidget()->objectName(), "frmPromu");
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
    });
    // Back from its own box: no activation, the user's rows stay. A real return ticks the preselected
    // object again and rebuilds the rows of every ticked object.
    driver.Then(ModalDriver::Named("frmPromu"), [&](QWidget* w) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        auto* functions = Child<QTreeWidget>(w, "lvwFuncDetail");
        EXPECT_EQ(Texts(functions), rowsBeforeBox);
        ClickCheckBox(w, *model, u"Bill_Item_200000003");  // the user unticks the preselected bill
        EXPECT_EQ(Texts(functions), rowsBeforeBox.mid(3));
        GoAwayAndBack(w);
        EXPECT_EQ(Texts(functions), rowsBeforeBox);
        EXPECT_EQ(ItemOf(w, *model, u"Bill_Item_200000003")->checkState(0), Qt::Checked);
        EXPECT_EQ(ItemOf(w, *model, u"Report_Item5103")->checkState(0), Qt::Checked);  // marks stay
        EXPECT_EQ(Child<QTreeWidget>(w, "lvwResult")->topLevelItemCount(), 4);
        QTest::keyClick(w, Qt::Key_Escape);  // cmdCancel
    });
    model->ShowModal();
    EXPECT_FALSE(model->IsShown());
    EXPECT_EQ(model->PublishData->Count(), 4);
}

TEST(PromuView, AReportSessionRenamesThroughFrmInputWithoutLosingTheRows) {
    testing::TestAccount account(true, "CHS");
    ModalDriver driver;
    auto model = NewPromu(nullptr, 5102);
    driver.Then(ModalDriver::Named("frmPromu"), [&](QWidget* w) {
        auto* functions = Child<QTreeWidget>(w, "lvwFuncDetail");
        EXPECT_EQ(Texts(functions), (QStringList{"销售收入统计表-查询"}));
        ClickCheckBox(w, *model, u"Base_Item_200000004");
        ClickCheckBox(w, *model, u"Report_Item5102");  // unticks the preselected report
        ClickRow(Child<QListWidget>(w, "lstSubFunc"), "业务报表");
        QTest::keyClick(w, Qt::Key_M, Qt::AltModifier);  // cmdModify
    });
    driver.Then(ModalDriver::Named("frmInput"), [](QWidget* w) {
        QWidget* promu = w->parentWidget();
        EXPECT_EQ(promu->objectName(), "frmPromu");
        testing::ExpectClearOfTheRenamedList(w);
        // The user clicks the dialog behind, and the focus passes through no window on its way back to
        // the name input, as under a window manager: still no going away from the dialog.
        promu->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == promu; }));
        QApplication::setActiveWindow(nullptr);
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == w; }));
        auto* edit = w->findChild<QWidget*>("txtContent");
        QTest::keyClicks(edit, "Reports");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    driver.Then(ModalDriver::Named("frmPromu"), [&](QWidget* w) {
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
        auto* subFuncs = Child<QListWidget>(w, "lstSubFunc");
        EXPECT_EQ(subFuncs->currentItem()->text(), "Reports");
        // No activation: the report the user unticked stays unticked.
        EXPECT_EQ(Texts(Child<QTreeWidget>(w, "lvwFuncDetail")), (QStringList{"客户信用额度-维护"}));
        EXPECT_EQ(ItemOf(w, *model, u"Report_Item5102")->checkState(0), Qt::Unchecked);
        QTest::mouseClick(Child<QPushButton>(w, "cmdCancel"), Qt::LeftButton);
    });
    model->ShowModal();
    EXPECT_FALSE(model->IsShown());
    EXPECT_EQ(model->m_strSubFuncName, u"Reports");
}

// The host's calls open the real window through the views library (no UI services installed): the
// object asked for is ticked, its function goes to the first target, and the catalogue then holds it
// there once.
TEST(PromuView, TheHostsCallsPublishThroughTheRealWindow) {
    struct Call {
        const char* what;
        std::function<void(api::clsPromulgator&)> call;
        const char* row;
        const char16_t* param;  // the published function's identity in the catalogue
    };
    const Call calls[] = {
        {"Promugate", [](api::clsPromulgator& p) { p.Promugate(TypeOf(200000004, 1)); }, "客户信用额度-维护",
         u"|Base|200000004"},
        {"PromugateReport", [](api::clsPromulgator& p) { p.PromugateReport(u"销售收入统计表", 5102, u"2"); },
         "销售收入统计表-查询", u"|CROSSRPT|5102"},
    };
    for (const Call& c : calls) {
        testing::TestAccount account(true, "CHS");
        const std::multiset<Text> before = testing::CataloguePaths(account.Path());
        api::clsPromulgator promulgator;
        promulgator.SetSubSystem(kSales);
        ModalDriver driver;
        QString target;
        driver.Then(ModalDriver::Named("frmPromu"), [&](QWidget* w) {
            // The object asked for is the one node ticked, and the current one.
            auto* tree = Child<QTreeWidget>(w, "tvList");
            QStringList ticked;
            for (QTreeWidgetItemIterator it(tree); *it; ++it) {
                if ((*it)->checkState(0) == Qt::Checked) ticked.append((*it)->text(0));
            }
            EXPECT_EQ(ticked, QStringList{QString(c.row).section('-', 0, 0)}) << c.what;
            ASSERT_NE(tree->currentItem(), nullptr);
            EXPECT_EQ(tree->currentItem()->checkState(0), Qt::Checked) << c.what;
            EXPECT_EQ(Texts(Child<QTreeWidget>(w, "lvwFuncDetail")), QStringList{c.row}) << c.what;
            QTest::mouseClick(Child<QPushButton>(w, "cmdSet"), Qt::LeftButton);
            auto* result = Child<QTreeWidget>(w, "lvwResult");
            EXPECT_EQ(result->topLevelItemCount(), 1) << c.what;
            if (result->topLevelItemCount() == 1) target = result->topLevelItem(0)->text(0);
            QTest::mouseClick(Child<QPushButton>(w, "cmdOK"), Qt::LeftButton);
        });
        driver.Then(ModalDriver::OfType<QMessageBox>(), [&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            EXPECT_EQ(box->text(), "发布对象成功！") << c.what;
            EXPECT_EQ(box->detailedText(), target + "成功！\n功能发布完毕！") << c.what;
            QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
        });
        driver.Then(ModalDriver::Named("frmPromu"), [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });
        c.call(promulgator);

        std::multiset<Text> added = testing::CataloguePaths(account.Path());
        for (const Text& path : before) added.erase(added.find(path));
        ASSERT_EQ(added.size(), 1u) << c.what;
        const Text& path = *added.begin();
        EXPECT_TRUE(path.ends_with(automation::FromUtf8(c.row) + c.param)) << automation::ToUtf8(path);
        EXPECT_TRUE(path.starts_with(u"财务会计/总账/")) << automation::ToUtf8(path);
    }
}

// Every caption of the view, as shown, fits its widget at the widget's font; frames' titles too.
void ExpectCaptionsWhole(const DialogView& view, const std::string& where) {
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
        } else if (auto* frame = qobject_cast<QGroupBox*>(widget)) {
            text = frame->title();
            room = frame->width() - 2 * frame->fontMetrics().averageCharWidth();
        } else {
            continue;
        }
        text.remove(QChar(u'&'));
        EXPECT_LE(widget->fontMetrics().horizontalAdvance(text), room)
            << where << " " << widget->objectName().toStdString() << ": " << text.toStdString();
    }
}

TEST(PromuPictures, EveryCaptionIsWholeInEachLanguageWithATypePreselectedAndLines) {
    // ORVA_DIALOG_PICTURES names a folder to keep the pictures in (to look at them); else a temporary one.
    testing::TempDir temp;
    const char* keep = std::getenv("ORVA_DIALOG_PICTURES");
    const std::filesystem::path folder = keep ? std::filesystem::path(keep) : temp.Path();
    for (const char* language : {"CHS", "CHT", "EN"}) {
        testing::TestAccount account(true, language);
        auto model = NewPromu(TypeOf(200000003, 4));
        model->Load();
        model->Activate();
        model->tvList.CheckByUser(model->tvList.IndexOf(u"Report_Item5102"), true);
        model->cmdSet.Press();
        std::unique_ptr<DialogView> view = CreateView(*model, nullptr);
        ExpectCaptionsWhole(*view, language);
        // The tree's names are whole too: a long one widens its column (a scroll bar then appears),
        // and a selected row is highlighted across the whole tree.
        auto* tree = Child<QTreeWidget>(view.get(), "tvList");
        for (QTreeWidgetItemIterator it(tree); *it; ++it) {
            int depth = 1;
            for (QTreeWidgetItem* up = (*it)->parent(); up; up = up->parent()) ++depth;
            const int needed =
                tree->indentation() * depth + tree->fontMetrics().horizontalAdvance((*it)->text(0)) + 2 * 16;
            EXPECT_GE(tree->columnWidth(0), needed) << language << " " << (*it)->text(0).toStdString();
        }
        EXPECT_GE(tree->columnWidth(0) + tree->columnWidth(1), tree->viewport()->width()) << language;
        const std::filesystem::path png = folder / (std::string("frmPromu-") + language + ".png");
        RenderDialogPng(*model, png);
        QImage picture(QString::fromStdString(png.string()));
        ASSERT_FALSE(picture.isNull()) << language;
        EXPECT_EQ(picture.width(), view->width() + 2) << language;
    }
}

}  // namespace
}  // namespace orva::dialogs
