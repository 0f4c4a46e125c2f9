#pragma once
// PostgresDatabase: one open connection to a PostgreSQL server (RAII, over libpq), the Database of an
// account shared by many machines. It sets what every account connection needs (UTF-8, a bounded
// lock wait, read-only when asked) and turns the server's failures into AutomationErrors:
// kDatabaseError, "<host:port/database>: <the server's message>", with the SQLSTATE mapped onto
// SQLite's result code as help context (ResultCodeOfSqlState), so callers handle a unique violation
// or a lock timeout the same on both backends.
//
// Unlike SQLite, a statement that fails inside a transaction (even one that does not prepare) aborts
// the whole transaction on the server: it then accepts only ROLLBACK or ROLLBACK TO a savepoint (which
// Transaction runs), and a COMMIT of it raises instead of passing for committed.
//
// A lost connection (the server went away, the backend was terminated) raises "<name>: the connection
// to the server was lost: <message>" with help context 10 (SQLite's I/O error); the connection stays
// unusable and every later call raises the same error. Nothing reconnects behind the caller's back: a
// transaction in progress is gone, and only the caller knows what to run again.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Database.h"
#include "storage/PostgresSql.h"
#include "storage/ServerUri.h"

struct pg_conn;
struct pg_result;

namespace orva::components {

class PostgresDatabase : public Database {
public:
    // Connects to the server of parts (uri as read by ParseServerUri, handed to libpq as keywords;
    // libpq's environment, service and password files supply what it leaves out). Waits at most the
    // connect timeout: the URI's or PGCONNECT_TIMEOUT's, else 10 s. A read-only connection runs every
    // transaction read-only. Raises kDatabaseError "<uri masked>: <libpq's message, masked>" (help
    // context 14, SQLite's "cannot open") when the server cannot be reached or refuses (MaskPassword).
    // The rest of the library reaches it through OpenServerDatabase (storage/ServerDatabase.h).
    static std::unique_ptr<PostgresDatabase> Open(const std::string& uri, const ServerUri& parts,
                                                  bool readOnly);

    // Drops the cached statements and closes the connection (the server rolls back an open
    // transaction). Every Statement of this connection must be gone by then.
    ~PostgresDatabase() override;

    SqlDialect Dialect() const override { return SqlDialect::Postgres; }

    // Runs one or more statements in one round trip (PQexec; several statements outside a
    // transaction run as one implicit transaction). Raises kDatabaseError.
    void Execute(std::string_view sql) override;
    // One statement, no parameters; NULL reads as 0. Raises kDatabaseError.
    std::vector<int64_t> QueryIntegers(std::string_view sql) override;
    bool IsReadOnly() const override { return m_readOnly; }
    // True from BEGIN until COMMIT or ROLLBACK, also after a failed statement inside it (the
    // transaction then only accepts ROLLBACK), and on a lost connection.
    bool InTransaction() const override;
    // Also reads what the server sent while the connection lay idle: a terminated backend's goodbye
    // or the closed socket of a server that went away make the connection lost from here on.
    bool ConnectionLost() override;
    // BEGIN, at READ COMMITTED: the caller locks the rows it depends on (SELECT ... FOR UPDATE).
    void BeginWrite() override;

    // For PostgresStatement: the connection, a new name for a server-side prepared statement, and
    // the checks every command result goes through.
    pg_conn* Handle() const { return m_handle; }
    // Raises the lost-connection error when the connection was lost before.
    void CheckUsable() const;
    // Returns result when its command succeeded (a COMMIT that the server turned into ROLLBACK, after
    // an earlier failure in the transaction, did not). Otherwise frees result and raises the failure;
    // a lost connection marks this connection unusable. result may be null (libpq's own failure).
    pg_result* CheckResult(pg_result* result, std::string_view sql);
    // True while the destructor runs: statements then skip their DEALLOCATE.
    bool Closing() const { return m_closing; }

protected:
    // PQprepare under a name unique on this connection, after RewriteParameters.
    std::unique_ptr<StatementBackend> Prepare(std::string_view sql) override;

private:
    PostgresDatabase(pg_conn* handle, std::string name, bool readOnly);
    [[noreturn]] void RaiseLost() const;

    pg_conn* m_handle;
    bool m_readOnly;
    bool m_closing = false;
    std::string m_lostMessage;  // set when the connection was lost
    int64_t m_statementCount = 0;
};

}  // namespace orva::components
