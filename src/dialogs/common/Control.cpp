#include "dialogs/common/Control.h"

#include "automation/MemberTable.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Variant;

void ChangeHub::Notify(Control& control, Changes changes) {
    if (!m_listener) return;
    if (m_batchDepth == 0) {
        m_listener->ControlChanged(control, changes);
        return;
    }
    auto [it, added] = m_pendingIndex.try_emplace(&control, m_pending.size());
    if (added) {
        m_pending.emplace_back(&control, changes);
    } else {
        m_pending[it->second].second |= changes;
    }
}

void ChangeHub::EndBatch() {
    if (--m_batchDepth > 0) return;
    // A listener may change the model again while it mirrors (it should not, but then those changes
    // start a new round rather than being lost).
    while (!m_pending.empty()) {
        std::vector<std::pair<Control*, Changes>> pending;
        pending.swap(m_pending);
        m_pendingIndex.clear();
        for (auto& [control, changes] : pending) {
            if (m_listener) m_listener->ControlChanged(*control, changes);
        }
    }
}

void Control::SetEnabled(bool enabled) {
    if (m_enabled == enabled) return;
    m_enabled = enabled;
    Notify(change::kEnabled);
}

std::optional<Variant> Control::InvokeCommon(automation::TextView name, automation::CallKind kind,
                                             Args args) {
    static constexpr Member<Control> kMembers[] = {
        {.name = u"Enabled",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](Control& c, Args a) -> Variant {
             c.SetEnabled(a[0].ToBool());
             return {};
         }},
        {.name = u"Enabled", .call = [](Control& c, Args) -> Variant { return c.Enabled(); }},
        {.name = u"Name", .call = [](Control& c, Args) -> Variant { return c.Name(); }},
        {.name = u"Left", .call = [](Control& c, Args) -> Variant { return c.Position().left; }},
        {.name = u"Top", .call = [](Control& c, Args) -> Variant { return c.Position().top; }},
        {.name = u"Width", .call = [](Control& c, Args) -> Variant { return c.Position().width; }},
        {.name = u"Height", .call = [](Control& c, Args) -> Variant { return c.Position().height; }},
    };
    return automation::TryInvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::dialogs
