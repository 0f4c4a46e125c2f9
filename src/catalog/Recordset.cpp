#include "catalog/Recordset.h"

namespace orva::components {

using namespace automation;

Variant Recordset::Invoke(TextView name, CallKind, std::span<Variant> args) {
    if (MemberIs(name, u"EOF")) {
        RequireArgCount(args, 0, 0);
        return IsEOF();
    }
    if (name.empty() || MemberIs(name, u"Fields") || MemberIs(name, u"Item")) {
        RequireArgCount(args, 1, 1);
        return Field(args[0].ToText());
    }
    if (MemberIs(name, u"MoveNext")) {
        RequireArgCount(args, 0, 0);
        MoveNext();
        return {};
    }
    if (MemberIs(name, u"Close")) {
        RequireArgCount(args, 0, 0);
        Close();
        return {};
    }
    RaiseNoSuchMember(*this, name);
}

}  // namespace orva::components
