#pragma once
// SqliteStatement: one prepared SQLite statement, the StatementBackend of SqliteDatabase. It owns the
// sqlite3_stmt and finalizes it when destroyed; the connection's statement cache owns the objects.
// Callers use Statement.

#include "storage/Database.h"

struct sqlite3_stmt;

namespace orva::components {

class SqliteDatabase;

class SqliteStatement : public StatementBackend {
public:
    SqliteStatement(const SqliteDatabase& database, sqlite3_stmt* statement)
        : m_database(database), m_statement(statement) {}
    ~SqliteStatement() override;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    void Bind(int index, int64_t value) override;
    void Bind(int index, automation::TextView value) override;
    void BindNull(int index) override;
    bool Step() override;
    void Reset() override;
    void ResetForCache() override;
    int ColumnCount() const override;
    std::string ColumnName(int column) const override;
    ColumnType TypeOf(int column) const override;
    int64_t ColumnInteger(int column) const override;
    double ColumnDouble(int column) const override;
    automation::Text ColumnText(int column) const override;

private:
    const SqliteDatabase& m_database;
    sqlite3_stmt* m_statement;
};

}  // namespace orva::components
