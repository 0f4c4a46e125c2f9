#pragma once
// PostgresStatement: one server-side prepared statement, the StatementBackend of PostgresDatabase.
// Parameters travel as text (an integer as its decimal digits) and the server converts them to the
// types it inferred while preparing; results come back as text and are converted here. The first Step
// runs the statement and fetches every row at once (the queries of an account return few rows); the
// later ones walk them. Callers use Statement.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "storage/Database.h"

struct pg_result;

namespace orva::components {

class PostgresDatabase;

class PostgresStatement : public StatementBackend {
public:
    // Takes over the prepared statement name of database's connection, prepared from sql (as the
    // caller wrote it, with ?N parameters) with parameterCount parameters.
    PostgresStatement(PostgresDatabase& database, std::string name, std::string sql, int parameterCount);
    // Deallocates the prepared statement on the server (not when the connection is closing or lost).
    ~PostgresStatement() override;
    PostgresStatement(const PostgresStatement&) = delete;
    PostgresStatement& operator=(const PostgresStatement&) = delete;

    // A bad index raises kDatabaseError with SQLite's range code (25). A text holding U+0000, which
    // the server cannot store, raises kDatabaseError with SQLite's mismatch code (20).
    void Bind(int index, int64_t value) override;
    void Bind(int index, automation::TextView value) override;
    void BindNull(int index) override;
    bool Step() override;
    void Reset() override;
    void ResetForCache() override;
    // Before the first Step these ask the server to describe the statement (one round trip, once).
    int ColumnCount() const override;
    // The name as the SQL spells it (SpellingInSql), since the server folds unquoted names to lower case.
    std::string ColumnName(int column) const override;
    // Integer for int2/int4/int8/oid/bool and for a numeric without fraction; Real for float4/float8
    // and other numerics; Blob for bytea; Text for everything else; Null for NULL.
    ColumnType TypeOf(int column) const override;
    // As SQLite converts: NULL and a text without leading digits read as 0, a real is truncated.
    int64_t ColumnInteger(int column) const override;
    double ColumnDouble(int column) const override;
    automation::Text ColumnText(int column) const override;

    // The value at (row, column) of a text-format result as an integer, converted as ColumnInteger does.
    static int64_t IntegerOf(const pg_result* result, int row, int column);

private:
    struct ResultDeleter {
        void operator()(pg_result* result) const;
    };
    using Result = std::unique_ptr<pg_result, ResultDeleter>;

    void CheckIndex(int index) const;
    // The value of column in the current row, or null when there is no current row or it is NULL.
    const char* Value(int column) const;
    // Fills m_columnNames from result (a result or a statement description).
    void NameColumns(const pg_result* result) const;

    PostgresDatabase& m_database;
    std::string m_name;
    std::string m_sql;
    std::vector<std::optional<std::string>> m_parameters;
    Result m_result;
    int m_row = -1;
    mutable std::optional<std::vector<std::string>> m_columnNames;  // depend on the SQL only
};

}  // namespace orva::components
