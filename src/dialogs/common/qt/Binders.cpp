#include "dialogs/common/qt/Binders.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QItemSelection>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QTreeWidget>

#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/common/TextBox.h"
#include "dialogs/common/TreeView.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/Twips.h"

namespace orva::dialogs {

namespace {

// The smallest size a caption is shrunk to, and the step of shrinking, in points.
constexpr double kSmallestCaptionPoints = 6;
constexpr double kCaptionPointStep = 0.5;

template <typename W, typename C>
class Binding : public ControlBinding {
public:
    Binding(C& control, QWidget* parent) : m_control(control), m_widget(new W(parent)) {
        m_widget->setObjectName(ToQt(control.Name()));
        m_widget->setGeometry(TwipsRect(control.Position(), *parent));
    }
    QWidget* Widget() const override { return m_widget; }
    void Mirror(Changes changes) override {
        QSignalBlocker blocker(m_widget);
        if (changes & change::kEnabled) m_widget->setEnabled(m_control.Enabled());
        MirrorOwn(changes);
    }

protected:
    virtual void MirrorOwn(Changes changes) = 0;
    C& m_control;
    W* m_widget;  // owned by its parent widget
};

// The caption as a widget shows it: "&&" is one ampersand, a single "&" only marks the mnemonic.
QString ShownText(const QString& caption) {
    QString shown;
    shown.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == u'&' && i + 1 < caption.size()) ++i;
        shown.append(caption[i]);
    }
    return shown;
}

// The width a caption may take inside its widget, in pixels.
int CaptionRoom(const QWidget& widget) {
    const QStyle* style = widget.style();
    if (qobject_cast<const QPushButton*>(&widget)) {
        return widget.width() - style->pixelMetric(QStyle::PM_ButtonMargin, nullptr, &widget) -
               2 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &widget);
    }
    if (qobject_cast<const QGroupBox*>(&widget)) {
        // The title sits between the frame's corners, with a little space either side.
        return widget.width() - 4 * style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &widget) -
               widget.fontMetrics().averageCharWidth() * 2;
    }
    return widget.contentsRect().width();
}

// Keeps a caption whole (see Binders.h): back to the dialog's font, then, while the caption is wider
// than its room, a smaller size of the same family for this widget alone.
void FitCaption(QWidget& widget, const QString& caption) {
    widget.setFont(QFont());  // inherit the dialog's font again
    const QString shown = ShownText(caption);
    const int room = CaptionRoom(widget);
    QFont font = widget.font();
    const double dialogPoints = font.pointSizeF();
    double points = dialogPoints;
    while (points - kCaptionPointStep >= kSmallestCaptionPoints &&
           QFontMetrics(font).horizontalAdvance(shown) > room) {
        points -= kCaptionPointStep;
        font.setPointSizeF(points);
    }
    if (points == dialogPoints) return;
    QFont own;  // only the size is the widget's own; the family still follows the dialog
    own.setPointSizeF(points);
    widget.setFont(own);
}

template <typename W>
class CaptionBinding : public Binding<W, CaptionedControl> {
public:
    using Binding<W, CaptionedControl>::Binding;

protected:
    void MirrorOwn(Changes changes) override {
        if (!(changes & (change::kCaption | change::kFont))) return;
        const QString caption = ToQt(this->m_control.Caption());
        if constexpr (std::is_same_v<W, QGroupBox>) {
            this->m_widget->setTitle(caption);
        } else {
            this->m_widget->setText(caption);
        }
        FitCaption(*this->m_widget, caption);
    }
};

class ButtonBinding : public CaptionBinding<QPushButton> {
public:
    ButtonBinding(Button& button, QWidget* parent, Dispatcher dispatch) : CaptionBinding(button, parent) {
        m_widget->setDefault(button.IsDefault());
        m_widget->setAutoDefault(button.IsDefault());
        QObject::connect(m_widget, &QPushButton::clicked, m_widget,
                         [&button, dispatch] { dispatch([&button] { button.Press(); }); });
    }
};

class TextBoxBinding : public Binding<QLineEdit, TextBox> {
public:
    TextBoxBinding(TextBox& box, QWidget* parent, Dispatcher dispatch) : Binding(box, parent) {
        // textEdited: the user's edits only; the model's own changes come back through Mirror.
        QObject::connect(m_widget, &QLineEdit::textEdited, m_widget, [&box, dispatch](const QString& text) {
            dispatch([&box, text] { box.SetText(FromQt(text)); });
        });
    }

protected:
    void MirrorOwn(Changes changes) override {
        if ((changes & change::kText) && FromQt(m_widget->text()) != m_control.Text()) {
            m_widget->setText(ToQt(m_control.Text()));
        }
    }
};

class ListBoxBinding : public Binding<QListWidget, ListBox> {
public:
    ListBoxBinding(ListBox& list, QWidget* parent, Dispatcher dispatch) : Binding(list, parent) {
        m_widget->setUniformItemSizes(true);  // keeps a refill of thousands of entries linear
        // The selection, not the current row: a list that gets the focus makes its first row current
        // without the user choosing anything, and that must not raise Click.
        m_widget->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(m_widget, &QListWidget::itemSelectionChanged, m_widget, [this, &list, dispatch] {
            QList<QListWidgetItem*> selected = m_widget->selectedItems();
            if (selected.isEmpty()) {
                // A list box keeps its entry: a ctrl-click on it does not leave the list showing none
                // while the dialog still goes by it.
                Mirror(change::kSelection);
                return;
            }
            int row = m_widget->row(selected.front());
            dispatch([&list, row] { list.SelectByUser(row); });
        });
        QObject::connect(
            m_widget, &QListWidget::itemDoubleClicked, m_widget,
            [&list, dispatch](QListWidgetItem*) { dispatch([&list] { list.DblClickByUser(); }); });
    }

protected:
    void MirrorOwn(Changes changes) override {
        if (changes & change::kItems) {
            QStringList texts;
            texts.reserve(m_control.ListCount());
            for (int32_t i = 0; i < m_control.ListCount(); ++i) texts.append(ToQt(m_control.DisplayText(i)));
            m_widget->clear();
            m_widget->addItems(texts);
        }
        if (changes & (change::kItems | change::kSelection)) {
            if (m_control.ListIndex() < 0) m_widget->clearSelection();
            m_widget->setCurrentRow(m_control.ListIndex());
            // A list box scrolls its selected entry into sight, also when the program selects it.
            if (QListWidgetItem* item = m_widget->currentItem()) m_widget->scrollToItem(item);
        }
    }
};

class ListViewBinding : public Binding<QTreeWidget, ListView> {
public:
    ListViewBinding(ListView& view, QWidget* parent, Dispatcher dispatch) : Binding(view, parent) {
        m_widget->setRootIsDecorated(false);
        m_widget->setUniformRowHeights(true);
        m_widget->setSelectionMode(QAbstractItemView::ExtendedSelection);
        QObject::connect(m_widget, &QTreeWidget::itemSelectionChanged, m_widget, [this, &view, dispatch] {
            std::vector<int32_t> indexes;
            for (const QModelIndex& index : m_widget->selectionModel()->selectedRows()) {
                indexes.push_back(index.row() + 1);
            }
            std::sort(indexes.begin(), indexes.end());
            dispatch([&view, indexes] { view.SelectOnly(indexes); });
        });
    }

protected:
    void MirrorOwn(Changes changes) override {
        if (changes & change::kItems) {
            QStringList headers;
            for (const auto& column : m_control.Columns()) headers.append(ToQt(column.text));
            m_widget->setColumnCount(std::max<qsizetype>(1, headers.size()));
            m_widget->setHeaderLabels(headers);
            for (int i = 0; i < static_cast<int>(m_control.Columns().size()); ++i) {
                int32_t width = m_control.Columns()[static_cast<size_t>(i)].width;
                if (width > 0) m_widget->setColumnWidth(i, TwipsToPixels(width, m_widget->logicalDpiX()));
            }
            QList<QTreeWidgetItem*> items;
            items.reserve(static_cast<qsizetype>(m_control.Items().size()));
            for (const ListViewItem& item : m_control.Items()) {
                items.append(new QTreeWidgetItem(QStringList{ToQt(item.text)}));
            }
            m_widget->clear();
            m_widget->addTopLevelItems(items);
        }
        if (changes & (change::kItems | change::kSelection)) {
            // One selection of ranges: selecting thousands of items one by one is quadratic in Qt.
            QItemSelection selection;
            const auto& items = m_control.Items();
            QAbstractItemModel* model = m_widget->model();
            for (size_t i = 0; i < items.size();) {
                if (!items[i].selected) {
                    ++i;
                    continue;
                }
                size_t end = i;
                while (end + 1 < items.size() && items[end + 1].selected) ++end;
                selection.select(model->index(static_cast<int>(i), 0),
                                 model->index(static_cast<int>(end), model->columnCount() - 1));
                i = end + 1;
            }
            m_widget->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
        }
        const int32_t target = m_control.ScrollTarget();
        if ((changes & (change::kItems | change::kSelection | change::kScroll)) && target > 0) {
            if (QTreeWidgetItem* item = m_widget->topLevelItem(target - 1)) m_widget->scrollToItem(item);
        }
    }
};

}  // namespace

std::unique_ptr<ControlBinding> BindControl(Control& control, QWidget* parent, Dispatcher dispatch) {
    std::unique_ptr<ControlBinding> binding;
    switch (control.Kind()) {
        case ControlKind::Label:
            binding =
                std::make_unique<CaptionBinding<QLabel>>(static_cast<CaptionedControl&>(control), parent);
            break;
        case ControlKind::Frame:
            binding =
                std::make_unique<CaptionBinding<QGroupBox>>(static_cast<CaptionedControl&>(control), parent);
            break;
        case ControlKind::Button:
            binding =
                std::make_unique<ButtonBinding>(static_cast<Button&>(control), parent, std::move(dispatch));
            break;
        case ControlKind::TextBox:
            binding =
                std::make_unique<TextBoxBinding>(static_cast<TextBox&>(control), parent, std::move(dispatch));
            break;
        case ControlKind::ListBox:
            binding =
                std::make_unique<ListBoxBinding>(static_cast<ListBox&>(control), parent, std::move(dispatch));
            break;
        case ControlKind::ListView:
            binding = std::make_unique<ListViewBinding>(static_cast<ListView&>(control), parent,
                                                        std::move(dispatch));
            break;
        case ControlKind::TreeView:
            binding = BindTreeView(static_cast<TreeView&>(control), parent, std::move(dispatch));
            break;
        case ControlKind::Form:
            return nullptr;
    }
    binding->Mirror(~Changes{0});
    return binding;
}

}  // namespace orva::dialogs
