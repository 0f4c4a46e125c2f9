// The SQLite functions the storage layer calls, forwarded to libsqlite3 opened on first use rather
// than linked. SQLite binds its 1,600 symbols when it is loaded; a linked SQLite made every program
// start pay for that, also the commands that open no account (show, pack, format, --help).
//
// The callers keep calling sqlite3_* as declared in <sqlite3.h>: these definitions stand in for the
// library's. The version script keeps them local to libOrvaClassDeploy, so a host that links SQLite
// itself keeps its own, and both reach the same loaded libsqlite3.so.0.

#include <sqlite3.h>

#include "automation/OnDemandLibrary.h"

namespace {

orva::automation::OnDemandLibrary& Sqlite() {
    static orva::automation::OnDemandLibrary library("libsqlite3.so.0", "libsqlite3-0", "the SQLite library");
    return library;
}

}  // namespace

// Defines sqlite3_<name> with the declared parameters, calling the loaded library's function of that
// name (looked up once). Raises AutomationError 53, naming the library and its package, when
// libsqlite3 cannot be loaded; no SQLite handle exists before the first open, so the first call to
// fail is always an open.
#define ORVA_SQLITE_FORWARD(result, name, parameters, arguments)                                \
    extern "C" result sqlite3_##name parameters {                                               \
        static const auto function = Sqlite().Function<result(*) parameters>("sqlite3_" #name); \
        return function arguments;                                                              \
    }

ORVA_SQLITE_FORWARD(int, open_v2, (const char* file, sqlite3** db, int flags, const char* vfs),
                    (file, db, flags, vfs))
ORVA_SQLITE_FORWARD(int, close_v2, (sqlite3 * db), (db))
ORVA_SQLITE_FORWARD(int, busy_timeout, (sqlite3 * db, int ms), (db, ms))
ORVA_SQLITE_FORWARD(int, extended_result_codes, (sqlite3 * db, int on), (db, on))
ORVA_SQLITE_FORWARD(int, db_readonly, (sqlite3 * db, const char* name), (db, name))
ORVA_SQLITE_FORWARD(int, get_autocommit, (sqlite3 * db), (db))
ORVA_SQLITE_FORWARD(int, exec,
                    (sqlite3 * db, const char* sql, int (*callback)(void*, int, char**, char**),
                     void* context, char** error),
                    (db, sql, callback, context, error))
ORVA_SQLITE_FORWARD(int, errcode, (sqlite3 * db), (db))
ORVA_SQLITE_FORWARD(int, extended_errcode, (sqlite3 * db), (db))
ORVA_SQLITE_FORWARD(const char*, errmsg, (sqlite3 * db), (db))
ORVA_SQLITE_FORWARD(const char*, errstr, (int code), (code))
ORVA_SQLITE_FORWARD(void, free, (void* memory), (memory))

ORVA_SQLITE_FORWARD(int, prepare_v2,
                    (sqlite3 * db, const char* sql, int bytes, sqlite3_stmt** statement, const char** tail),
                    (db, sql, bytes, statement, tail))
ORVA_SQLITE_FORWARD(int, prepare_v3,
                    (sqlite3 * db, const char* sql, int bytes, unsigned int flags, sqlite3_stmt** statement,
                     const char** tail),
                    (db, sql, bytes, flags, statement, tail))
ORVA_SQLITE_FORWARD(int, bind_int64, (sqlite3_stmt * statement, int index, sqlite3_int64 value),
                    (statement, index, value))
ORVA_SQLITE_FORWARD(int, bind_null, (sqlite3_stmt * statement, int index), (statement, index))
ORVA_SQLITE_FORWARD(int, bind_text,
                    (sqlite3_stmt * statement, int index, const char* text, int bytes,
                     void (*destructor)(void*)),
                    (statement, index, text, bytes, destructor))
ORVA_SQLITE_FORWARD(int, clear_bindings, (sqlite3_stmt * statement), (statement))
ORVA_SQLITE_FORWARD(int, step, (sqlite3_stmt * statement), (statement))
ORVA_SQLITE_FORWARD(int, reset, (sqlite3_stmt * statement), (statement))
ORVA_SQLITE_FORWARD(int, finalize, (sqlite3_stmt * statement), (statement))
ORVA_SQLITE_FORWARD(int, column_count, (sqlite3_stmt * statement), (statement))
ORVA_SQLITE_FORWARD(int, column_type, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(const char*, column_name, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(sqlite3_int64, column_int64, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(double, column_double, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(const unsigned char*, column_text, (sqlite3_stmt * statement, int column),
                    (statement, column))
ORVA_SQLITE_FORWARD(const void*, column_text16, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(int, column_bytes, (sqlite3_stmt * statement, int column), (statement, column))
ORVA_SQLITE_FORWARD(int, column_bytes16, (sqlite3_stmt * statement, int column), (statement, column))

ORVA_SQLITE_FORWARD(sqlite3_backup*, backup_init,
                    (sqlite3 * target, const char* targetName, sqlite3* source, const char* sourceName),
                    (target, targetName, source, sourceName))
ORVA_SQLITE_FORWARD(int, backup_step, (sqlite3_backup * backup, int pages), (backup, pages))
ORVA_SQLITE_FORWARD(int, backup_finish, (sqlite3_backup * backup), (backup))
