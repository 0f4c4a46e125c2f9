#pragma once
// SqliteDatabase: one open SQLite connection (RAII). It sets what every account connection needs
// (foreign keys on, a busy timeout, synchronous=NORMAL) and turns SQLite's failures into
// AutomationErrors that keep SQLite's message and result code: number kDatabaseError, description
// "<file>: <message>", help context SQLite's extended result code (see SqliteResultCode).
//
// Prepared statements are cached per connection by their SQL text (SqliteStatement takes one out and
// gives it back), so the per-call services do not pay for parsing on every call.
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

struct sqlite3;
struct sqlite3_stmt;

namespace orva::components {

// Number of every error SQLite reports (0x80004005, the generic failure database providers give);
// the description carries SQLite's own message, the help context SQLite's extended result code.
inline constexpr int32_t kDatabaseError = -2147467259;

// SQLite's primary result codes that callers act on; an error's extended code (its help context)
// holds one of them in its low byte (2067, a UNIQUE constraint, is 19 + 8 << 8).
namespace sqlite_codes {
inline constexpr int32_t kBusy = 5;         // another connection holds the lock past the busy timeout
inline constexpr int32_t kReadOnly = 8;     // a write to a read-only connection or file
inline constexpr int32_t kConstraint = 19;  // UNIQUE, NOT NULL, CHECK, FOREIGN KEY, ...
}  // namespace sqlite_codes

// The primary result code of a database error (error.HelpContext() & 0xFF, one of sqlite_codes), or 0
// for an error that did not come from SQLite (another number, or a database error raised by this
// library's own checks, which carry no code).
int32_t SqliteResultCode(const automation::AutomationError& error);

// How long a connection waits for another connection's write lock before it fails with "database is
// locked". Deployments are short transactions, so a long wait only ever covers a queue of them.
inline constexpr std::chrono::milliseconds kBusyTimeout{30000};

class SqliteDatabase {
public:
    enum class OpenMode {
        ReadWrite,  // an existing file; SQLite falls back to read-only when the file is write-protected
        ReadOnly,   // an existing file, never written
        Create,     // created when missing
    };

    // Opens fileName (a UTF-8 path). Raises kDatabaseError "<file>: <message>" when SQLite cannot open
    // it; ReadWrite and ReadOnly never create a file.
    static std::unique_ptr<SqliteDatabase> Open(const std::string& fileName, OpenMode mode);

    // Finalizes the cached statements and closes the connection. Every SqliteStatement of this
    // connection must be gone by then (they hold the connection through a shared_ptr).
    ~SqliteDatabase();
    SqliteDatabase(const SqliteDatabase&) = delete;
    SqliteDatabase& operator=(const SqliteDatabase&) = delete;

    const std::string& FileName() const { return m_fileName; }

    // Runs one or more SQL statements that return nothing worth reading. Raises kDatabaseError.
    void Execute(std::string_view sql);
    // Runs one statement through the statement cache, for statements run again and again
    // (BEGIN IMMEDIATE, COMMIT). Raises kDatabaseError.
    void ExecuteCached(std::string_view sql);

    // The first column of the first row of a query as an integer (0 when it returns no row); for
    // pragmas such as user_version. Raises kDatabaseError.
    int64_t QueryInteger(std::string_view sql);
    // The integer columns of the first row (empty when there is none): several values read from one
    // snapshot. Raises kDatabaseError.
    std::vector<int64_t> QueryIntegers(std::string_view sql);

    // Replaces kBusyTimeout for this connection (0: fail at once when another connection holds the lock).
    void SetBusyTimeout(std::chrono::milliseconds wait);

    // True when the connection cannot write (opened read-only, or the file is write-protected).
    bool IsReadOnly() const;
    // True inside an explicit transaction (BEGIN ... not yet ended).
    bool InTransaction() const;
    // Row id of the last successful INSERT on this connection.
    int64_t LastInsertRowId() const;

    // Raises the connection's current error: kDatabaseError, "<file>: <SQLite's message>", with the
    // extended result code as help context (resultCode itself when the connection's last failure is
    // another one).
    [[noreturn]] void RaiseError(int resultCode) const;

    // Statement cache, for SqliteStatement only. Take returns a prepared statement for sql (from the
    // cache or newly prepared; raises kDatabaseError for bad SQL); Give resets it and puts it back, or
    // finalizes it when it was a second statement for SQL whose cached one was in use.
    sqlite3_stmt* TakeStatement(std::string_view sql);
    void GiveStatement(std::string_view sql, sqlite3_stmt* statement) noexcept;

private:
    SqliteDatabase(sqlite3* handle, std::string fileName);

    struct CachedStatement {
        sqlite3_stmt* statement;
        bool inUse;
    };
    struct SqlHash {
        using is_transparent = void;
        size_t operator()(std::string_view sql) const { return std::hash<std::string_view>{}(sql); }
    };

    sqlite3* m_handle;
    std::string m_fileName;
    std::unordered_map<std::string, CachedStatement, SqlHash, std::equal_to<>> m_statements;
};

using SqliteDatabaseRef = std::shared_ptr<SqliteDatabase>;

// Description of a database error: "<file>: <message>".
automation::Text DatabaseErrorText(const std::string& fileName, std::string_view message);

}  // namespace orva::components
