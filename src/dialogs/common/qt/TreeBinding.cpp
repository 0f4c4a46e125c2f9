// The binding of a tree view: a QTreeWidget without a header, an item per node with a
// check box, the node's index in the item's data. See Binders.h for what it mirrors and forwards.

#include <QHeaderView>
#include <QSignalBlocker>
#include <QTreeWidget>

#include "dialogs/common/TreeView.h"
#include "dialogs/common/qt/Binders.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/Twips.h"

namespace orva::dialogs {

namespace {

constexpr int kIndexRole = Qt::UserRole;

// No auto-tristate: a group's mark reaches its children through the model's check handling, which
// the mirror then shows, never through Qt's own propagation.
constexpr Qt::ItemFlags kNodeFlags = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;

class TreeViewBinding : public ControlBinding, public TreeBinding {
public:
    TreeViewBinding(TreeView& tree, QWidget* parent, Dispatcher dispatch)
        : m_tree(tree), m_widget(new QTreeWidget(parent)), m_dispatch(std::move(dispatch)) {
        m_widget->setObjectName(ToQt(tree.Name()));
        m_widget->setGeometry(TwipsRect(tree.Position(), *parent));
        m_widget->setHeaderHidden(true);
        // A name longer than the tree is wide gets a horizontal scroll bar instead of being cut with
        // an ellipsis: the names' column takes the width of the widest. An empty column after it takes
        // the rest of the width, so a selected row is highlighted across the whole tree.
        m_widget->header()->setMinimumSectionSize(0);
        m_widget->header()->setDefaultSectionSize(0);  // the empty column, where the names take it all
        m_widget->setColumnCount(2);
        m_widget->header()->setStretchLastSection(false);
        m_widget->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
        m_widget->header()->setSectionResizeMode(1, QHeaderView::Stretch);
        m_widget->setUniformRowHeights(true);  // keeps a fill of thousands of nodes linear
        m_widget->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(m_widget, &QTreeWidget::itemChanged, m_widget, [this](QTreeWidgetItem* item, int) {
            const int32_t index = IndexOf(item);
            if (index < 1 || index > m_tree.Count()) return;
            const bool checked = item->checkState(0) == Qt::Checked;
            // itemChanged also reports other data; only a mark that differs from the model's is a click.
            if (checked == m_tree.Node(index).checked) return;
            UserAction(index, [this, index, checked] { m_tree.CheckByUser(index, checked); });
        });
        QObject::connect(m_widget, &QTreeWidget::itemExpanded, m_widget, [this](QTreeWidgetItem* item) {
            const int32_t index = IndexOf(item);
            UserAction(index, [this, index] { m_tree.ExpandByUser(index, true); });
        });
        QObject::connect(m_widget, &QTreeWidget::itemCollapsed, m_widget, [this](QTreeWidgetItem* item) {
            const int32_t index = IndexOf(item);
            UserAction(index, [this, index] { m_tree.ExpandByUser(index, false); });
        });
        QObject::connect(m_widget, &QTreeWidget::itemSelectionChanged, m_widget, [this] {
            const QList<QTreeWidgetItem*> selected = m_widget->selectedItems();
            if (selected.isEmpty()) return;
            const int32_t index = IndexOf(selected.front());
            UserAction(index, [this, index] { m_tree.SelectByUser(index); });
        });
    }

    QWidget* Widget() const override { return m_widget; }

    void Mirror(Changes changes) override {
        QSignalBlocker blocker(m_widget);
        if (changes & change::kEnabled) m_widget->setEnabled(m_tree.Enabled());
        if (changes & change::kItems) {
            Refill();
        } else if (changes & change::kNodeState) {
            for (int32_t index : m_tree.TakeChangedNodes()) MirrorNode(index);
        }
        if (changes & (change::kItems | change::kSelection)) MirrorSelection();
        if ((changes & (change::kItems | change::kScroll)) && ItemOf(m_tree.ScrollTarget())) {
            m_widget->scrollToItem(ItemOf(m_tree.ScrollTarget()));
        }
    }

    void SetImageList(ImageList images) override {
        m_images = std::move(images);
        QSignalBlocker blocker(m_widget);
        for (int32_t index = 1; index <= m_tree.Count(); ++index) ShowImage(index);
    }

private:
    static int32_t IndexOf(const QTreeWidgetItem* item) { return item->data(0, kIndexRole).toInt(); }

    QTreeWidgetItem* ItemOf(int32_t index) const {
        return index > 0 && static_cast<size_t>(index) < m_items.size() ? m_items[static_cast<size_t>(index)]
                                                                        : nullptr;
    }

    // Runs a user's action on a node, then shows the node as the model holds it (the user's click has
    // changed the item already; a disabled or refusing model leaves the node as it was).
    void UserAction(int32_t index, std::function<void()> action) {
        m_dispatch(action);
        if (index < 1 || index > m_tree.Count() || !ItemOf(index)) return;
        QSignalBlocker blocker(m_widget);
        MirrorNode(index);
    }

    // Every item is made and linked to its parent before the tree takes the top items in one insertion;
    // expansion needs the items in the tree, so it follows.
    void Refill() {
        m_items.assign(1, nullptr);
        m_items.reserve(static_cast<size_t>(m_tree.Count()) + 1);
        QList<QTreeWidgetItem*> top;
        for (int32_t index = 1; index <= m_tree.Count(); ++index) {
            const TreeNode& node = m_tree.Node(index);
            auto* item = new QTreeWidgetItem(QStringList{ToQt(node.text)});
            item->setFlags(kNodeFlags);
            item->setData(0, kIndexRole, index);
            item->setCheckState(0, node.checked ? Qt::Checked : Qt::Unchecked);
            if (node.parent == 0) {
                top.append(item);
            } else {
                m_items[static_cast<size_t>(node.parent)]->addChild(item);
            }
            m_items.push_back(item);
        }
        m_widget->clear();
        m_widget->addTopLevelItems(top);
        for (int32_t index = 1; index <= m_tree.Count(); ++index) {
            if (m_tree.Node(index).expanded) m_items[static_cast<size_t>(index)]->setExpanded(true);
            ShowImage(index);
        }
        m_tree.TakeChangedNodes();  // all shown as they are now
        m_selected = 0;
    }

    void MirrorNode(int32_t index) {
        QTreeWidgetItem* item = ItemOf(index);
        if (!item) return;
        const TreeNode& node = m_tree.Node(index);
        const QString text = ToQt(node.text);
        if (item->text(0) != text) item->setText(0, text);
        const Qt::CheckState mark = node.checked ? Qt::Checked : Qt::Unchecked;
        if (item->checkState(0) != mark) item->setCheckState(0, mark);
        if (item->isExpanded() != node.expanded) item->setExpanded(node.expanded);
        ShowImage(index);
    }

    void MirrorSelection() {
        const int32_t previous = std::exchange(m_selected, m_tree.SelectedIndex());
        QTreeWidgetItem* item = ItemOf(m_selected);
        if (item) {
            m_widget->setCurrentItem(item);
        } else {
            m_widget->clearSelection();
            m_widget->setCurrentItem(nullptr);
        }
        // The selected image belongs to the selection: both nodes may show another picture now.
        if (previous != m_selected) {
            ShowImage(previous);
            ShowImage(m_selected);
        }
    }

    void ShowImage(int32_t index) {
        QTreeWidgetItem* item = ItemOf(index);
        if (!item) return;
        const TreeNode& node = m_tree.Node(index);
        const std::optional<automation::Text>* name = &node.image;
        if (index == m_tree.SelectedIndex() && node.selectedImage) {
            name = &node.selectedImage;
        } else if (node.expanded && node.expandedImage) {
            name = &node.expandedImage;
        }
        QIcon icon;
        if (*name) {
            if (auto it = m_images.find(**name); it != m_images.end()) icon = it->second;
        }
        // QIcon has no equality; the cache key tells whether the item shows this picture already.
        if (item->icon(0).cacheKey() != icon.cacheKey()) item->setIcon(0, icon);
    }

    TreeView& m_tree;
    QTreeWidget* m_widget;  // owned by its parent widget
    Dispatcher m_dispatch;
    std::vector<QTreeWidgetItem*> m_items;  // by node index; [0] unused
    int32_t m_selected = 0;                 // the node shown as selected
    ImageList m_images;
};

}  // namespace

std::unique_ptr<ControlBinding> BindTreeView(TreeView& tree, QWidget* parent, Dispatcher dispatch) {
    return std::make_unique<TreeViewBinding>(tree, parent, std::move(dispatch));
}

}  // namespace orva::dialogs
