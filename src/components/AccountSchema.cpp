#include "components/AccountSchema.h"

#include <cstdio>

#include "automation/AutomationError.h"
#include "components/AccountSql.h"
#include "components/SqliteTransaction.h"

namespace orva::components {

using namespace automation;

namespace {

[[noreturn]] void RaiseNotAnAccount(const SqliteDatabase& database, const std::string& why) {
    Raise(kNotAnAccount, DatabaseErrorText(database.FileName(), "not an account database (" + why + ")"));
}

// Refuses what no migration may touch: somebody else's database, or a newer schema. The header values
// and the table count are read in one statement, from one snapshot: read one by one, a migration
// committed in between by another connection would make a fresh account look like tables without
// a version.
void CheckOwnership(SqliteDatabase& database) {
    std::vector<int64_t> state = database.QueryIntegers(
        "SELECT (SELECT application_id FROM pragma_application_id), (SELECT user_version FROM "
        "pragma_user_version), "
        "(SELECT count(*) FROM sqlite_schema)");
    auto applicationId = static_cast<int32_t>(state.at(0));
    auto version = static_cast<int32_t>(state.at(1));
    // Every migrated account carries the id (the first migration writes it): a versioned database
    // without it belongs to another program, however its version reads.
    if ((applicationId != 0 || version != 0) && applicationId != kAccountApplicationId) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%08X", static_cast<uint32_t>(applicationId));
        RaiseNotAnAccount(database, std::string("application id 0x") + hex + ", not \"ORVA\"");
    }
    if (version == 0 && state.at(2) > 0) RaiseNotAnAccount(database, "it holds tables but no schema version");
    if (version > LatestAccountSchemaVersion()) {
        Raise(kNotAnAccount,
              DatabaseErrorText(database.FileName(), "schema version " + std::to_string(version) +
                                                         " is newer than this library knows (" +
                                                         std::to_string(LatestAccountSchemaVersion()) + ")"));
    }
}

void ApplyMigration(SqliteDatabase& database, const AccountMigration& migration) {
    SqliteTransaction transaction(database);
    // Another process may have applied it while this one waited for the lock.
    CheckOwnership(database);
    int32_t version = AccountSchemaVersion(database);
    if (version >= migration.version) return;
    if (version != migration.version - 1) {
        RaiseNotAnAccount(database, "schema version " + std::to_string(version) + " cannot take " +
                                        std::string(migration.name));
    }
    try {
        database.Execute(migration.sql);
    } catch (const AutomationError& error) {
        Raise(error.Number(), error.Description() + u" (" + FromUtf8(migration.name) + u")");
    }
    if (AccountSchemaVersion(database) != migration.version) {
        RaiseNotAnAccount(database, std::string(migration.name) + " did not set its schema version");
    }
    transaction.Commit();
}

}  // namespace

int32_t LatestAccountSchemaVersion() { return AccountMigrations().back().version; }

int32_t AccountSchemaVersion(SqliteDatabase& database) {
    return static_cast<int32_t>(database.QueryInteger("PRAGMA user_version"));
}

void MigrateAccount(SqliteDatabase& database) { MigrateAccount(database, LatestAccountSchemaVersion()); }

void MigrateAccount(SqliteDatabase& database, int32_t targetVersion) {
    CheckOwnership(database);
    if (AccountSchemaVersion(database) >= targetVersion) return;
    for (const AccountMigration& migration : AccountMigrations()) {
        if (migration.version > targetVersion) break;
        if (AccountSchemaVersion(database) < migration.version) ApplyMigration(database, migration);
    }
}

void PrepareAccount(SqliteDatabase& database) {
    CheckOwnership(database);
    if (AccountSchemaVersion(database) == 0) RaiseNotAnAccount(database, "it has no account schema");
    MigrateAccount(database);
    // Accounts are created in WAL mode; a file made by other means is switched once, so that readers
    // never block a deployment. A read-only connection cannot switch and reads as it is.
    if (!database.IsReadOnly()) database.Execute("PRAGMA journal_mode = WAL");
}

}  // namespace orva::components
