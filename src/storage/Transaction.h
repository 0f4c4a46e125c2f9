#pragma once
// Transaction: a write transaction (RAII). The constructor begins it (Database::BeginWrite: on SQLite
// BEGIN IMMEDIATE, which takes the write lock at the start, so a read-then-write transaction never
// fails half-way on a lock upgrade; on a server BEGIN, and the caller locks the rows it depends on),
// the destructor rolls it back unless Commit ran.
//
// On a connection that is already inside a transaction (a trial run that rolls everything back at the
// end), it is a savepoint instead: Commit releases it, the destructor rolls back to it, and the outer
// transaction goes on either way.

#include "storage/Database.h"

namespace orva::components {

class Transaction {
public:
    // Begins the transaction on database, which must outlive this object. Raises kDatabaseError (a lock
    // not granted within the busy timeout, ...).
    explicit Transaction(Database& database);
    // Rolls back unless committed; never raises.
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Commits (or releases the savepoint). Raises kDatabaseError; the destructor then rolls back what
    // is left.
    void Commit();

private:
    Database& m_database;
    bool m_savepoint;
    bool m_open = true;
};

}  // namespace orva::components
