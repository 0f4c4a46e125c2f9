#include "storage/SqliteDatabase.h"

#include <sqlite3.h>

#include "automation/AutomationError.h"

namespace orva::components {

using namespace automation;

namespace {

// The result code goes into the help context, so that a caller can tell a busy database from a
// constraint failure without parsing the message.
[[noreturn]] void RaiseDatabaseError(const std::string& fileName, std::string_view message, int resultCode) {
    throw AutomationError(kDatabaseError, DatabaseErrorText(fileName, message), {}, {}, resultCode);
}

[[noreturn]] void RaiseOpenFailure(const std::string& fileName, sqlite3* handle, int resultCode) {
    std::string message = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(resultCode);
    int extendedCode = handle ? sqlite3_extended_errcode(handle) : resultCode;
    sqlite3_close_v2(handle);
    RaiseDatabaseError(fileName, message, extendedCode);
}

}  // namespace

int32_t SqliteResultCode(const AutomationError& error) {
    return error.Number() == kDatabaseError ? (error.HelpContext() & 0xFF) : 0;
}

Text DatabaseErrorText(const std::string& fileName, std::string_view message) {
    return FromUtf8Lossy(fileName + ": " + std::string(message));
}

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
    : m_handle(handle), m_fileName(std::move(fileName)) {}

SqliteDatabase::~SqliteDatabase() {
    for (auto& [sql, cached] : m_statements) sqlite3_finalize(cached.statement);
    sqlite3_close_v2(m_handle);
}

void SqliteDatabase::Execute(std::string_view sql) {
    char* message = nullptr;
    int resultCode = sqlite3_exec(m_handle, std::string(sql).c_str(), nullptr, nullptr, &message);
    if (resultCode != SQLITE_OK) {
        std::string text = message ? message : sqlite3_errstr(resultCode);
        sqlite3_free(message);
        RaiseDatabaseError(m_fileName, text, resultCode);
    }
}

void SqliteDatabase::ExecuteCached(std::string_view sql) {
    sqlite3_stmt* statement = TakeStatement(sql);
    int resultCode = sqlite3_step(statement);
    if (resultCode != SQLITE_DONE && resultCode != SQLITE_ROW) {
        std::string message = sqlite3_errmsg(m_handle);
        GiveStatement(sql, statement);
        RaiseDatabaseError(m_fileName, message, resultCode);
    }
    GiveStatement(sql, statement);
}

int64_t SqliteDatabase::QueryInteger(std::string_view sql) {
    std::vector<int64_t> row = QueryIntegers(sql);
    return row.empty() ? 0 : row.front();
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
        RaiseDatabaseError(m_fileName, message, resultCode);
    }
    sqlite3_finalize(statement);
    return row;
}

void SqliteDatabase::SetBusyTimeout(std::chrono::milliseconds wait) {
    sqlite3_busy_timeout(m_handle, static_cast<int>(wait.count()));
}

bool SqliteDatabase::IsReadOnly() const { return sqlite3_db_readonly(m_handle, "main") == 1; }

bool SqliteDatabase::InTransaction() const { return sqlite3_get_autocommit(m_handle) == 0; }

int64_t SqliteDatabase::LastInsertRowId() const { return sqlite3_last_insert_rowid(m_handle); }

void SqliteDatabase::RaiseError(int resultCode) const {
    // The connection's message belongs to its last failure; when that is not this one, SQLite's
    // generic text for the code is the honest description.
    bool sameFailure = (sqlite3_errcode(m_handle) & 0xFF) == (resultCode & 0xFF);
    RaiseDatabaseError(m_fileName, sameFailure ? sqlite3_errmsg(m_handle) : sqlite3_errstr(resultCode),
                       sameFailure ? sqlite3_extended_errcode(m_handle) : resultCode);
}

sqlite3_stmt* SqliteDatabase::TakeStatement(std::string_view sql) {
    auto cached = m_statements.find(sql);
    if (cached != m_statements.end() && !cached->second.inUse) {
        cached->second.inUse = true;
        return cached->second.statement;
    }
    sqlite3_stmt* statement = nullptr;
    int resultCode = sqlite3_prepare_v3(m_handle, sql.data(), static_cast<int>(sql.size()),
                                        SQLITE_PREPARE_PERSISTENT, &statement, nullptr);
    if (resultCode != SQLITE_OK) RaiseError(resultCode);
    if (cached == m_statements.end())
        m_statements.emplace(std::string(sql), CachedStatement{statement, true});
    return statement;
}

void SqliteDatabase::GiveStatement(std::string_view sql, sqlite3_stmt* statement) noexcept {
    auto cached = m_statements.find(sql);
    if (cached != m_statements.end() && cached->second.statement == statement) {
        sqlite3_reset(statement);
        sqlite3_clear_bindings(statement);
        cached->second.inUse = false;
    } else {
        sqlite3_finalize(statement);
    }
}

}  // namespace orva::components
