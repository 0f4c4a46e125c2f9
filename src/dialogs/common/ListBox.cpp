#include "dialogs/common/ListBox.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "core/KeyedEntry.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Text;
using automation::Variant;
namespace errors = automation::errors;

void ListBox::AddItem(Text entry) {
    m_items.push_back(std::move(entry));
    Notify(change::kItems);
}

void ListBox::AddItems(std::vector<Text> entries) {
    if (entries.empty()) return;
    m_items.reserve(m_items.size() + entries.size());
    for (Text& entry : entries) m_items.push_back(std::move(entry));
    Notify(change::kItems);
}

void ListBox::RemoveItem(int32_t index) {
    RequireEntry(index, false);
    m_items.erase(m_items.begin() + index);
    Changes changes = change::kItems;
    if (m_listIndex == index) {
        m_listIndex = -1;
        changes |= change::kSelection;
    } else if (m_listIndex > index) {
        --m_listIndex;
        changes |= change::kSelection;
    }
    Notify(changes);
}

void ListBox::SetItem(int32_t index, Text entry) {
    RequireEntry(index, false);
    m_items[static_cast<size_t>(index)] = std::move(entry);
    Notify(change::kItems);
}

void ListBox::Clear() {
    m_items.clear();
    m_listIndex = -1;
    Notify(change::kItems | change::kSelection);
}

const Text& ListBox::List(int32_t index) const {
    if (index < 0 || index >= ListCount()) {
        automation::Raise(errors::kSubscriptOutOfRange,
                          u"List index " + automation::Int32ToText(index) + u" is outside " + Name());
    }
    return m_items[static_cast<size_t>(index)];
}

Text ListBox::DisplayText(int32_t index) const { return core::KeyedEntryDisplay(List(index)); }

Text ListBox::Key(int32_t index) const { return core::KeyedEntryKey(List(index)); }

void ListBox::SetListIndex(int32_t index) {
    RequireEntry(index, true);
    if (index == m_listIndex) return;
    m_listIndex = index;
    Notify(change::kSelection);
    if (Click) Click();
}

void ListBox::SelectByUser(int32_t index) {
    if (!Enabled()) return;
    RequireEntry(index, false);
    if (index != m_listIndex) {
        m_listIndex = index;
        Notify(change::kSelection);
    }
    if (Click) Click();
}

void ListBox::DoubleClickByUser(int32_t index) {
    if (!Enabled()) return;
    SelectByUser(index);
    DblClickByUser();
}

void ListBox::DblClickByUser() {
    if (Enabled() && m_listIndex >= 0 && DblClick) DblClick();
}

void ListBox::RequireEntry(int32_t index, bool allowNone) const {
    if ((allowNone && index == -1) || (index >= 0 && index < ListCount())) return;
    automation::Raise(errors::kInvalidCall, Name() + u" has no entry " + automation::Int32ToText(index) +
                                                u" (it holds " + automation::Int32ToText(ListCount()) + u")");
}

Variant ListBox::Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) {
    static constexpr Member<ListBox> kMembers[] = {
        {.name = u"AddItem",
         .kinds = automation::kMethodCall,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListBox& l, Args a) -> Variant {
             l.AddItem(a[0].ToText());
             return {};
         }},
        {.name = u"RemoveItem",
         .kinds = automation::kMethodCall,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListBox& l, Args a) -> Variant {
             l.RemoveItem(a[0].ToInt32());
             return {};
         }},
        {.name = u"Clear",
         .kinds = automation::kMethodCall,
         .call = [](ListBox& l, Args) -> Variant {
             l.Clear();
             return {};
         }},
        {.name = u"ListCount", .call = [](ListBox& l, Args) -> Variant { return l.ListCount(); }},
        {.name = u"List",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListBox& l, Args a) -> Variant { return l.List(a[0].ToInt32()); }},
        {.name = u"ListIndex",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](ListBox& l, Args a) -> Variant {
             l.SetListIndex(a[0].ToInt32());
             return {};
         }},
        {.name = u"ListIndex", .call = [](ListBox& l, Args) -> Variant { return l.ListIndex(); }},
    };
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return *result;
    if (auto result = InvokeCommon(name, kind, args)) return *result;
    automation::RaiseNoSuchMember(*this, name);
}

}  // namespace orva::dialogs
