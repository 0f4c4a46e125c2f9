#pragma once
// StatementRecordset: a Recordset over a live SQLite query. It holds the statement, and through it the
// connection, until the last row has been read or Close runs; rows are stepped one at a time as the
// caller moves, never read ahead into memory. A failing step raises and leaves the recordset at EOF.
//
// Field names match without regard to letter case. Values: INTEGER columns give Long (Double when
// the value does not fit 32 bits), REAL Double, TEXT Text, NULL Null; a BLOB is not expected in an
// account and raises 13.

#include <memory>
#include <unordered_map>

#include "catalog/Recordset.h"
#include "storage/Statement.h"

namespace orva::components {

class StatementRecordset : public Recordset {
public:
    // Takes over a bound, not yet stepped statement and steps it to its first row. Raises what
    // stepping raises (kDatabaseError with SQLite's message).
    explicit StatementRecordset(std::unique_ptr<Statement> statement);

    bool IsEOF() const override { return !m_statement; }
    automation::Variant Field(automation::TextView name) const override;
    void MoveNext() override;
    void Close() override;

    // The field names, in the query's column order.
    std::vector<automation::Text> FieldNames() const { return m_columns->names; }

private:
    // Steps to the next row; at the end the statement goes back to its connection at once.
    void Advance();

    std::unique_ptr<Statement> m_statement;  // null at EOF and after Close
    struct Columns {
        std::vector<automation::Text> names;  // in the query's column order
    };
    std::shared_ptr<const Columns> m_columns;  // shared by every recordset of the same query text
};

}  // namespace orva::components
