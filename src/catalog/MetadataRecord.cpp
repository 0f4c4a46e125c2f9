#include "catalog/MetadataRecord.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"

namespace orva::components {

using namespace automation;

MetadataRecord::MetadataRecord(Text kind, Text label, std::vector<Field> fields)
    : m_kind(std::move(kind)), m_label(std::move(label)), m_fields(std::move(fields)) {}

const Variant* MetadataRecord::Find(TextView name) const {
    for (const Field& field : m_fields) {
        if (MemberIs(name, field.first)) return &field.second;
    }
    return nullptr;
}

const Variant& MetadataRecord::Value(TextView name) const {
    const Variant* value = Find(name);
    if (!value) {
        Raise(errors::kInvalidCall, m_kind + u" \"" + m_label + u"\" has no field \"" + Text(name) + u"\"");
    }
    return *value;
}

Variant MetadataRecord::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // A field read as a property of its own name. Field names begin with "F", so they never hide the
    // members of the table below.
    if (!name.empty() && args.empty() && (kind == CallKind::Method || kind == CallKind::PropertyGet)) {
        if (const Variant* value = Find(name)) return *value;
    }
    static constexpr Member<MetadataRecord> kMembers[] = {
        {.name = u"Item",
         .isDefault = true,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](MetadataRecord& r, Args a) -> Variant { return r.Value(a[0].ToText()); }},
        {.name = u"Value",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](MetadataRecord& r, Args a) -> Variant { return r.Value(a[0].ToText()); }},
        {.name = u"Exists",
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](MetadataRecord& r, Args a) -> Variant { return r.Find(a[0].ToText()) != nullptr; }},
        {.name = u"Count",
         .call = [](MetadataRecord& r, Args) -> Variant { return static_cast<int32_t>(r.Fields().size()); }},
    };
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
