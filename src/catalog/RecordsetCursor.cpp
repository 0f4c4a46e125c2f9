#include "catalog/RecordsetCursor.h"

namespace orva::components {

using namespace automation;

RecordsetCursor::RecordsetCursor(ObjectRef object)
    : m_object(std::move(object)), m_typed(dynamic_cast<Recordset*>(m_object.get())) {}

bool RecordsetCursor::AtEnd() const {
    if (!m_object) return true;
    return m_typed ? m_typed->IsEOF() : GetProperty(m_object, u"EOF").ToBool();
}

Variant RecordsetCursor::Field(TextView name) const {
    return m_typed ? m_typed->Field(name) : GetProperty(m_object, u"Fields", {Text(name)});
}

void RecordsetCursor::MoveNext() { m_typed ? m_typed->MoveNext() : void(CallMethod(m_object, u"MoveNext")); }

void RecordsetCursor::Close() {
    if (m_object) m_typed ? m_typed->Close() : void(CallMethod(m_object, u"Close"));
}

}  // namespace orva::components
