#include "dialogs/common/TextBox.h"

#include "automation/MemberTable.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Variant;

void TextBox::SetText(automation::Text text) {
    if (m_text == text) return;
    m_text = std::move(text);
    Notify(change::kText);
    if (Change) Change();
}

Variant TextBox::Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) {
    static constexpr Member<TextBox> kMembers[] = {
        {.name = u"Text",
         .kinds = automation::kAssign,
         .isDefault = true,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](TextBox& t, Args a) -> Variant {
             t.SetText(a[0].ToText());
             return {};
         }},
        {.name = u"Text", .isDefault = true, .call = [](TextBox& t, Args) -> Variant { return t.Text(); }},
    };
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return *result;
    if (auto result = InvokeCommon(name, kind, args)) return *result;
    automation::RaiseNoSuchMember(*this, name);
}

}  // namespace orva::dialogs
