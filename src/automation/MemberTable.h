#pragma once
// MemberTable: the members an automation object offers to calls by name, written as one table per
// class instead of a chain of name comparisons. Each row names a member, the ways it may be reached
// (method, property get, let, set), how many arguments it takes and the C++ callable behind it:
//
//     Variant Vector::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
//         static constexpr Member<Vector> kMembers[] = {
//             {.name = u"Count", .minArgs = 0, .maxArgs = 0, .call = [](Vector& v, Args) -> Variant {
//                  return v.Count(); }},
//             {.name = u"Item", .kinds = kAssign, .minArgs = 2, .maxArgs = 2, .call = ...},
//             {.name = u"Item", .isDefault = true, .minArgs = 1, .maxArgs = 1, .call = ...},
//         };
//         return InvokeMember(*this, kMembers, name, kind, args);
//     }
//
// Rows are searched in order; the first whose name matches (ASCII letters without regard to case, or
// the empty name for a row marked isDefault) and whose kinds include the call's kind is called, so a
// property's let row goes before its get row only when both accept the same kinds.

#include <cstdint>
#include <span>

#include "automation/Object.h"
#include "automation/Text.h"
#include "automation/Variant.h"

namespace orva::automation {

// The arguments a member receives, by reference: a member may write back into them.
using Args = std::span<Variant>;

// Bit masks of CallKind, for Member::kinds.
using CallKinds = std::uint8_t;
inline constexpr CallKinds kMethodCall = 1u << static_cast<unsigned>(CallKind::Method);
inline constexpr CallKinds kGet = 1u << static_cast<unsigned>(CallKind::PropertyGet);
inline constexpr CallKinds kLet = 1u << static_cast<unsigned>(CallKind::PropertyLet);
inline constexpr CallKinds kSet = 1u << static_cast<unsigned>(CallKind::PropertySet);
// A method or a property read: late-bound callers reach either way, as they may.
inline constexpr CallKinds kRead = kMethodCall | kGet;
// An assignment, by value or by reference; the value is the last argument.
inline constexpr CallKinds kAssign = kLet | kSet;
inline constexpr CallKinds kAnyCall = kRead | kAssign;

template <typename T>
struct Member {
    TextView name;
    CallKinds kinds = kRead;
    // Also reached under the empty name (the object's default member).
    bool isDefault = false;
    std::uint8_t minArgs = 0;
    std::uint8_t maxArgs = 0;
    Variant (*call)(T& self, Args args) = nullptr;
};

namespace detail {
bool KindAccepted(CallKinds kinds, CallKind kind);
}

// Calls the first row of `members` that answers to name and kind. Raises 438 naming the member when
// no row does, 450 when the row's argument range does not hold args.size(); whatever the callable
// raises passes through.
template <typename T, std::size_t N>
Variant InvokeMember(T& self, const Member<T> (&members)[N], TextView name, CallKind kind, Args args) {
    for (const Member<T>& member : members) {
        bool named = name.empty() ? member.isDefault : MemberIs(name, member.name);
        if (!named || !detail::KindAccepted(member.kinds, kind)) continue;
        RequireArgCount(args, member.minArgs, member.maxArgs);
        return member.call(self, args);
    }
    RaiseNoSuchMember(self, name);
}

}  // namespace orva::automation
