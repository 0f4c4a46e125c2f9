#pragma once
// MetadataRecord: one read-only record of the suite's metadata handed to callers by name: a class type
// of the template service ("ClassType"), a bill action of the action catalogue ("BillAction"). Callers
// read a field either as a property of that name (record.FName_EN) or by calling the record with the
// field's name (record("FEnvironment"), also Item(name) and Value(name)), as the dialogs do with the
// action objects. Field names match without regard to letter case.
//
// A record never changes after it is made, so one record may be handed to several callers.
// By name: the fields as read-only properties, the default member / Item / Value (name), Count, and
// Exists(name). Reading a field the record does not have raises 5 naming the field and the record; a
// silent empty value would turn into a blank name or a zero bit set further on.

#include <memory>
#include <utility>
#include <vector>

#include "automation/Object.h"

namespace orva::components {

class MetadataRecord : public automation::Object {
public:
    using Field = std::pair<automation::Text, automation::Variant>;

    // kind is the type name shown in errors ("BillAction"); label says which record it is ("mnuFileNew").
    MetadataRecord(automation::Text kind, automation::Text label, std::vector<Field> fields);

    // The value of the field called name. Raises 5 when there is none.
    const automation::Variant& Value(automation::TextView name) const;
    // The field called name, or nullptr.
    const automation::Variant* Find(automation::TextView name) const;
    // The fields in the order they were given.
    const std::vector<Field>& Fields() const { return m_fields; }

    automation::Text TypeName() const override { return m_kind; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    automation::Text m_kind;
    automation::Text m_label;
    std::vector<Field> m_fields;
};

using MetadataRecordRef = std::shared_ptr<MetadataRecord>;

}  // namespace orva::components
