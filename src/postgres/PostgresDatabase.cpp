#include "postgres/PostgresDatabase.h"

#include <libpq-fe.h>
#include <poll.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "postgres/PostgresStatement.h"
#include "storage/ServerUri.h"

namespace orva::components {

namespace {

constexpr int32_t kCannotOpen = 14;      // SQLITE_CANTOPEN
constexpr int32_t kIoError = 10;         // SQLITE_IOERR: the connection was lost
constexpr int32_t kAbortRollback = 516;  // SQLITE_ABORT_ROLLBACK: a COMMIT that rolled back

// libpq's messages end in a newline, may continue on indented lines ("\n\tIs the server running
// ...") and pad a server's severity ("FATAL:  database ..."); a message for the user is one line.
std::string OneLine(std::string_view message) {
    std::string line;
    for (char c : message) {
        if (c == '\n' || c == '\t' || c == ' ') {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += c;
        }
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    return line;
}

// The first line of a libpq message without the severity the server put before it ("FATAL:  "):
// after a failed command the first line says what happened, the rest is libpq's guessing.
std::string FirstLine(std::string_view message) {
    message = message.substr(0, message.find('\n'));
    for (std::string_view severity : {"FATAL:", "ERROR:", "PANIC:"}) {
        if (message.starts_with(severity)) {
            message.remove_prefix(severity.size());
            message.remove_prefix(std::min(message.find_first_not_of(' '), message.size()));
        }
    }
    return std::string(message);
}

// The first keyword of sql, upper-cased (ASCII).
std::string FirstKeyword(std::string_view sql) {
    size_t begin = sql.find_first_not_of(" \t\r\n");
    std::string word;
    for (size_t i = begin; i < sql.size() && std::isalpha(static_cast<unsigned char>(sql[i])); ++i) {
        word += static_cast<char>(std::toupper(static_cast<unsigned char>(sql[i])));
    }
    return word;
}

bool IsLostSqlState(std::string_view sqlState) {
    // Class 08 (connection exception), and the backend ended by an administrator or a server crash.
    return sqlState.substr(0, 2) == "08" || sqlState == "57P01" || sqlState == "57P02";
}

}  // namespace

std::unique_ptr<PostgresDatabase> PostgresDatabase::Open(const std::string& uri, const ServerUri& parts,
                                                         bool readOnly) {
    // libpq is given the parts, never the URI: it would read a URI it cannot parse (an upper-case
    // scheme) as a database name and send it, password and all, to the default server.
    // Keywords are read in order and a later one overrides an earlier: the default timeout comes
    // first so that the URI's own connect_timeout wins; the encoding comes last, since texts cross the
    // connection as UTF-8 whatever the URI says. libpq reads PGCONNECT_TIMEOUT only for a keyword
    // nobody set.
    std::vector<const char*> keys;
    std::vector<const char*> values;
    if (std::getenv("PGCONNECT_TIMEOUT") == nullptr) {
        keys.push_back("connect_timeout");
        values.push_back("10");
    }
    keys.push_back("fallback_application_name");
    values.push_back("orva-deploy");
    for (const auto& [keyword, value] : parts.keywords) {
        keys.push_back(keyword.c_str());
        values.push_back(value.c_str());
    }
    keys.insert(keys.end(), {"client_encoding", nullptr});
    values.insert(values.end(), {"UTF8", nullptr});
    // expand_dbname 0: a database name is a name, never another connection string.
    PGconn* handle = PQconnectdbParams(keys.data(), values.data(), 0);
    if (handle == nullptr) RaiseDatabaseError(MaskPassword(uri), "out of memory", kCannotOpen);
    if (PQstatus(handle) != CONNECTION_OK) {
        // libpq's message may repeat a value it was given: every spelling of the password goes.
        std::string message = MaskPassword(OneLine(PQerrorMessage(handle)), uri);
        PQfinish(handle);
        RaiseDatabaseError(MaskPassword(uri), message, kCannotOpen);
    }
    // Notices (an implicit index, "there is no transaction in progress") are the server talking to a
    // console; stderr is not ours to write to.
    PQsetNoticeProcessor(
        handle, [](void*, const char*) {}, nullptr);
    std::string name = std::string(PQhost(handle)) + ":" + PQport(handle) + "/" + PQdb(handle);
    std::unique_ptr<PostgresDatabase> database(new PostgresDatabase(handle, std::move(name), readOnly));
    // A lock wait past the busy timeout fails as busy (55P03), as SQLite's busy timeout does.
    std::string settings = "SET lock_timeout = " + std::to_string(kBusyTimeout.count());
    if (readOnly) settings += "; SET default_transaction_read_only = on";
    database->Execute(settings);
    return database;
}

PostgresDatabase::PostgresDatabase(pg_conn* handle, std::string name, bool readOnly)
    : Database(std::move(name)), m_handle(handle), m_readOnly(readOnly) {}

PostgresDatabase::~PostgresDatabase() {
    m_closing = true;
    ClearStatementCache();
    PQfinish(m_handle);
}

void PostgresDatabase::CheckUsable() const {
    if (!m_lostMessage.empty()) RaiseLost();
}

void PostgresDatabase::RaiseLost() const {
    RaiseDatabaseError(Name(), "the connection to the server was lost: " + m_lostMessage, kIoError);
}

pg_result* PostgresDatabase::CheckResult(pg_result* result, std::string_view sql) {
    ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_EMPTY_QUERY) {
        // In a transaction that a failed statement aborted, the server answers COMMIT with ROLLBACK
        // and no error; the caller must not take its work for stored.
        if (std::string_view(PQcmdStatus(result)) == "ROLLBACK" &&
            (FirstKeyword(sql) == "COMMIT" || FirstKeyword(sql) == "END")) {
            PQclear(result);
            RaiseDatabaseError(Name(), "the transaction was rolled back after an earlier error",
                               kAbortRollback);
        }
        return result;
    }
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
    std::string sqlState = state ? state : "";
    std::string message = primary ? primary : FirstLine(PQerrorMessage(m_handle));
    if (message.empty()) message = "unknown failure";
    PQclear(result);
    if (PQstatus(m_handle) == CONNECTION_BAD || IsLostSqlState(sqlState)) {
        m_lostMessage = message;
        RaiseLost();
    }
    RaiseDatabaseError(Name(), message, ResultCodeOfSqlState(sqlState));
}

void PostgresDatabase::Execute(std::string_view sql) {
    CheckUsable();
    PQclear(CheckResult(PQexec(m_handle, std::string(sql).c_str()), sql));
}

std::vector<int64_t> PostgresDatabase::QueryIntegers(std::string_view sql) {
    CheckUsable();
    // PQexecParams runs exactly one statement, as SQLite's prepare does.
    PGresult* result = CheckResult(
        PQexecParams(m_handle, std::string(sql).c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0), sql);
    std::vector<int64_t> row;
    if (PQntuples(result) > 0) {
        for (int column = 0; column < PQnfields(result); ++column) {
            row.push_back(PostgresStatement::IntegerOf(result, 0, column));
        }
    }
    PQclear(result);
    return row;
}

bool PostgresDatabase::ConnectionLost() {
    if (!m_lostMessage.empty()) return true;
    // An idle connection receives nothing but the odd notice, or the server's last message before it
    // closes the socket; a few reads find the end of the stream.
    for (int read = 0; read < 4 && PQstatus(m_handle) == CONNECTION_OK; ++read) {
        pollfd socket{PQsocket(m_handle), POLLIN, 0};
        if (poll(&socket, 1, 0) <= 0 || PQconsumeInput(m_handle) == 0) break;
    }
    if (PQstatus(m_handle) == CONNECTION_OK) return false;
    m_lostMessage = FirstLine(PQerrorMessage(m_handle));
    if (m_lostMessage.empty()) m_lostMessage = "the server closed the connection";
    return true;
}

bool PostgresDatabase::InTransaction() const { return PQtransactionStatus(m_handle) != PQTRANS_IDLE; }

void PostgresDatabase::BeginWrite() { ExecuteCached("BEGIN"); }

std::unique_ptr<StatementBackend> PostgresDatabase::Prepare(std::string_view sql) {
    CheckUsable();
    PostgresSql rewritten = RewriteParameters(sql);
    std::string name = "orva_" + std::to_string(++m_statementCount);
    PQclear(CheckResult(
        PQprepare(m_handle, name.c_str(), rewritten.text.c_str(), rewritten.parameterCount, nullptr), sql));
    return std::make_unique<PostgresStatement>(*this, std::move(name), std::string(sql),
                                               rewritten.parameterCount);
}

}  // namespace orva::components
