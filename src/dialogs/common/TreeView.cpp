#include "dialogs/common/TreeView.h"

#include <utility>

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Text;
using automation::Variant;
namespace errors = automation::errors;

namespace {
// An image by name, or null when none was set.
Variant ImageValue(const std::optional<Text>& image) {
    return image ? Variant(*image) : Variant(automation::NullValue{});
}
}  // namespace

int32_t TreeView::AddNode(TreeNode node) {
    if (node.parent < 0 || node.parent > Count()) {
        automation::Raise(errors::kInvalidCall, Name() + u" has no parent node " +
                                                    automation::Int32ToText(node.parent) + u" for \"" +
                                                    node.key + u"\"");
    }
    const int32_t index = Count() + 1;
    if (!node.key.empty() && !m_byKey.try_emplace(node.key, index).second) {
        automation::Raise(errors::kInvalidCall,
                          Name() + u" already has a node with the key \"" + node.key + u"\"");
    }
    if (m_children.empty()) m_children.emplace_back();  // the top nodes
    m_children[static_cast<size_t>(node.parent)].push_back(index);
    m_children.emplace_back();
    m_nodes.push_back(std::move(node));
    m_changedFlag.push_back(false);
    Notify(change::kItems);
    return index;
}

void TreeView::Clear() {
    m_nodes.clear();
    m_children.clear();
    m_byKey.clear();
    m_selected = 0;
    m_scrollTarget = 0;
    m_changed.clear();
    m_changedFlag.clear();
    Notify(change::kItems | change::kSelection);
}

const TreeNode& TreeView::Node(int32_t index) const { return const_cast<TreeView*>(this)->Slot(index); }

TreeNode& TreeView::Slot(int32_t index) {
    if (index < 1 || index > Count()) {
        automation::Raise(errors::kSubscriptOutOfRange, Name() + u" has no node " +
                                                            automation::Int32ToText(index) + u" (it holds " +
                                                            automation::Int32ToText(Count()) + u")");
    }
    return m_nodes[static_cast<size_t>(index - 1)];
}

int32_t TreeView::Find(const Text& key) const {
    auto it = m_byKey.find(key);
    return it == m_byKey.end() ? 0 : it->second;
}

int32_t TreeView::IndexOf(const Text& key) const {
    const int32_t index = Find(key);
    if (index == 0)
        automation::Raise(errors::kSubscriptOutOfRange, Name() + u" has no node \"" + key + u"\"");
    return index;
}

const std::vector<int32_t>& TreeView::Children(int32_t index) const {
    static const std::vector<int32_t> kNone;
    if (index != 0) Node(index);
    return static_cast<size_t>(index) < m_children.size() ? m_children[static_cast<size_t>(index)] : kNone;
}

void TreeView::NodeChanged(int32_t index) {
    if (HubPtr() && HubPtr()->HasListener()) {
        std::vector<bool>::reference flag = m_changedFlag[static_cast<size_t>(index - 1)];
        if (!flag) {
            flag = true;
            m_changed.push_back(index);
        }
    }
    Notify(change::kNodeState);
}

std::vector<int32_t> TreeView::TakeChangedNodes() {
    for (int32_t index : m_changed) m_changedFlag[static_cast<size_t>(index - 1)] = false;
    return std::exchange(m_changed, {});
}

void TreeView::SetChecked(int32_t index, bool checked) {
    TreeNode& node = Slot(index);
    if (node.checked == checked) return;
    node.checked = checked;
    NodeChanged(index);
}

void TreeView::SetExpanded(int32_t index, bool expanded) {
    TreeNode& node = Slot(index);
    if (node.expanded == expanded) return;
    node.expanded = expanded;
    NodeChanged(index);
}

void TreeView::SetText(int32_t index, Text text) {
    TreeNode& node = Slot(index);
    if (node.text == text) return;
    node.text = std::move(text);
    NodeChanged(index);
}

void TreeView::SetImage(int32_t index, std::optional<Text> image) {
    TreeNode& node = Slot(index);
    if (node.image == image) return;
    node.image = std::move(image);
    NodeChanged(index);
}

void TreeView::SetSelectedImage(int32_t index, std::optional<Text> image) {
    TreeNode& node = Slot(index);
    if (node.selectedImage == image) return;
    node.selectedImage = std::move(image);
    NodeChanged(index);
}

void TreeView::SetExpandedImage(int32_t index, std::optional<Text> image) {
    TreeNode& node = Slot(index);
    if (node.expandedImage == image) return;
    node.expandedImage = std::move(image);
    NodeChanged(index);
}

void TreeView::SetSelectedIndex(int32_t index) {
    if (index != 0) Slot(index);
    if (m_selected == index) return;
    m_selected = index;
    Notify(change::kSelection);
}

void TreeView::EnsureVisible(int32_t index) {
    for (int32_t parent = Slot(index).parent; parent != 0; parent = Slot(parent).parent)
        SetExpanded(parent, true);
    m_scrollTarget = index;
    Notify(change::kScroll);
}

void TreeView::CheckByUser(int32_t index, bool checked) {
    TreeNode& node = Slot(index);
    if (!Enabled() || node.checked == checked) return;
    SetChecked(index, checked);
    if (NodeCheck) NodeCheck(index);
}

void TreeView::ExpandByUser(int32_t index, bool expanded) {
    const TreeNode& node = Slot(index);
    if (!Enabled() || node.expanded == expanded || Children(index).empty()) return;
    SetExpanded(index, expanded);
    const NodeHandler& handler = expanded ? Expand : Collapse;
    if (handler) handler(index);
}

void TreeView::SelectByUser(int32_t index) {
    Slot(index);
    if (!Enabled()) return;
    SetSelectedIndex(index);
    if (NodeClick) NodeClick(index);
}

int32_t TreeView::Resolve(const Variant& node) const {
    if (node.Type() == automation::VariantType::Text) return IndexOf(node.ToText());
    const int32_t index = node.ToInt32();
    Node(index);  // raises for an index out of range
    return index;
}

Variant TreeView::Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) {
    static constexpr Member<TreeView> kMembers[] = {
        {.name = u"Count", .call = [](TreeView& t, Args) -> Variant { return t.Count(); }},
        {.name = u"Key",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return t.Node(a[0].ToInt32()).key; }},
        {.name = u"Text",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return t.Node(t.Resolve(a[0])).text; }},
        {.name = u"Tag",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return t.Node(t.Resolve(a[0])).tag; }},
        {.name = u"Checked",
         .kinds = automation::kAssign,
         .minArgs = 2,
         .maxArgs = 2,
         .call = [](TreeView& t, Args a) -> Variant {
             t.SetChecked(t.Resolve(a[0]), a[1].ToBool());
             return {};
         }},
        {.name = u"Checked",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return t.Node(t.Resolve(a[0])).checked; }},
        {.name = u"Expanded",
         .kinds = automation::kAssign,
         .minArgs = 2,
         .maxArgs = 2,
         .call = [](TreeView& t, Args a) -> Variant {
             t.SetExpanded(t.Resolve(a[0]), a[1].ToBool());
             return {};
         }},
        {.name = u"Expanded",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return t.Node(t.Resolve(a[0])).expanded; }},
        {.name = u"Image",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant { return ImageValue(t.Node(t.Resolve(a[0])).image); }},
        {.name = u"Parent",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TreeView& t, Args a) -> Variant {
             const int32_t parent = t.Node(t.Resolve(a[0])).parent;
             return parent == 0 ? Text() : t.Node(parent).key;
         }},
        {.name = u"SelectedKey",
         .call = [](TreeView& t, Args) -> Variant {
             return t.SelectedIndex() == 0 ? Text() : t.Node(t.SelectedIndex()).key;
         }},
        {.name = u"Clear",
         .kinds = automation::kMethodCall,
         .call = [](TreeView& t, Args) -> Variant {
             t.Clear();
             return {};
         }},
    };
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return *result;
    if (auto result = InvokeCommon(name, kind, args)) return *result;
    automation::RaiseNoSuchMember(*this, name);
}

}  // namespace orva::dialogs
