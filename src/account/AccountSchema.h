#pragma once
// The account database's schema: which database is an account, and bringing one to the schema
// version this library knows. The migrations are data/sql/schema/NNN_*.sql for SQLite and
// data/sql/postgres/NNN_*.sql for PostgreSQL, compiled in (AccountSql.h); a version has the same
// number in both.
//
// A SQLite account carries application_id kAccountApplicationId and user_version = the number of
// the last migration applied. Each migration runs in its own BEGIN IMMEDIATE transaction that reads
// user_version again first, so two processes opening one old account at once apply it once: the
// second waits for the first one's write lock, then finds the new version and skips the file.
//
// A PostgreSQL account is one database; its tables live in the schema "public", and the table
// orva_account (application_id, schema_version), one row, marks it and holds the version. There a
// migration runs in its own transaction after pg_advisory_xact_lock(kAccountApplicationId) and
// reads the version again under that lock, with the same effect: two processes apply it once.
// Server accounts are not copied aside before a migration (backing up a server is its
// administrator's business, with the server's own tools).

#include <cstdint>
#include <string>

#include "storage/Database.h"
#include "storage/SqliteDatabase.h"

namespace orva::components {

// The application_id that schema/001_initial.sql writes into the database header: 0x4F525641, "ORVA".
inline constexpr int32_t kAccountApplicationId = 0x4F525641;

// Number of an error about a file that is not an account of this library (automation's "bad file
// format").
inline constexpr int32_t kNotAnAccount = 321;

// The schema version the embedded migrations lead to.
int32_t LatestAccountSchemaVersion();

// The schema version of an open database (SQLite: user_version; PostgreSQL: orva_account's, 0 when
// the database has no such table).
int32_t AccountSchemaVersion(Database& database);

// Brings a database to the latest version: an empty database (no tables, version 0) becomes an
// empty account, an older account is migrated, a current one is left alone. Raises kNotAnAccount,
// naming the database, for a database of another application (a foreign application_id, a schema
// version without the account's application_id, or tables without a schema version; on PostgreSQL
// tables in "public" without orva_account, or an orva_account not holding one row of this
// application) and for a version newer
// than this library knows, before anything in the file changes; SQLite's failures as
// kDatabaseError. A failed migration leaves the database at the version before it.
// With a target version, migrations stop there (creating an account fills in the demo data at the
// version it was written for, then migrates on).
void MigrateAccount(Database& database);
void MigrateAccount(Database& database, int32_t targetVersion);

// The check a service makes before it reads or writes: like MigrateAccount, but a database that is
// not an account yet (version 0) is refused with kNotAnAccount, since only creating an account
// (AccountCreation.h) may turn a database into one. Then puts a writable SQLite account into WAL
// mode (only a file that passed the checks: another program's database keeps its journal mode).
// An existing SQLite account of an older version is first copied aside (BackUpAccount), and is not
// migrated when the copy cannot be made.
void PrepareAccount(Database& database);

// Copies an account, consistently, to "<file>.v<version>.bak" beside it ("<file>.v<version>.bak.2" and
// so on when that exists: no copy is overwritten), says so on stderr and returns the copy's path.
// Raises kDatabaseError naming the copy when it cannot be written. Must not run inside a transaction.
std::string BackUpAccount(SqliteDatabase& database);

}  // namespace orva::components
