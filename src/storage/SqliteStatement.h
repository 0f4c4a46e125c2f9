#pragma once
// SqliteStatement: one prepared statement of a connection (RAII). It holds the connection through a
// shared_ptr, so a statement that outlives its creator (a recordset's) keeps the connection open.
// The statement comes from the connection's cache and goes back to it, reset, when destroyed.
//
// Parameters are numbered from 1, columns from 0. Texts are bound and read as UTF-16 Text.

#include <cstdint>
#include <string>
#include <string_view>

#include "automation/Text.h"
#include "storage/SqliteDatabase.h"

namespace orva::components {

enum class SqliteColumnType { Integer, Real, Text, Blob, Null };

class SqliteStatement {
public:
    // Prepares sql on database (or reuses the cached statement). Raises kDatabaseError for SQL that
    // does not prepare.
    SqliteStatement(SqliteDatabaseRef database, std::string_view sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Bind a parameter. Text is written as UTF-8; a lone surrogate raises 5 (nothing altered is stored).
    // A bad parameter index raises kDatabaseError.
    SqliteStatement& Bind(int index, int64_t value);
    SqliteStatement& Bind(int index, automation::TextView value);
    SqliteStatement& BindNull(int index);

    // Runs the statement to its next row: true when a row is there, false when the statement is done.
    // Raises kDatabaseError with SQLite's message (constraint failures, "database is locked", ...).
    bool Step();
    // Makes the statement ready to run again; bindings stay.
    void Reset();

    int ColumnCount() const;
    // The column's name as the query names it (its alias when it has one).
    std::string ColumnName(int column) const;
    // Column values of the current row (valid only after Step returned true).
    SqliteColumnType ColumnType(int column) const;
    int64_t ColumnInteger(int column) const;
    double ColumnDouble(int column) const;
    automation::Text ColumnText(int column) const;

    SqliteDatabase& Database() const { return *m_database; }
    const std::string& Sql() const { return m_sql; }

private:
    SqliteDatabaseRef m_database;
    std::string m_sql;
    sqlite3_stmt* m_statement;
};

}  // namespace orva::components
