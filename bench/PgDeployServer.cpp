#include "PgDeployServer.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace orva::bench {

namespace {

[[noreturn]] void Fail(PGconn* connection, const std::string& what) {
    std::fprintf(stderr, "PgDeployBench: %s: %s\n", what.c_str(),
                 connection ? PQerrorMessage(connection) : "no connection");
    std::abort();
}

// Takes over result; aborts unless it has one of the two good statuses.
class Result {
public:
    Result(PGconn* connection, PGresult* result, const std::string& what) : m_result(result) {
        ExecStatusType status = PQresultStatus(result);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
            std::string message = what + ": " + PQresultErrorMessage(result);
            PQclear(result);
            Fail(connection, message);
        }
    }
    ~Result() { PQclear(m_result); }
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;

    std::optional<int64_t> FirstInteger() const {
        if (PQntuples(m_result) == 0 || PQgetisnull(m_result, 0, 0)) return std::nullopt;
        return std::strtoll(PQgetvalue(m_result, 0, 0), nullptr, 10);
    }

private:
    PGresult* m_result;
};

std::string Quoted(const std::string& identifier) { return "\"" + identifier + "\""; }

// The grown part written into a server account: the nodes above the details one by one (their
// identifiers are needed), the 100,000 details by COPY at the end.
class ServerSink : public CatalogueSink {
public:
    explicit ServerSink(PgConnection& connection) : m_connection(connection) {
        m_connection.Prepare("grow_top",
                             "INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, "
                             "FTopClassName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FVisible) VALUES "
                             "($1, $2, $2, $2, $3, $3, $3, 1) RETURNING FTopClassID");
        m_connection.Prepare("grow_sub",
                             "INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, "
                             "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FSubID, FVisible) VALUES "
                             "($1, $2, $3, $3, $3, $4, $4, $4, 'OrvaHost.Application', 'orvahost', 1) "
                             "RETURNING FSubSysID");
        m_connection.Prepare("grow_func",
                             "INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, "
                             "FFuncName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FVisible) "
                             "VALUES ($1, $2, $3, $3, $3, $4, $4, $4, 'OrvaHost.Application', 1) "
                             "RETURNING FSubFuncID");
    }

    int64_t NextTopClassIndex() override {
        return m_connection.QueryValue("SELECT coalesce(max(FIndex), 0) + 1 FROM t_TopClass");
    }
    int64_t AddTopClass(int64_t index, const std::string& name, const std::string& key) override {
        return *m_connection.QueryInteger("grow_top", PgParams().Add(index).Add(name).Add(key));
    }
    int64_t AddSubSystem(int64_t topClassId, int64_t index, const std::string& name,
                         const std::string& key) override {
        return *m_connection.QueryInteger("grow_sub",
                                          PgParams().Add(topClassId).Add(index).Add(name).Add(key));
    }
    int64_t AddSubFunc(int64_t subSysId, int64_t index, const std::string& name,
                       const std::string& key) override {
        return *m_connection.QueryInteger("grow_func",
                                          PgParams().Add(subSysId).Add(index).Add(name).Add(key));
    }
    // COPY's text format: tab-separated; the names hold neither tabs, newlines nor backslashes.
    void AddDetail(int64_t subFuncId, int64_t index, const std::string& name, const std::string& key,
                   const std::string& classParam) override {
        m_details += std::to_string(subFuncId) + '\t' + std::to_string(index);
        for (int i = 0; i < 3; ++i) m_details += '\t' + name;
        for (int i = 0; i < 3; ++i) m_details += '\t' + key;
        m_details += "\tOrvaHost.Application\t" + classParam + "\t\t1\n";
    }

    // Writes the details gathered by AddDetail.
    void Finish() {
        m_connection.CopyIn(
            "COPY t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, "
            "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FClassParam, FHelpCode, FVisible) FROM "
            "STDIN",
            m_details);
        m_details.clear();
    }

private:
    PgConnection& m_connection;
    std::string m_details;
};

}  // namespace

std::vector<const char*> PgParams::Pointers() const {
    std::vector<const char*> pointers;
    pointers.reserve(m_values.size());
    for (const std::string& value : m_values) pointers.push_back(value.c_str());
    return pointers;
}

PgConnection::PgConnection(const std::string& uri) : m_connection(PQconnectdb(uri.c_str())) {
    if (PQstatus(m_connection) != CONNECTION_OK) Fail(m_connection, "connect");
}

PgConnection::~PgConnection() { PQfinish(m_connection); }

void PgConnection::Exec(const std::string& sql) {
    Result result(m_connection, PQexec(m_connection, sql.c_str()), sql);
}

void PgConnection::Prepare(const std::string& name, const std::string& sql) {
    Result result(m_connection, PQprepare(m_connection, name.c_str(), sql.c_str(), 0, nullptr), sql);
}

std::optional<int64_t> PgConnection::QueryInteger(const std::string& name, const PgParams& params) {
    std::vector<const char*> values = params.Pointers();
    Result result(
        m_connection,
        PQexecPrepared(m_connection, name.c_str(), params.Count(), values.data(), nullptr, nullptr, 0), name);
    return result.FirstInteger();
}

int64_t PgConnection::QueryValue(const std::string& sql, const PgParams& params) {
    std::vector<const char*> values = params.Pointers();
    Result result(
        m_connection,
        PQexecParams(m_connection, sql.c_str(), params.Count(), nullptr, values.data(), nullptr, nullptr, 0),
        sql);
    std::optional<int64_t> value = result.FirstInteger();
    if (!value) Fail(m_connection, sql + ": no value");
    return *value;
}

std::string WithDatabase(const std::string& uri, const std::string& database) {
    size_t scheme = uri.find("://");
    size_t authority = scheme == std::string::npos ? 0 : scheme + 3;
    size_t query = uri.find('?', authority);
    size_t path = uri.find('/', authority);
    if (path == std::string::npos || (query != std::string::npos && path > query)) path = query;
    std::string head = path == std::string::npos ? uri : uri.substr(0, path);
    std::string tail = query == std::string::npos ? std::string() : uri.substr(query);
    return head + "/" + database + tail;
}

ScratchDatabases::ScratchDatabases(std::string adminUri)
    : m_adminUri(std::move(adminUri)),
      m_prefix("orva_bench_" + std::to_string(getpid())),
      m_admin(m_adminUri) {}

ScratchDatabases::~ScratchDatabases() {
    for (const std::string& name : m_created)
        m_admin.Exec("DROP DATABASE IF EXISTS " + Quoted(name) + " WITH (FORCE)");
}

std::string ScratchDatabases::Full(const std::string& name) const { return m_prefix + "_" + name; }

std::string ScratchDatabases::Create(const std::string& name, const std::string& templateName) {
    std::string full = Full(name);
    // FILE_COPY copies the template's files instead of logging every page: a copy of the grown
    // account takes a fraction of a second.
    std::string sql = "CREATE DATABASE " + Quoted(full);
    if (!templateName.empty()) sql += " TEMPLATE " + Quoted(Full(templateName)) + " STRATEGY FILE_COPY";
    m_admin.Exec(sql);
    m_created.push_back(full);
    return WithDatabase(m_adminUri, full);
}

void ScratchDatabases::Drop(const std::string& name) {
    std::string full = Full(name);
    m_admin.Exec("DROP DATABASE " + Quoted(full) + " WITH (FORCE)");
    std::erase(m_created, full);
}

void PgConnection::CopyIn(const std::string& copy, const std::string& data) {
    PGresult* started = PQexec(m_connection, copy.c_str());
    if (PQresultStatus(started) != PGRES_COPY_IN) Fail(m_connection, copy);
    PQclear(started);
    if (PQputCopyData(m_connection, data.data(), static_cast<int>(data.size())) != 1 ||
        PQputCopyEnd(m_connection, nullptr) != 1) {
        Fail(m_connection, copy);
    }
    Result done(m_connection, PQgetResult(m_connection), copy);
    while (PGresult* rest = PQgetResult(m_connection)) PQclear(rest);
}

void GrowServerCatalogue(const std::string& uri, int details) {
    PgConnection connection(uri);
    connection.Exec("BEGIN");
    ServerSink sink(connection);
    GrowCatalogue(sink, details);
    sink.Finish();
    connection.Exec("COMMIT");
    connection.Exec("ANALYZE");
}

CatalogueCounts CountServerCatalogue(const std::string& uri) {
    PgConnection connection(uri);
    auto count = [&](const char* table) {
        return connection.QueryValue(std::string("SELECT count(*) FROM ") + table);
    };
    return {count("t_TopClass"), count("t_SubSystem"), count("t_SubFunc"), count("t_DetailFunc")};
}

}  // namespace orva::bench
