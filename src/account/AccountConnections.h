#pragma once
// Connections to account databases, kept open for the whole process. The catalogue services are
// created anew for every step of a deployment; opening a connection, setting it up and checking the
// schema on every call would cost more than the work itself. So a connection that is given back is
// kept idle and handed to the next caller, and the schema of an account is checked (and migrated)
// once per process.
//
// A connection is lent to one user at a time (a create call's transaction, or a recordset until it
// closes), so users never share a transaction or a read snapshot, and two threads always hold two
// connections, which wait for each other's locks (SQLite's busy timeout, the server's row locks).
//
// A SQLite file is identified by device and inode: when it is deleted or replaced (an account
// created again over the old one), the idle connections to the old file are dropped and the new
// file is checked anew. A server account is identified by its URI as written.

#include "account/AccountLocation.h"
#include "storage/Database.h"

namespace orva::components {

// Most idle connections kept per account.
inline constexpr size_t kMaxIdleConnections = 8;

// A connection to the existing account at address, ready to read and write (or read only). The
// connection goes back to the pool when the last copy of the returned pointer is released; one
// released inside a transaction is closed instead (which rolls the transaction back).
// While a PinnedAccountTransaction for address lives, every call returns its connection instead.
// Raises 53 "<file>: no such account database" when a SQLite file does not exist (no file is ever
// created here), kNotAnAccount for a database that is not an account, kDatabaseError for the
// database's failures (a server that cannot be reached among them).
DatabaseRef OpenAccount(const AccountAddress& address);

// Closes every idle connection (connections in use are closed when given back). For a host that
// logs out of an account, and for tests.
void CloseIdleAccountConnections();
// Closes the idle connections to one account (a file in both modes, or a server URI), and forgets
// that its schema was checked. Call it before deleting an account file this process has used (a
// temporary copy, say): idle connections would otherwise keep the deleted file open for the life of
// the process; and before dropping a server database this process has used.
void CloseIdleAccountConnections(const std::string& location);

// A trial run on an account that leaves it unchanged: one connection, inside one transaction that is
// rolled back at the end, becomes the account's only connection in this process while this object
// lives (OpenAccount returns it for the address), so every write of the run happens inside that
// transaction, each create in a savepoint of its own (Transaction.h), and the run reads its own
// writes. The connection is one thread's: the run must not use the account from other threads.
// Raises what OpenAccount raises, and 5 when the address is pinned already.
class PinnedAccountTransaction {
public:
    explicit PinnedAccountTransaction(const AccountAddress& address);
    // Unpins the connection and rolls the transaction back; never raises.
    ~PinnedAccountTransaction();
    PinnedAccountTransaction(const PinnedAccountTransaction&) = delete;
    PinnedAccountTransaction& operator=(const PinnedAccountTransaction&) = delete;

    Database& Connection() const { return *m_database; }

private:
    std::string m_key;
    DatabaseRef m_database;
};

}  // namespace orva::components
