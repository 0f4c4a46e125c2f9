#pragma once
// An object whose members change their arguments and raise errors, to watch what crosses the C
// interface.

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/Object.h"

// In the automation namespace, where its member table's names live.
namespace orva::automation {

class Probe : public Object {
public:
    Text TypeName() const override { return u"Probe"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        // clang-format off
        static constexpr Member<Probe> kMembers[] = {
            // Bump(n, out, untouched): n + 1 into n, a text into out, returns the count of arguments.
            {.name = u"Bump", .minArgs = 3, .maxArgs = 3, .call = [](Probe&, Args a) -> Variant {
                 a[0] = Variant(a[0].ToInt32() + 1);
                 a[1] = Variant(Text(u"written \u4E2D"));
                 return static_cast<int32_t>(a.size());
             }},
            {.name = u"Echo", .minArgs = 1, .maxArgs = 1, .call = [](Probe&, Args a) -> Variant { return a[0]; }},
            {.name = u"Fail", .call = [](Probe&, Args) -> Variant {
                 throw AutomationError(-2147467259, u"account.db: database is locked", u"OrvaData.CatalogWriter");
             }},
            {.name = u"Value", .kinds = kGet, .call = [](Probe& p, Args) -> Variant { return p.value; }},
            {.name = u"Value", .kinds = kLet, .minArgs = 1, .maxArgs = 1,
             .call = [](Probe& p, Args a) -> Variant { p.value = a[0]; return {}; }},
        };
        // clang-format on
        return InvokeMember(*this, kMembers, name, kind, args);
    }
    Variant value;
};

}  // namespace orva::automation
