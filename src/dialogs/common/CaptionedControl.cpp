#include "dialogs/common/CaptionedControl.h"

#include "automation/MemberTable.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Variant;

void CaptionedControl::SetCaption(automation::Text caption) {
    if (m_caption == caption) return;
    m_caption = std::move(caption);
    Notify(change::kCaption);
}

Variant CaptionedControl::Invoke(automation::TextView name, automation::CallKind kind,
                                 std::span<Variant> args) {
    if (auto result = InvokeCaptioned(name, kind, args)) return *result;
    automation::RaiseNoSuchMember(*this, name);
}

std::optional<Variant> CaptionedControl::InvokeCaptioned(automation::TextView name, automation::CallKind kind,
                                                         std::span<Variant> args) {
    static constexpr Member<CaptionedControl> kMembers[] = {
        {.name = u"Caption",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](CaptionedControl& c, Args a) -> Variant {
             c.SetCaption(a[0].ToText());
             return {};
         }},
        {.name = u"Caption", .call = [](CaptionedControl& c, Args) -> Variant { return c.Caption(); }},
    };
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return result;
    return InvokeCommon(name, kind, args);
}

void Button::Press() {
    if (Enabled() && Click) Click();
}

}  // namespace orva::dialogs
