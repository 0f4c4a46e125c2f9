#include "storage/SqliteDatabase.h"

#include <sqlite3.h>

#include "automation/AutomationError.h"
#include "storage/SqliteStatement.h"

namespace orva::components {

using namespace automation;

namespace {

[[noreturn]] void RaiseOpenFailure(const std::string& fileName, sqlite3* handle, int resultCode) {
    std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(resultCode);
    int extendedCode = handle ? sqlite3_extended_errcode(handle) : resultCode;
    sqlite3_close_v2(handle);
    RaiseDatabaseError(fileName, message, extendedCode);
}

}  // namespace

std::unique_ptr<SqliteDatabase> SqliteDatabase::Open(const std::string& fileName, OpenMode mode) {
    int flags = 0;
    switch (mode) {
        case OpenMode::ReadWrite:
            flags = SQLITE_OPEN_READWRITE;
            break;
        case OpenMode::ReadOnly:
            flags = SQLITE_OPEN_READONLY;
            break;
        case OpenMode::Create:
            flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
            break;
    }
    sqlite3* handle = nullptr;
    int resultCode = sqlite3_open_v2(fileName.c_str(), &handle, flags, nullptr);
    if (resultCode != SQLITE_OK) RaiseOpenFailure(fileName, handle, resultCode);
    std::unique_ptr<SqliteDatabase> database(new SqliteDatabase(handle, fileName));
    // Every code SQLite returns from here on is the extended one, which the errors keep.
    sqlite3_extended_result_codes(handle, 1);
    sqlite3_busy_timeout(handle, static_cast<int>(kBusyTimeout.count()));
    // Foreign keys are off unless every connection asks for them. In WAL mode synchronous=NORMAL
    // keeps the file consistent through a crash or power loss; only the last commits before a power
    // loss can roll back, which a repeated deployment restores, while FULL would cost one fsync per
    // created node.
    database->Execute("PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL;");
    return database;
}

SqliteDatabase::SqliteDatabase(sqlite3* handle, std::string fileName)
    : Database(std::move(fileName)), m_handle(handle) {}

SqliteDatabase::~SqliteDatabase() {
    ClearStatementCache();
    sqlite3_close_v2(m_handle);
}

void SqliteDatabase::Execute(std::string_view sql) {
    char* message = nullptr;
    int resultCode = sqlite3_exec(m_handle, std::string(sql).c_str(), nullptr, nullptr, &message);
    if (resultCode != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errstr(resultCode);
        sqlite3_free(message);
        RaiseDatabaseError(Name(), text, resultCode);
    }
}

std::vector<int64_t> SqliteDatabase::QueryIntegers(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    int resultCode =
        sqlite3_prepare_v2(m_handle, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (resultCode != SQLITE_OK) RaiseError(resultCode);
    std::vector<int64_t> row;
    resultCode = sqlite3_step(statement);
    if (resultCode == SQLITE_ROW) {
        for (int column = 0; column < sqlite3_column_count(statement); ++column) {
            row.push_back(sqlite3_column_int64(statement, column));
        }
    } else if (resultCode != SQLITE_DONE) {
        std::string message = sqlite3_errmsg(m_handle);
        sqlite3_finalize(statement);
        RaiseDatabaseError(Name(), message, resultCode);
    }
    sqlite3_finalize(statement);
    return row;
}

void SqliteDatabase::SetBusyTimeout(std::chrono::milliseconds wait) {
    sqlite3_busy_timeout(m_handle, static_cast<int>(wait.count()));
}

bool SqliteDatabase::IsReadOnly() const { return sqlite3_db_readonly(m_handle, "main") == 1; }

bool SqliteDatabase::InTransaction() const { return sqlite3_get_autocommit(m_handle) == 0; }

void SqliteDatabase::RaiseError(int resultCode) const {
    // The connection's message belongs to its last failure; when that is not this one, SQLite's
    // generic text for the code is the honest description.
    bool sameFailure = (sqlite3_errcode(m_handle) & 0xFF) == (resultCode & 0xFF);
    RaiseDatabaseError(Name(), sameFailure ? sqlite3_errmsg(m_handle) : sqlite3_errstr(resultCode),
                       sameFailure ? sqlite3_extended_errcode(m_handle) : resultCode);
}

std::unique_ptr<StatementBackend> SqliteDatabase::Prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    int resultCode = sqlite3_prepare_v3(m_handle, sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (resultCode != SQLITE_OK) RaiseError(resultCode);
    return std::make_unique<SqliteStatement>(*this, statement);
}

void SqliteDatabase::BeginWrite() { ExecuteCached("BEGIN IMMEDIATE"); }

}  // namespace orva::components
