#include "storage/Database.h"

namespace orva::components {

using namespace automation;

int32_t DatabaseResultCode(const AutomationError& error) {
    return error.Number() == kDatabaseError ? (error.HelpContext() & 0xFF) : 0;
}

Text DatabaseErrorText(const std::string& name, std::string_view message) {
    return FromUtf8Lossy(name + ": " + std::string(message));
}

void RaiseDatabaseError(const std::string& name, std::string_view message, int32_t resultCode) {
    throw AutomationError(kDatabaseError, DatabaseErrorText(name, message), {}, {}, resultCode);
}

void Database::ExecuteCached(std::string_view sql) {
    StatementBackend* statement = TakeStatement(sql);
    try {
        statement->Step();
    } catch (...) {
        GiveStatement(sql, statement);
        throw;
    }
    GiveStatement(sql, statement);
}

int64_t Database::QueryInteger(std::string_view sql) {
    std::vector<int64_t> row = QueryIntegers(sql);
    return row.empty() ? 0 : row.front();
}

StatementBackend* Database::TakeStatement(std::string_view sql) {
    auto cached = m_statements.find(sql);
    if (cached != m_statements.end() && !cached->second.inUse) {
        cached->second.inUse = true;
        return cached->second.statement.get();
    }
    std::unique_ptr<StatementBackend> statement = Prepare(sql);
    if (cached != m_statements.end()) return statement.release();  // a second one, dropped when given back
    StatementBackend* raw = statement.get();
    m_statements.emplace(std::string(sql), CachedStatement{std::move(statement), true});
    return raw;
}

void Database::GiveStatement(std::string_view sql, StatementBackend* statement) noexcept {
    auto cached = m_statements.find(sql);
    if (cached != m_statements.end() && cached->second.statement.get() == statement) {
        statement->ResetForCache();
        cached->second.inUse = false;
    } else {
        delete statement;
    }
}

void Database::ClearStatementCache() noexcept { m_statements.clear(); }

}  // namespace orva::components
