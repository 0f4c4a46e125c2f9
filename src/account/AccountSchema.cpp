#include "account/AccountSchema.h"

#include <cstdio>
#include <filesystem>
#include <span>

#include "account/AccountSql.h"
#include "account/CatalogContract.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"

namespace orva::components {

using namespace automation;

namespace {

[[noreturn]] void RaiseNotAnAccount(const Database& database, const std::string& why) {
    Raise(kNotAnAccount, DatabaseErrorText(database.Name(), "not an account database (" + why + ")"));
}

[[noreturn]] void RaiseForeignApplication(const Database& database, int64_t applicationId) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(applicationId));
    RaiseNotAnAccount(database, std::string("application id 0x") + hex + ", not \"ORVA\"");
}

void CheckNotNewer(const Database& database, int64_t version) {
    if (version > LatestAccountSchemaVersion()) {
        Raise(kNotAnAccount,
              DatabaseErrorText(database.Name(), "schema version " + std::to_string(version) +
                                                     " is newer than this library knows (" +
                                                     std::to_string(LatestAccountSchemaVersion()) + ")"));
    }
}

// What a PostgreSQL database holds in "public": the marker table orva_account and how many other
// tables; with the marker, its rows.
struct ServerState {
    bool marked = false;
    int64_t otherTables = 0;
    int64_t markerRows = 0;
    int64_t applicationId = 0;
    int64_t version = 0;
};

ServerState ReadServerState(Database& database) {
    // Every kind of relation a program may have made (tables, views, foreign and partitioned tables);
    // indexes and sequences belong to a table.
    std::vector<int64_t> tables = database.QueryIntegers(
        "SELECT count(*) FILTER (WHERE c.relname = 'orva_account'), "
        "count(*) FILTER (WHERE c.relname <> 'orva_account') "
        "FROM pg_catalog.pg_class c JOIN pg_catalog.pg_namespace n ON n.oid = c.relnamespace "
        "WHERE n.nspname = 'public' AND c.relkind IN ('r', 'p', 'v', 'm', 'f')");
    ServerState state;
    state.marked = tables.at(0) > 0;
    state.otherTables = tables.at(1);
    if (state.marked) {
        std::vector<int64_t> marker = database.QueryIntegers(
            "SELECT count(*), coalesce(min(application_id), 0), coalesce(max(schema_version), 0) "
            "FROM orva_account");
        state.markerRows = marker.at(0);
        state.applicationId = marker.at(1);
        state.version = marker.at(2);
    }
    return state;
}

void CheckServerOwnership(Database& database) {
    ServerState state = ReadServerState(database);
    if (!state.marked) {
        if (state.otherTables > 0) RaiseNotAnAccount(database, "it holds tables but no orva_account table");
        return;
    }
    if (state.markerRows != 1) {
        RaiseNotAnAccount(database,
                          "orva_account holds " + std::to_string(state.markerRows) + " rows, not one");
    }
    if (state.applicationId != kAccountApplicationId) RaiseForeignApplication(database, state.applicationId);
    CheckNotNewer(database, state.version);
}

// Refuses what no migration may touch: somebody else's database, or a newer schema. The header values
// and the table count are read in one statement, from one snapshot: read one by one, a migration
// committed in between by another connection would make a fresh account look like tables without
// a version.
void CheckOwnership(Database& database) {
    if (database.Dialect() == SqlDialect::Postgres) return CheckServerOwnership(database);
    std::vector<int64_t> state = database.QueryIntegers(
        "SELECT (SELECT application_id FROM pragma_application_id), (SELECT user_version FROM "
        "pragma_user_version), "
        "(SELECT count(*) FROM sqlite_schema)");
    auto applicationId = static_cast<int32_t>(state.at(0));
    auto version = static_cast<int32_t>(state.at(1));
    // Every migrated account carries the id (the first migration writes it): a versioned database
    // without it belongs to another program, however its version reads.
    if ((applicationId != 0 || version != 0) && applicationId != kAccountApplicationId) {
        RaiseForeignApplication(database, applicationId);
    }
    if (version == 0 && state.at(2) > 0) RaiseNotAnAccount(database, "it holds tables but no schema version");
    CheckNotNewer(database, version);
}

// Migration 2 moves name keys into per-language columns. The keys follow the library's own rule
// (CatalogNameKey, CatalogContract.h: Unicode simple upper-casing, then trimming), which SQLite's ASCII-only
// upper() cannot compute, so they are computed here and handed to the file in a temporary table.
void FillNameKeys(Database& database) {
    // The statements below live only inside this call; the connection outlives them.
    DatabaseRef connection(&database, [](Database*) {});
    database.Execute(
        "CREATE TEMP TABLE orva_name_keys (FLevel INTEGER NOT NULL, FID INTEGER NOT NULL, FKey_CHS TEXT NOT "
        "NULL, "
        "FKey_CHT TEXT NOT NULL, FKey_EN TEXT NOT NULL, PRIMARY KEY (FLevel, FID))");
    Statement insert(connection, "INSERT INTO temp.orva_name_keys VALUES (?1, ?2, ?3, ?4, ?5)");
    for (const CatalogLevel& level : kCatalogLevels) {
        std::string select = "SELECT " + ToUtf8(level.idField);
        for (CatalogLanguage language : kCatalogLanguages)
            select += ", " + ToUtf8(LanguageField(level.nameField, language));
        Statement rows(connection, select + " FROM " + ToUtf8(level.table));
        while (rows.Step()) {
            insert.Bind(1, level.number).Bind(2, rows.ColumnInteger(0));
            for (int language = 0; language < 3; ++language) {
                insert.Bind(3 + language, CatalogNameKey(rows.ColumnText(1 + language)));
            }
            insert.Step();
            insert.Reset();
        }
    }
}

// C++ steps that a migration needs before its file runs, in the same transaction.
void PrepareMigration(Database& database, int32_t version) {
    if (version == 2 && database.Dialect() == SqlDialect::Sqlite) FillNameKeys(database);
}

// The migrations of the database's dialect. A server account starts at the version of its first
// file, which creates that version's layout at once.
std::span<const AccountMigration> MigrationsFor(const Database& database) {
    return database.Dialect() == SqlDialect::Postgres ? PostgresAccountMigrations() : AccountMigrations();
}

void ApplyMigration(Database& database, const AccountMigration& migration) {
    Transaction transaction(database);
    // SQLite's BEGIN IMMEDIATE is the lock already; a server needs one of its own, which no row can
    // be before the first migration has made the tables.
    if (database.Dialect() == SqlDialect::Postgres) {
        database.Execute("SELECT pg_advisory_xact_lock(" + std::to_string(kAccountApplicationId) + ")");
    }
    // Another process may have applied it while this one waited for the lock.
    CheckOwnership(database);
    int32_t version = AccountSchemaVersion(database);
    if (version >= migration.version) return;
    bool first = version == 0 && migration.version == MigrationsFor(database).front().version;
    if (!first && version != migration.version - 1) {
        RaiseNotAnAccount(database, "schema version " + std::to_string(version) + " cannot take " +
                                        std::string(migration.name));
    }
    try {
        PrepareMigration(database, migration.version);
        database.Execute(migration.sql);
    } catch (const AutomationError& error) {
        RaiseWithDescription(error, error.Description() + u" (" + FromUtf8(migration.name) + u")");
    }
    if (AccountSchemaVersion(database) != migration.version) {
        RaiseNotAnAccount(database, std::string(migration.name) + " did not set its schema version");
    }
    transaction.Commit();
}

}  // namespace

int32_t LatestAccountSchemaVersion() { return AccountMigrations().back().version; }

int32_t AccountSchemaVersion(Database& database) {
    if (database.Dialect() == SqlDialect::Postgres) {
        return static_cast<int32_t>(ReadServerState(database).version);
    }
    return static_cast<int32_t>(database.QueryInteger("PRAGMA user_version"));
}

void MigrateAccount(Database& database) { MigrateAccount(database, LatestAccountSchemaVersion()); }

void MigrateAccount(Database& database, int32_t targetVersion) {
    CheckOwnership(database);
    if (AccountSchemaVersion(database) >= targetVersion) return;
    for (const AccountMigration& migration : MigrationsFor(database)) {
        if (migration.version > targetVersion) break;
        if (AccountSchemaVersion(database) < migration.version) ApplyMigration(database, migration);
    }
}

std::string BackUpAccount(SqliteDatabase& database) {
    int32_t version = AccountSchemaVersion(database);
    std::string stem = database.Name() + ".v" + std::to_string(version) + ".bak";
    DatabaseRef connection(&database, [](SqliteDatabase*) {});
    // An older copy is never overwritten; another process that migrates the same account at the same
    // moment may take a name first, hence the retry on the next one.
    for (int attempt = 1;; ++attempt) {
        std::string target = attempt == 1 ? stem : stem + "." + std::to_string(attempt);
        std::error_code error;
        if (std::filesystem::exists(target, error) || error) {
            if (attempt < 100) continue;
        }
        try {
            Statement copy(connection, "VACUUM INTO ?1");
            copy.Bind(1, FromUtf8(target));
            copy.Step();
        } catch (const AutomationError& failure) {
            if (attempt < 100 && std::filesystem::exists(target, error)) continue;
            RaiseWithDescription(failure, failure.Description() +
                                              u" (the copy made before migrating the account to "
                                              u"schema version " +
                                              Int32ToText(LatestAccountSchemaVersion()) +
                                              u" could not be written to " + FromUtf8(target) +
                                              u"; the account was left as it is)");
        }
        std::fprintf(stderr, "orva: %s: copied to %s before migrating it from schema version %d to %d\n",
                     database.Name().c_str(), target.c_str(), version, LatestAccountSchemaVersion());
        return target;
    }
}

void PrepareAccount(Database& database) {
    CheckOwnership(database);
    if (AccountSchemaVersion(database) == 0) RaiseNotAnAccount(database, "it has no account schema");
    if (database.Dialect() == SqlDialect::Postgres) return MigrateAccount(database);
    auto& file = static_cast<SqliteDatabase&>(database);
    if (AccountSchemaVersion(database) < LatestAccountSchemaVersion() && !database.IsReadOnly()) {
        BackUpAccount(file);
    }
    MigrateAccount(database);
    // Accounts are created in WAL mode; a file made by other means is switched once, so that readers
    // never block a deployment. A read-only connection cannot switch and reads as it is.
    if (!database.IsReadOnly()) database.Execute("PRAGMA journal_mode = WAL");
}

}  // namespace orva::components
