#include "storage/Transaction.h"

#include "automation/PendingError.h"

namespace orva::components {

namespace {
constexpr const char* kSavepoint = "SAVEPOINT orva_write";
constexpr const char* kRelease = "RELEASE SAVEPOINT orva_write";
constexpr const char* kRollbackToSavepoint = "ROLLBACK TO SAVEPOINT orva_write; RELEASE SAVEPOINT orva_write";
}  // namespace

Transaction::Transaction(Database& database) : m_database(database), m_savepoint(database.InTransaction()) {
    if (m_savepoint) {
        m_database.Execute(kSavepoint);
    } else {
        m_database.BeginWrite();
    }
}

Transaction::~Transaction() {
    // A failed statement can already have ended the transaction (SQLite rolls back on some errors).
    if (!m_open || !m_database.InTransaction()) return;
    // Ignored: closing the connection rolls back what ROLLBACK could not.
    automation::RunIgnoring([&] { m_database.Execute(m_savepoint ? kRollbackToSavepoint : "ROLLBACK"); });
}

void Transaction::Commit() {
    m_database.ExecuteCached(m_savepoint ? kRelease : "COMMIT");
    m_open = false;
}

}  // namespace orva::components
