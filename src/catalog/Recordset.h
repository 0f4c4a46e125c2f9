#pragma once
// Recordset: a forward-only cursor over the rows a catalogue or metadata query returns, in the shape
// callers of the suite's data services know: EOF, a field value by name, MoveNext, Close.
//
// By name: EOF (property), Fields(name) / Item(name) / the default member (the field's value),
// MoveNext, Close. A recordset whose query found nothing starts at EOF.

#include "automation/Object.h"

namespace orva::components {

class Recordset : public automation::Object {
public:
    // True when there is no current row (after the last row, or after Close).
    virtual bool IsEOF() const = 0;
    // The value of a field of the current row: Long for integers, Double for reals, Text for texts,
    // Null for SQL NULL. Raises 3021 when there is no current row and 3265 for an unknown field name.
    virtual automation::Variant Field(automation::TextView name) const = 0;
    // Moves to the next row. Raises 3021 at EOF.
    virtual void MoveNext() = 0;
    // Ends the query and releases its resources; later calls see EOF. Idempotent.
    virtual void Close() = 0;

    automation::Text TypeName() const override { return u"Recordset"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

namespace recordset_errors {
inline constexpr int32_t kNoCurrentRecord = 3021;
inline constexpr int32_t kItemNotFound = 3265;
}  // namespace recordset_errors

}  // namespace orva::components
