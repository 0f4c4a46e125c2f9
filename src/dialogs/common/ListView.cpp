#include "dialogs/common/ListView.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Text;
using automation::Variant;

void ListView::AddColumn(Text text, int32_t width) {
    m_columns.push_back({std::move(text), width});
    Notify(change::kItems);
}

void ListView::ClearColumns() {
    m_columns.clear();
    Notify(change::kItems);
}

int32_t ListView::AddItem(Text text, Text tag) {
    m_items.push_back({std::move(text), std::move(tag), false});
    Notify(change::kItems);
    return Count();
}

void ListView::AddItems(std::vector<ListViewItem> items) {
    if (items.empty()) return;
    m_items.reserve(m_items.size() + items.size());
    for (ListViewItem& item : items) m_items.push_back(std::move(item));
    Notify(change::kItems | change::kSelection);
}

void ListView::RemoveItem(int32_t index) {
    m_items.erase(m_items.begin() + static_cast<std::ptrdiff_t>(Slot(index)));
    m_scrollTarget = 0;
    Notify(change::kItems | change::kSelection);
}

void ListView::Clear() {
    m_items.clear();
    m_scrollTarget = 0;
    Notify(change::kItems | change::kSelection);
}

void ListView::EnsureVisible(int32_t index) {
    Slot(index);
    m_scrollTarget = index;
    Notify(change::kScroll);
}

const ListViewItem& ListView::Item(int32_t index) const { return m_items[Slot(index)]; }

void ListView::SetSelected(int32_t index, bool selected) {
    ListViewItem& item = m_items[Slot(index)];
    if (item.selected == selected) return;
    item.selected = selected;
    Notify(change::kSelection);
}

void ListView::SelectOnly(const std::vector<int32_t>& indexes) {
    std::vector<bool> wanted(m_items.size(), false);
    for (int32_t index : indexes) wanted[Slot(index)] = true;
    bool changed = false;
    for (size_t i = 0; i < m_items.size(); ++i) {
        changed |= m_items[i].selected != wanted[i];
        m_items[i].selected = wanted[i];
    }
    if (changed) Notify(change::kSelection);
}

std::vector<int32_t> ListView::SelectedIndexes() const {
    std::vector<int32_t> indexes;
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (m_items[i].selected) indexes.push_back(static_cast<int32_t>(i + 1));
    }
    return indexes;
}

size_t ListView::Slot(int32_t index) const {
    if (index < 1 || index > Count()) {
        automation::Raise(automation::errors::kSubscriptOutOfRange,
                          Name() + u" has no item " + automation::Int32ToText(index) + u" (it holds " +
                              automation::Int32ToText(Count()) + u")");
    }
    return static_cast<size_t>(index - 1);
}

Variant ListView::Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) {
    static constexpr Member<ListView> kMembers[] = {
        {.name = u"Count", .call = [](ListView& l, Args) -> Variant { return l.Count(); }},
        {.name = u"ItemText",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListView& l, Args a) -> Variant { return l.Item(a[0].ToInt32()).text; }},
        {.name = u"ItemTag",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListView& l, Args a) -> Variant { return l.Item(a[0].ToInt32()).tag; }},
        {.name = u"Selected",
         .kinds = automation::kAssign,
         .minArgs = 2,
         .maxArgs = 2,
         .call = [](ListView& l, Args a) -> Variant {
             l.SetSelected(a[0].ToInt32(), a[1].ToBool());
             return {};
         }},
        {.name = u"Selected",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListView& l, Args a) -> Variant { return l.Item(a[0].ToInt32()).selected; }},
        {.name = u"Clear",
         .kinds = automation::kMethodCall,
         .call = [](ListView& l, Args) -> Variant {
             l.Clear();
             return {};
         }},
    };
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return *result;
    if (auto result = InvokeCommon(name, kind, args)) return *result;
    automation::RaiseNoSuchMember(*this, name);
}

}  // namespace orva::dialogs
