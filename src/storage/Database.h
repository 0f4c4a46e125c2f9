#pragma once
// Database: one open connection to an account database, whatever server holds it. Two kinds exist:
// SqliteDatabase (a file, the embedded default) and PostgresDatabase (a database on a server, for
// accounts shared by many machines). The catalogue and metadata components talk to this interface
// only, so they answer the same on both.
//
// SQL is written once, in the common subset of both dialects, with SQLite's numbered parameters
// ?1, ?2, ...; a backend that numbers them otherwise rewrites them before preparing. Where the
// dialects really differ (locking, schema), callers ask Dialect().
//
// Errors are AutomationErrors with number kDatabaseError, description "<name>: <message>" and, as
// help context, SQLite's extended result code; a server's error codes are mapped onto the SQLite
// codes callers act on (db_codes), so a unique violation reads as a constraint failure and a lock
// timeout as "busy" on every backend.
//
// Prepared statements are cached per connection by their SQL text (Statement takes one out and gives
// it back), so the per-call services do not pay for parsing on every call.
//
// A connection is used by one thread at a time; hand it between threads only when the other has
// finished with it (AccountConnections does exactly that).

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/Text.h"

namespace orva::components {

// Number of every database error (0x80004005, the generic failure database providers give); the
// description carries the database's own message, the help context a result code (see db_codes).
inline constexpr int32_t kDatabaseError = -2147467259;

// The primary result codes that callers act on; an error's help context holds one of them in its low
// byte (2067, a UNIQUE constraint, is 19 + 8 << 8). They are SQLite's numbers; PostgreSQL's
// SQLSTATEs are mapped onto them.
namespace db_codes {
inline constexpr int32_t kBusy = 5;         // another connection holds the lock past the wait allowed
inline constexpr int32_t kReadOnly = 8;     // a write to a read-only connection or file
inline constexpr int32_t kConstraint = 19;  // UNIQUE, NOT NULL, CHECK, FOREIGN KEY, ...
}  // namespace db_codes

// The primary result code of a database error (error.HelpContext() & 0xFF, one of db_codes), or 0 for
// an error that did not come from a database (another number, or a database error raised by this
// library's own checks, which carry no code).
int32_t DatabaseResultCode(const automation::AutomationError& error);

// How long a connection waits for another connection's lock before it fails as busy. Deployments are
// short transactions, so a long wait only ever covers a queue of them.
inline constexpr std::chrono::milliseconds kBusyTimeout{30000};

enum class SqlDialect { Sqlite, Postgres };

enum class ColumnType { Integer, Real, Text, Blob, Null };

// One prepared statement of a backend; used through Statement, never directly. Parameters are
// numbered from 1, columns from 0; column values are valid only after Step returned true.
class StatementBackend {
public:
    virtual ~StatementBackend() = default;
    virtual void Bind(int index, int64_t value) = 0;
    virtual void Bind(int index, automation::TextView value) = 0;
    virtual void BindNull(int index) = 0;
    virtual bool Step() = 0;
    // Makes the statement ready to run again; bindings stay.
    virtual void Reset() = 0;
    // Reset, and the bindings cleared: the state in which the cache keeps a statement.
    virtual void ResetForCache() = 0;
    virtual int ColumnCount() const = 0;
    virtual std::string ColumnName(int column) const = 0;
    virtual ColumnType TypeOf(int column) const = 0;
    virtual int64_t ColumnInteger(int column) const = 0;
    virtual double ColumnDouble(int column) const = 0;
    virtual automation::Text ColumnText(int column) const = 0;
};

class Database {
public:
    virtual ~Database() = default;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    virtual SqlDialect Dialect() const = 0;
    // What error messages call this database: the file name, or "host:port/database" for a server
    // (never a password).
    const std::string& Name() const { return m_name; }

    // Runs one or more SQL statements that return nothing worth reading. Raises kDatabaseError.
    virtual void Execute(std::string_view sql) = 0;
    // Runs one statement through the statement cache, for statements run again and again (COMMIT).
    // Raises kDatabaseError.
    void ExecuteCached(std::string_view sql);

    // The first column of the first row of a query as an integer (0 when it returns no row).
    // Raises kDatabaseError.
    int64_t QueryInteger(std::string_view sql);
    // The integer columns of the first row (empty when there is none): several values read from one
    // snapshot. Raises kDatabaseError.
    virtual std::vector<int64_t> QueryIntegers(std::string_view sql) = 0;

    // True when the connection cannot write.
    virtual bool IsReadOnly() const = 0;
    // True inside an explicit transaction (BEGIN ... not yet ended).
    virtual bool InTransaction() const = 0;
    // True when the connection can no longer be used: a server connection that was lost, or that the
    // server closed while it lay idle (found without a round trip). A pool drops such a connection
    // instead of lending it. A file connection is never lost.
    virtual bool ConnectionLost() { return false; }

    // Starts a write transaction that holds what it reads until it ends. SQLite: BEGIN IMMEDIATE (the
    // whole file's write lock, taken at once). A server: BEGIN; the caller locks the rows it depends
    // on. For Transaction only. Raises kDatabaseError.
    virtual void BeginWrite() = 0;

    // Statement cache, for Statement only. Take returns a prepared statement for sql (from the cache or
    // newly prepared; raises kDatabaseError for bad SQL); Give resets it and puts it back, or drops it
    // when it was a second statement for SQL whose cached one was in use.
    StatementBackend* TakeStatement(std::string_view sql);
    void GiveStatement(std::string_view sql, StatementBackend* statement) noexcept;

protected:
    explicit Database(std::string name) : m_name(std::move(name)) {}
    // Prepares one statement. Raises kDatabaseError for SQL that does not prepare.
    virtual std::unique_ptr<StatementBackend> Prepare(std::string_view sql) = 0;
    // Drops every cached statement; a backend whose statements need the open connection to be
    // finalised calls it in its destructor, before closing.
    void ClearStatementCache() noexcept;

private:
    struct CachedStatement {
        std::unique_ptr<StatementBackend> statement;
        bool inUse;
    };
    struct SqlHash {
        using is_transparent = void;
        size_t operator()(std::string_view sql) const { return std::hash<std::string_view>{}(sql); }
    };

    std::string m_name;
    std::unordered_map<std::string, CachedStatement, SqlHash, std::equal_to<>> m_statements;
};

using DatabaseRef = std::shared_ptr<Database>;

// Description of a database error: "<name>: <message>".
automation::Text DatabaseErrorText(const std::string& name, std::string_view message);

// Raises kDatabaseError "<name>: <message>" with resultCode as help context.
[[noreturn]] void RaiseDatabaseError(const std::string& name, std::string_view message, int32_t resultCode);

}  // namespace orva::components
