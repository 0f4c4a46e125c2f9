#pragma once
// MemberTable: the members an automation object offers to calls by name, written as one table per
// class instead of a chain of name comparisons. Each row names a member, the ways it may be reached
// (method, property get, let, set), how many arguments it takes and the C++ callable behind it:
//
//     Variant Vector::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
//         // clang-format off
//         static constexpr Member<Vector> kMembers[] = {
//             {.name = u"Count", .call = [](Vector& v, Args) -> Variant { return v.Count(); }},
//             {.name = u"Item", .kinds = kAssign, .isDefault = true, .minArgs = 2, .maxArgs = 2,
//              .call = [](Vector& v, Args a) -> Variant { v.SetItem(a[0].ToInt32(), a[1]); return {}; }},
//             {.name = u"Item", .isDefault = true, .minArgs = 1, .maxArgs = 1, .call = ...},
//         };
//         // clang-format on
//         return InvokeMember(*this, kMembers, name, kind, args);
//     }
//
// Rows are searched in order. A row answers when its name matches (ASCII letters without regard to
// case; the empty name matches the rows marked isDefault) and its kinds include the call's kind, so one
// name may have a row for reading and another for assigning. Several names for one member (an alias)
// are several rows sharing a callable. Tables sit between `// clang-format off` and `on`: the
// formatter would give every field of a row a line of its own, and a table reads best a row a member.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "automation/AutomationError.h"
#include "automation/Object.h"
#include "automation/Text.h"
#include "automation/Variant.h"

namespace orva::automation {

// The arguments a member receives, by reference: a member may write back into them, and the caller's
// variables see what it wrote.
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

// Member::maxArgs for a member that takes any number of trailing arguments.
inline constexpr std::size_t kNoArgLimit = SIZE_MAX;

template <typename T>
struct Member {
    TextView name;
    CallKinds kinds = kRead;
    // Also reached under the empty name (the object's default member).
    bool isDefault = false;
    std::size_t minArgs = 0;
    std::size_t maxArgs = 0;
    // Called with the object and every argument (for an assignment, the value last); never null.
    Variant (*call)(T& self, Args args) = nullptr;
};

constexpr bool KindAccepted(CallKinds kinds, CallKind kind) {
    return (kinds & (1u << static_cast<unsigned>(kind))) != 0;
}

// The result of the first row of `members` that answers to name and kind, or nothing when no row
// does, so that layered objects (a control's own members, then those every control shares) can ask
// the next table. Raises 450 when args.size() is outside the row's argument range, naming the member
// and how many arguments it takes. An automation error that the callable raises passes through with
// its source set to the class and member ("Vector.Item") when it names none yet, so the innermost
// member called by name is the one named; other exceptions pass through untouched.
template <typename T, std::size_t N>
std::optional<Variant> TryInvokeMember(T& self, const Member<T> (&members)[N], TextView name, CallKind kind,
                                       Args args) {
    for (const Member<T>& member : members) {
        bool named = name.empty() ? member.isDefault : MemberIs(name, member.name);
        if (!named || !KindAccepted(member.kinds, kind)) continue;
        try {
            if (args.size() < member.minArgs || args.size() > member.maxArgs) {
                RequireArgCount(args, member.minArgs, member.maxArgs,
                                self.TypeName() + u"." + Text(member.name));
            }
            return member.call(self, args);
        } catch (const AutomationError& error) {
            if (!error.Source().empty()) throw;
            throw WithSource(error, self.TypeName() + u"." + Text(member.name));
        }
    }
    return std::nullopt;
}

// As TryInvokeMember, but raises 438 naming the member and the object's type (also as the source)
// when no row answers.
template <typename T, std::size_t N>
Variant InvokeMember(T& self, const Member<T> (&members)[N], TextView name, CallKind kind, Args args) {
    if (auto result = TryInvokeMember(self, members, name, kind, args)) return *std::move(result);
    RaiseNoSuchMember(self, name);
}

}  // namespace orva::automation
