#include "DeploymentFloor.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "storage/SqliteDatabase.h"

namespace orva::bench {

namespace {

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "DeploymentFloor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "no connection");
    std::abort();
}

// One prepared statement, reset after every use.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v3(db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_statement, nullptr) != SQLITE_OK) {
            Fail(db, sql);
        }
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    // The text must stay alive until the statement has run.
    Statement& Bind(int index, const std::string& text) {
        sqlite3_bind_text(m_statement, index, text.data(), static_cast<int>(text.size()), SQLITE_STATIC);
        return *this;
    }
    // The first column of the first row, or nothing.
    std::optional<int64_t> QueryInteger() {
        int result = sqlite3_step(m_statement);
        std::optional<int64_t> value;
        if (result == SQLITE_ROW) {
            value = sqlite3_column_int64(m_statement, 0);
        } else if (result != SQLITE_DONE) {
            Fail(m_db, sqlite3_sql(m_statement));
        }
        sqlite3_reset(m_statement);
        return value;
    }
    void Run() {
        if (sqlite3_step(m_statement) != SQLITE_DONE) Fail(m_db, sqlite3_sql(m_statement));
        sqlite3_reset(m_statement);
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

}  // namespace

class FloorDeployer::Statements {
public:
    explicit Statements(sqlite3* db)
        : m_db(db),
          m_begin(db, "BEGIN IMMEDIATE"),
          m_commit(db, "COMMIT"),
          m_findTop(db, "SELECT FTopClassID FROM t_TopClass WHERE FNameKey_CHS = ?1"),
          m_nextTop(db, "SELECT FIndex FROM t_TopClass ORDER BY FIndex DESC LIMIT 1"),
          m_insertTop(
              db,
              "INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, "
              "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FVisible) VALUES (?1, ?2, ?2, ?2, ?3, ?3, ?3, 1)"),
          m_findSub(db, "SELECT FSubSysID FROM t_SubSystem WHERE FTopClassID = ?1 AND FNameKey_CHS = ?2"),
          m_nextSub(db, "SELECT FIndex FROM t_SubSystem WHERE FTopClassID = ?1 ORDER BY FIndex DESC LIMIT 1"),
          m_insertSub(
              db,
              "INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey_CHS, "
              "FNameKey_CHT, FNameKey_EN, FClassName, FSubID, FVisible) VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?4, "
              "?4, 'OrvaHost.Application', "
              "'orvahost', 1)"),
          m_findFunc(db, "SELECT FSubFuncID FROM t_SubFunc WHERE FSubSysID = ?1 AND FNameKey_CHS = ?2"),
          m_nextFunc(db, "SELECT FIndex FROM t_SubFunc WHERE FSubSysID = ?1 ORDER BY FIndex DESC LIMIT 1"),
          m_insertFunc(
              db,
              "INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, "
              "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FVisible) VALUES (?1, ?2, ?3, ?3, ?3, "
              "?4, ?4, ?4, 'OrvaHost.Application', 1)"),
          m_findDetail(
              db,
              "SELECT 1 FROM t_DetailFunc WHERE FSubFuncID = ?1 AND FNameKey_CHS = ?2 AND FClassParam = ?3"),
          m_nextDetail(db,
                       "SELECT FIndex FROM t_DetailFunc WHERE FSubFuncID = ?1 ORDER BY FIndex DESC LIMIT 1"),
          m_insertDetail(
              db,
              "INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, "
              "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FClassParam, FHelpCode, FVisible) "
              "VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?4, ?4, ?5, ?6, '', 1)") {}

    void Deploy(const WorkloadEntry& entry, FloorResult& result) {
        std::string topKey = AsciiNameKey(entry.topClass);
        std::optional<int64_t> topId = m_findTop.Bind(1, topKey).QueryInteger();
        if (!topId) {
            int64_t index = NextIndex(m_nextTop);
            topId = Create(m_insertTop.Bind(1, index).Bind(2, entry.topClass).Bind(3, topKey));
            ++result.nodesCreated;
        }

        std::string subKey = AsciiNameKey(entry.subSystem);
        std::optional<int64_t> subId = m_findSub.Bind(1, *topId).Bind(2, subKey).QueryInteger();
        if (!subId) {
            int64_t index = NextIndex(m_nextSub.Bind(1, *topId));
            subId =
                Create(m_insertSub.Bind(1, *topId).Bind(2, index).Bind(3, entry.subSystem).Bind(4, subKey));
            ++result.nodesCreated;
        }

        std::string funcKey = AsciiNameKey(entry.subFunc);
        std::optional<int64_t> funcId = m_findFunc.Bind(1, *subId).Bind(2, funcKey).QueryInteger();
        if (!funcId) {
            int64_t index = NextIndex(m_nextFunc.Bind(1, *subId));
            funcId =
                Create(m_insertFunc.Bind(1, *subId).Bind(2, index).Bind(3, entry.subFunc).Bind(4, funcKey));
            ++result.nodesCreated;
        }

        std::string detailKey = AsciiNameKey(entry.funcName);
        if (m_findDetail.Bind(1, *funcId).Bind(2, detailKey).Bind(3, entry.classParam).QueryInteger()) {
            ++result.detailsPresent;
            return;
        }
        int64_t index = NextIndex(m_nextDetail.Bind(1, *funcId));
        m_insertDetail.Bind(1, *funcId).Bind(2, index).Bind(3, entry.funcName).Bind(4, detailKey);
        m_insertDetail.Bind(5, m_className).Bind(6, entry.classParam);
        Create(m_insertDetail);
        ++result.detailsCreated;
    }

private:
    static int64_t NextIndex(Statement& last) { return last.QueryInteger().value_or(0) + 1; }

    int64_t Create(Statement& insert) {
        m_begin.Run();
        insert.Run();
        int64_t id = sqlite3_last_insert_rowid(m_db);
        m_commit.Run();
        return id;
    }

    sqlite3* m_db;
    const std::string m_className = "OrvaHost.Application";
    Statement m_begin, m_commit;
    Statement m_findTop, m_nextTop, m_insertTop;
    Statement m_findSub, m_nextSub, m_insertSub;
    Statement m_findFunc, m_nextFunc, m_insertFunc;
    Statement m_findDetail, m_nextDetail, m_insertDetail;
};

FloorDeployer::FloorDeployer(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        Fail(m_db, path.c_str());
    sqlite3_busy_timeout(m_db, static_cast<int>(components::kBusyTimeout.count()));
    // The account connections' settings (SqliteDatabase::Open, PrepareAccount).
    const char* setup = "PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL; PRAGMA journal_mode = WAL";
    if (sqlite3_exec(m_db, setup, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(m_db, setup);
    m_statements = std::make_unique<Statements>(m_db);
}

FloorDeployer::~FloorDeployer() {
    m_statements.reset();
    sqlite3_close(m_db);
}

FloorResult FloorDeployer::Deploy(const std::vector<WorkloadEntry>& entries) {
    FloorResult result;
    for (const WorkloadEntry& entry : entries) m_statements->Deploy(entry, result);
    return result;
}

}  // namespace orva::bench
