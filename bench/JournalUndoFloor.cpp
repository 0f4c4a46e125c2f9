#include "JournalUndoFloor.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace orva::bench {

namespace {

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "JournalUndoFloor: %s: %s\n", what, sqlite3_errmsg(db));
    std::abort();
}

class Statement {
public:
    Statement(sqlite3* db, const char* sql) : m_db(db) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK) Fail(db, sql);
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    Statement& Bind(int index, int64_t value) {
        sqlite3_bind_int64(m_statement, index, value);
        return *this;
    }
    Statement& Bind(int index, const char* text) {
        sqlite3_bind_text(m_statement, index, text, -1, SQLITE_STATIC);
        return *this;
    }
    bool Step() {
        int result = sqlite3_step(m_statement);
        if (result != SQLITE_ROW && result != SQLITE_DONE) Fail(m_db, sqlite3_sql(m_statement));
        return result == SQLITE_ROW;
    }
    // Steps to the end and makes the statement ready to run again.
    void Finish() {
        while (Step()) {
        }
        sqlite3_reset(m_statement);
    }
    int64_t Integer(int column) const { return sqlite3_column_int64(m_statement, column); }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

struct Level {
    const char* select;
    const char* children;  // nullptr for function details
    const char* remove;
};

constexpr Level kLevels[] = {
    {"SELECT 0, FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, NULL, NULL, NULL, NULL, "
     "FVisible "
     "FROM t_TopClass WHERE FTopClassID = ?1",
     "SELECT FSubSysID, FName_CHS FROM t_SubSystem WHERE FTopClassID = ?1 ORDER BY FSubSysID",
     "DELETE FROM t_TopClass WHERE FTopClassID = ?1"},
    {"SELECT FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, FSubID, NULL, NULL, FVisible "
     "FROM "
     "t_SubSystem WHERE FSubSysID = ?1",
     "SELECT FSubFuncID, FFuncName_CHS FROM t_SubFunc WHERE FSubSysID = ?1 ORDER BY FSubFuncID",
     "DELETE FROM t_SubSystem WHERE FSubSysID = ?1"},
    {"SELECT FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FClassName, NULL, NULL, NULL, "
     "FVisible "
     "FROM t_SubFunc WHERE FSubFuncID = ?1",
     "SELECT FDetailFuncID, FFuncName_CHS FROM t_DetailFunc WHERE FSubFuncID = ?1 ORDER BY FDetailFuncID",
     "DELETE FROM t_SubFunc WHERE FSubFuncID = ?1"},
    {"SELECT FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FClassName, NULL, FClassParam, "
     "FHelpCode, FVisible FROM t_DetailFunc WHERE FDetailFuncID = ?1",
     nullptr, "DELETE FROM t_DetailFunc WHERE FDetailFuncID = ?1"},
};

}  // namespace

FloorUndoer::FloorUndoer(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) Fail(m_db, "open");
    sqlite3_busy_timeout(m_db, 30000);
    sqlite3_exec(m_db, "PRAGMA foreign_keys = ON; PRAGMA synchronous = NORMAL", nullptr, nullptr, nullptr);
}

FloorUndoer::~FloorUndoer() { sqlite3_close(m_db); }

int FloorUndoer::Undo(int runId) {
    sqlite3* db = m_db;
    int removed = 0;
    {
        Statement(db, "BEGIN IMMEDIATE").Finish();
        Statement origin(db, "SELECT FOrigin FROM t_DeployRun WHERE FRunID = ?1");
        origin.Bind(1, runId).Finish();
        Statement own(
            db,
            "INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FPacketFile, "
            "FPacketSha256, FLanguage, FUndoOfRunID) VALUES ('2026-12-07T09:30:00Z', 'undo', 'u', 'h', "
            "'p', NULL, NULL, 'CHS', ?1) RETURNING FRunID");
        own.Bind(1, runId).Step();
        int64_t ownRun = own.Integer(0);
        own.Finish();
        Statement undone(db, "SELECT min(FRunID) FROM t_DeployRun WHERE FUndoOfRunID = ?1 AND FResult = 1");
        undone.Bind(1, runId).Finish();
        struct Node {
            int level;
            int64_t id;
        };
        std::vector<Node> nodes;
        Statement journal(
            db,
            "SELECT FLevel, FNodeID, FParentID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, "
            "FSubID, FClassParam, FHelpCode, FVisible FROM t_DeployRunNode WHERE FEntryID BETWEEN "
            "CAST(?1 AS integer) * 4294967296 + 1 AND CAST(?1 AS integer) * 4294967296 + 4294967295 "
            "ORDER BY FLevel, FNodeID");
        journal.Bind(1, runId);
        while (journal.Step()) nodes.push_back({static_cast<int>(journal.Integer(0)), journal.Integer(1)});
        journal.Finish();
        std::vector<std::unique_ptr<Statement>> selects, children, removes;
        for (const Level& level : kLevels) {
            selects.push_back(std::make_unique<Statement>(db, level.select));
            children.push_back(level.children ? std::make_unique<Statement>(db, level.children) : nullptr);
            removes.push_back(std::make_unique<Statement>(db, level.remove));
        }
        for (const Node& node : nodes) {
            selects[static_cast<size_t>(node.level - 1)]->Bind(1, node.id).Finish();
            if (auto& child = children[static_cast<size_t>(node.level - 1)]) child->Bind(1, node.id).Finish();
        }
        Statement line(db, "INSERT INTO t_DeployRunMessage (FRunID, FLine, FText) VALUES (?1, ?2, ?3)");
        for (auto node = nodes.rbegin(); node != nodes.rend(); ++node) {
            removes[static_cast<size_t>(node->level - 1)]->Bind(1, node->id).Finish();
            line.Bind(1, ownRun).Bind(2, ++removed).Bind(3, "removed").Finish();
        }
        Statement finish(
            db, "UPDATE t_DeployRun SET FFinished = '2026-12-07T09:30:01Z', FResult = 1 WHERE FRunID = ?1");
        finish.Bind(1, ownRun).Finish();
        Statement(db, "COMMIT").Finish();
    }
    return removed;
}

}  // namespace orva::bench
