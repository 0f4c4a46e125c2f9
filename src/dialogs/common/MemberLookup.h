#pragma once
// Calls by name over layered member tables: a control answers its own members first, then those every
// control shares, and a form answers its controls by name last. InvokeMember raises 438 on a miss;
// this form reports the miss so the next layer can answer.

#include <optional>

#include "automation/MemberTable.h"

namespace orva::dialogs {

// The result of the first row of members answering to name and kind, or nothing when none does. Raises
// 450 when the row's argument range does not hold args.size(); whatever the row raises passes through.
template <typename T, std::size_t N>
std::optional<automation::Variant> TryInvokeMember(T& self, const automation::Member<T> (&members)[N],
                                                   automation::TextView name, automation::CallKind kind,
                                                   automation::Args args) {
    for (const automation::Member<T>& member : members) {
        bool named = name.empty() ? member.isDefault : automation::MemberIs(name, member.name);
        if (!named || !automation::detail::KindAccepted(member.kinds, kind)) continue;
        automation::RequireArgCount(args, member.minArgs, member.maxArgs);
        return member.call(self, args);
    }
    return std::nullopt;
}

}  // namespace orva::dialogs
