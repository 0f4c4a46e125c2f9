#pragma once
// Connections to account databases, kept open for the whole process. The catalogue services are
// created anew for every step of a deployment; opening SQLite, setting the connection up and
// checking the schema on every call would cost more than the work itself. So a connection that is
// given back is kept idle and handed to the next caller, and the schema of a file is checked (and
// migrated) once per process.
//
// A connection is lent to one user at a time (a create call's transaction, or a recordset until it
// closes), so users never share a transaction or a read snapshot, and two threads always hold two
// connections, which wait for each other's write locks through SQLite's busy timeout.
//
// The file is identified by device and inode: when it is deleted or replaced (an account created
// again over the old one), the idle connections to the old file are dropped and the new file is
// checked anew.

#include "account/AccountLocation.h"
#include "storage/SqliteDatabase.h"

namespace orva::components {

// Most idle connections kept per account file.
inline constexpr size_t kMaxIdleConnections = 8;

// A connection to the existing account at address, ready to read and write (or read only). The
// connection goes back to the pool when the last copy of the returned pointer is released; one
// released inside a transaction is closed instead (which rolls the transaction back).
// Raises 53 "<file>: no such account database" when the file does not exist (no file is ever
// created here), kNotAnAccount for a file that is not an account, kDatabaseError for SQLite's failures.
DatabaseRef OpenAccount(const AccountAddress& address);

// Closes every idle connection (connections in use are closed when given back). For a host that
// logs out of an account, and for tests.
void CloseIdleAccountConnections();
// Closes the idle connections to one file (both modes), and forgets that its schema was checked.
// Call it before deleting an account file this process has used (a temporary copy, say): idle
// connections would otherwise keep the deleted file open for the life of the process.
void CloseIdleAccountConnections(const std::string& fileName);

}  // namespace orva::components
