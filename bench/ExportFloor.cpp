#include "ExportFloor.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

#include "account/CatalogContract.h"
#include "catalog/CatalogSql.h"

namespace orva::bench {

namespace {

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "ExportFloor: %s: %s\n", what, db ? sqlite3_errmsg(db) : "no connection");
    std::abort();
}

sqlite3_stmt* Prepare(sqlite3* db, const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v3(db, sql.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK)
        Fail(db, sql.c_str());
    return statement;
}

// Steps through the rows of statement for parent, reading every column; returns the first column of
// every row (the node's identifier).
std::vector<int64_t> Rows(sqlite3* db, sqlite3_stmt* statement, int64_t parent, bool bindParent) {
    if (bindParent) sqlite3_bind_int64(statement, 1, parent);
    std::vector<int64_t> ids;
    int result;
    int64_t bytes = 0;
    while ((result = sqlite3_step(statement)) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(statement, 0));
        for (int column = 1; column < sqlite3_column_count(statement); ++column) {
            if (sqlite3_column_type(statement, column) == SQLITE_TEXT) {
                bytes += sqlite3_column_bytes(statement, column);
                if (!sqlite3_column_text(statement, column)) Fail(db, "text");
            } else {
                bytes += sqlite3_column_int64(statement, column);
            }
        }
    }
    if (result != SQLITE_DONE) Fail(db, sqlite3_sql(statement));
    sqlite3_reset(statement);
    if (bytes < 0) std::abort();  // keeps the reads
    return ids;
}

}  // namespace

int64_t ReadBranchesFloor(const std::string& path, const std::vector<int64_t>& topClassIds) {
    using namespace components;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) Fail(db, "open");
    sqlite3_exec(db, "PRAGMA journal_mode=WAL; PRAGMA foreign_keys=ON; PRAGMA busy_timeout=5000", nullptr,
                 nullptr, nullptr);
    sqlite3_stmt* lookUp = Prepare(db, "SELECT 0, FVisible FROM t_TopClass WHERE FTopClassID = ?1");
    std::vector<sqlite3_stmt*> lists;
    for (const CatalogLevel& level : kCatalogLevels)
        lists.push_back(Prepare(db, catalog_sql::ListChildren(level, CatalogLanguage::CHS)));

    for (int64_t id : topClassIds) Rows(db, lookUp, id, true);
    int64_t details = 0;
    for (int64_t top : Rows(db, lists[0], 0, false)) {
        bool chosen = false;
        for (int64_t id : topClassIds) chosen = chosen || id == top;
        if (!chosen) continue;
        for (int64_t sub : Rows(db, lists[1], top, true)) {
            for (int64_t func : Rows(db, lists[2], sub, true))
                details += static_cast<int64_t>(Rows(db, lists[3], func, true).size());
        }
    }
    sqlite3_finalize(lookUp);
    for (sqlite3_stmt* statement : lists) sqlite3_finalize(statement);
    sqlite3_close(db);
    return details;
}

}  // namespace orva::bench
