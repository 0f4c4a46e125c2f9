#pragma once
// Statement: one prepared statement of a connection (RAII), on any backend. It holds the connection
// through a shared_ptr, so a statement that outlives its creator (a recordset's) keeps the connection
// open. The statement comes from the connection's cache and goes back to it, reset, when destroyed.
//
// Parameters are numbered from 1 and written ?1, ?2, ... in the SQL; columns from 0. Texts are bound
// and read as UTF-16 Text.

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/Text.h"
#include "storage/Database.h"

namespace orva::components {

class Statement {
public:
    // Prepares sql on database (or reuses the cached statement). Raises kDatabaseError for SQL that
    // does not prepare.
    Statement(DatabaseRef database, std::string_view sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    // Bind a parameter. Text is written as UTF-8; a lone surrogate raises 5 (nothing altered is
    // stored), and on a server, which cannot store U+0000, a text holding it raises kDatabaseError
    // (help context 20). A bad parameter index raises kDatabaseError.
    Statement& Bind(int index, int64_t value) {
        m_statement->Bind(index, value);
        return *this;
    }
    Statement& Bind(int index, automation::TextView value) {
        m_statement->Bind(index, value);
        return *this;
    }
    Statement& BindNull(int index) {
        m_statement->BindNull(index);
        return *this;
    }

    // Runs the statement to its next row: true when a row is there, false when the statement is done.
    // Raises kDatabaseError with the database's message (constraint failures, a lock not granted, ...).
    bool Step() { return m_statement->Step(); }
    // Makes the statement ready to run again; bindings stay.
    void Reset() { m_statement->Reset(); }

    int ColumnCount() const { return m_statement->ColumnCount(); }
    // The column's name as the query spells it (its alias when it has one).
    std::string ColumnName(int column) const { return m_statement->ColumnName(column); }
    // Column values of the current row (valid only after Step returned true).
    ColumnType TypeOf(int column) const { return m_statement->TypeOf(column); }
    int64_t ColumnInteger(int column) const { return m_statement->ColumnInteger(column); }
    double ColumnDouble(int column) const { return m_statement->ColumnDouble(column); }
    automation::Text ColumnText(int column) const { return m_statement->ColumnText(column); }

    Database& Connection() const { return *m_database; }
    const std::string& Sql() const { return m_sql; }

private:
    DatabaseRef m_database;
    std::string m_sql;
    StatementBackend* m_statement;
};

}  // namespace orva::components
