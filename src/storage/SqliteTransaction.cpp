#include "storage/SqliteTransaction.h"

#include "automation/PendingError.h"

namespace orva::components {

SqliteTransaction::SqliteTransaction(SqliteDatabase& database) : m_database(database) {
    m_database.ExecuteCached("BEGIN IMMEDIATE");
}

SqliteTransaction::~SqliteTransaction() {
    // A failed statement can already have ended the transaction (SQLite rolls back on some errors).
    if (!m_open || !m_database.InTransaction()) return;
    // Ignored: closing the connection rolls back what ROLLBACK could not.
    automation::RunIgnoring([&] { m_database.Execute("ROLLBACK"); });
}

void SqliteTransaction::Commit() {
    m_database.ExecuteCached("COMMIT");
    m_open = false;
}

}  // namespace orva::components
