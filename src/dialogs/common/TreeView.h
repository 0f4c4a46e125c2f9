#pragma once
// TreeView: a tree of nodes with check boxes, as the publish dialog shows its business objects. Nodes
// are kept in the tree's node order (the order of adding), counted from 1 as callers of a tree's node
// collection count them; each node has a key (unique in the tree, empty for none), a text, a tag, its
// parent (0 for a top node), a check mark, an expanded flag and three images named by key ("closed",
// "open", ...; the view maps the names to pictures). An image that was never set is none, which is not
// the same as an empty name.
//
// Changes from code (SetChecked, SetExpanded, images, selection) raise no handler. The user's actions
// (CheckByUser, ExpandByUser, SelectByUser) raise NodeCheck, Expand or Collapse and NodeClick, but only
// when they change something: a check box set to the mark it has, or a node expanded that is open
// already (or has no children to show), does nothing, as a click that changes nothing raises nothing.
//
// Notifications: kItems when nodes are added or cleared (a view refills; inside a batch one refill for
// a whole fill), kNodeState when check marks, expansion or images of some nodes changed (the view asks
// TakeChangedNodes which ones, so ticking 1,000 nodes updates 1,000 items, not the tree), kSelection for
// the selected node and kScroll when a node is to be brought into view (ScrollTarget). Looking a node up
// by key is a hash look-up, so filling thousands of nodes costs time in proportion to their number.

#include <optional>
#include <unordered_map>
#include <vector>

#include "dialogs/common/Control.h"

namespace orva::dialogs {

struct TreeNode {
    automation::Text key{};  // empty: the node has no key
    automation::Text text{};
    automation::Text tag{};
    int32_t parent = 0;  // index of the parent node; 0 for a top node
    bool checked = false;
    bool expanded = false;
    std::optional<automation::Text> image = std::nullopt;
    std::optional<automation::Text> selectedImage = std::nullopt;  // shown while the node is selected
    std::optional<automation::Text> expandedImage = std::nullopt;  // shown while the node is expanded
};

// A handler of a node event; receives the node's index.
using NodeHandler = std::function<void(int32_t index)>;

class TreeView : public Control {
public:
    TreeView(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : Control(ControlKind::TreeView, std::move(name), geometry, std::move(hub)) {}

    NodeHandler NodeCheck;
    NodeHandler Expand;
    NodeHandler Collapse;
    NodeHandler NodeClick;

    // Appends node as the last child of node.parent (a top node when 0) and returns its index. Raises 5
    // naming the key when another node has it, 5 naming the parent when no node has that index; then
    // nothing is added.
    int32_t AddNode(TreeNode node);
    // Removes every node; no node is selected afterwards.
    void Clear();

    int32_t Count() const { return static_cast<int32_t>(m_nodes.size()); }
    // Node index (from 1); raises 9 naming the index when out of range.
    const TreeNode& Node(int32_t index) const;
    // The index of the node with that key (compared exactly), or 0.
    int32_t Find(const automation::Text& key) const;
    // The index of the node with that key; raises 9 naming the key when none has it.
    int32_t IndexOf(const automation::Text& key) const;
    // The indexes of the children of node index in their order; index 0 gives the top nodes.
    const std::vector<int32_t>& Children(int32_t index) const;

    // From code; none raises a handler. Each raises 9 for an index out of range.
    void SetChecked(int32_t index, bool checked);
    void SetExpanded(int32_t index, bool expanded);
    void SetText(int32_t index, automation::Text text);
    void SetImage(int32_t index, std::optional<automation::Text> image);
    void SetSelectedImage(int32_t index, std::optional<automation::Text> image);
    void SetExpandedImage(int32_t index, std::optional<automation::Text> image);

    // The selected node, 0 for none. Selecting from code raises no handler; 0 clears the selection.
    int32_t SelectedIndex() const { return m_selected; }
    void SetSelectedIndex(int32_t index);
    // Expands every ancestor of node index (from code) and marks it as the node to show (kScroll).
    void EnsureVisible(int32_t index);
    // The node last brought into view with EnsureVisible, 0 for none.
    int32_t ScrollTarget() const { return m_scrollTarget; }

    // The user's actions; a disabled tree ignores them. Each raises 9 for an index out of range.
    // Sets the check mark and raises NodeCheck, unless the node has that mark already.
    void CheckByUser(int32_t index, bool checked);
    // Expands (raising Expand) or collapses (raising Collapse) a node that has children, unless it is in
    // that state already.
    void ExpandByUser(int32_t index, bool expanded);
    // Selects the node and raises NodeClick.
    void SelectByUser(int32_t index);

    // The nodes whose check mark, expansion, text or images changed since the last call, each once, in
    // the order of their first change; collected only while a listener is attached. A view calls it
    // when it mirrors kNodeState (and, to start afresh, after a refill).
    std::vector<int32_t> TakeChangedNodes();

    automation::Text TypeName() const override { return u"TreeView"; }
    // By name, a node given by its index or its key: Count, Key(i), Text(node), Tag(node),
    // Checked(node) and Expanded(node) (get and let, as code does), Image(node), Parent(node) (the
    // parent's key, empty for a top node), SelectedKey (get), Clear, and the members of every control.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    TreeNode& Slot(int32_t index);
    // The index of a node named by an index or a key.
    int32_t Resolve(const automation::Variant& node) const;
    void NodeChanged(int32_t index);

    std::vector<TreeNode> m_nodes;
    std::vector<std::vector<int32_t>> m_children;  // [0]: top nodes; [i]: children of node i
    std::unordered_map<automation::Text, int32_t> m_byKey;
    int32_t m_selected = 0;
    int32_t m_scrollTarget = 0;
    std::vector<int32_t> m_changed;
    std::vector<bool> m_changedFlag;  // by index; parallel to m_nodes + 1
};

}  // namespace orva::dialogs
