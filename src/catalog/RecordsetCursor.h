#pragma once
// RecordsetCursor: a recordset as its callers read it. Through the typed interface when a data
// service returned one of ours, by member name otherwise (a service registered by a host may return
// any object with EOF, Fields, MoveNext and Close). Nothing counts as a recordset without records.
// Errors of the recordset (3021, 3265, a host object's own) pass through.

#include "automation/Object.h"
#include "catalog/Recordset.h"

namespace orva::components {

class RecordsetCursor {
public:
    explicit RecordsetCursor(automation::ObjectRef object);

    bool AtEnd() const;
    automation::Variant Field(automation::TextView name) const;
    void MoveNext();
    void Close();

private:
    automation::ObjectRef m_object;
    Recordset* m_typed;  // m_object as ours, or null
};

}  // namespace orva::components
