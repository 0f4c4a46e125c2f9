#include "catalog/Recordset.h"

#include "automation/MemberTable.h"

namespace orva::components {

using namespace automation;

Variant Recordset::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr auto kField = [](Recordset& r, Args a) -> Variant { return r.Field(a[0].ToText()); };
    // clang-format off
    static constexpr Member<Recordset> kMembers[] = {
        {.name = u"EOF", .call = [](Recordset& r, Args) -> Variant { return r.IsEOF(); }},
        {.name = u"Fields", .isDefault = true, .minArgs = 1, .maxArgs = 1, .call = kField},
        {.name = u"Item", .minArgs = 1, .maxArgs = 1, .call = kField},
        {.name = u"MoveNext", .call = [](Recordset& r, Args) -> Variant { r.MoveNext(); return {}; }},
        {.name = u"Close", .call = [](Recordset& r, Args) -> Variant { r.Close(); return {}; }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
