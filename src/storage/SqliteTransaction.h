#pragma once
// SqliteTransaction: BEGIN IMMEDIATE in the constructor, ROLLBACK in the destructor unless Commit
// ran. IMMEDIATE takes the write lock at the start, so a read-then-write transaction never fails
// half-way on a lock upgrade: it waits (busy timeout) for other writers before it reads, and what it
// reads stays true until it commits.

#include "storage/SqliteDatabase.h"

namespace orva::components {

class SqliteTransaction {
public:
    // Begins the transaction on database, which must outlive this object. Raises kDatabaseError
    // ("database is locked" once the busy timeout has passed, ...).
    explicit SqliteTransaction(SqliteDatabase& database);
    // Rolls back unless committed; never raises.
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    // Commits. Raises kDatabaseError; the destructor then rolls back what is left.
    void Commit();

private:
    SqliteDatabase& m_database;
    bool m_open = true;
};

}  // namespace orva::components
