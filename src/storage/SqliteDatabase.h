#pragma once
// SqliteDatabase: one open SQLite connection (RAII), the Database of an account file. It sets what
// every account connection needs (foreign keys on, a busy timeout, synchronous=NORMAL) and turns
// SQLite's failures into AutomationErrors that keep SQLite's message and extended result code
// (description "<file>: <message>").

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "storage/Database.h"

struct sqlite3;

namespace orva::components {

class SqliteDatabase : public Database {
public:
    enum class OpenMode {
        ReadWrite,  // an existing file; SQLite falls back to read-only when the file is write-protected
        ReadOnly,   // an existing file, never written
        Create,     // created when missing
    };

    // Opens fileName (a UTF-8 path). Raises kDatabaseError "<file>: <message>" when SQLite cannot open
    // it; ReadWrite and ReadOnly never create a file.
    static std::unique_ptr<SqliteDatabase> Open(const std::string& fileName, OpenMode mode);

    // Finalizes the cached statements and closes the connection. Every Statement of this connection
    // must be gone by then (they hold the connection through a shared_ptr).
    ~SqliteDatabase() override;

    SqlDialect Dialect() const override { return SqlDialect::Sqlite; }
    const std::string& FileName() const { return Name(); }

    void Execute(std::string_view sql) override;
    std::vector<int64_t> QueryIntegers(std::string_view sql) override;
    bool IsReadOnly() const override;
    bool InTransaction() const override;
    void BeginWrite() override;

    // Replaces kBusyTimeout for this connection (0: fail at once when another connection holds the lock).
    void SetBusyTimeout(std::chrono::milliseconds wait);

    // Raises the connection's current error: kDatabaseError, "<file>: <SQLite's message>", with the
    // extended result code as help context (resultCode itself when the connection's last failure is
    // another one).
    [[noreturn]] void RaiseError(int resultCode) const;

protected:
    std::unique_ptr<StatementBackend> Prepare(std::string_view sql) override;

private:
    SqliteDatabase(sqlite3* handle, std::string fileName);

    sqlite3* m_handle;
};

}  // namespace orva::components
