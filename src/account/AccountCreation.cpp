#include "account/AccountCreation.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "account/AccountConnections.h"
#include "account/AccountSchema.h"
#include "account/AccountSql.h"
#include "account/CatalogContract.h"
#include "account/DeployJournal.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "storage/ServerDatabase.h"
#include "storage/SqliteDatabase.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"

namespace orva::components {

using namespace automation;
namespace fs = std::filesystem;

namespace {

// The files SQLite keeps beside a database.
constexpr const char* kCompanionSuffixes[] = {"-wal", "-shm", "-journal"};

void RemoveCompanions(const std::string& fileName) {
    for (const char* suffix : kCompanionSuffixes) {
        std::string companion = fileName + suffix;
        if (unlink(companion.c_str()) == 0 || errno == ENOENT) continue;
        int error = errno;
        Text shown = DatabaseErrorText(companion, std::strerror(error));
        Raise(FileErrorNumber(error, shown.substr(0, shown.rfind(u": "))), shown);
    }
}

// True when fileName has a companion with content: a journal that was not folded into the file.
bool HasJournal(const std::string& fileName) {
    for (const char* suffix : {"-wal", "-journal"}) {
        struct stat status {};
        if (stat((fileName + suffix).c_str(), &status) == 0 && status.st_size > 0) return true;
    }
    return false;
}

// Records the demo suite's nodes as made by one "init" run. The file is still a temporary that
// appears only when whole, so the nodes and their journal rows are published together.
void JournalDemo(Database& database) {
    Transaction transaction(database);
    JournalWholeCatalogue(database, u"CHS");
    transaction.Commit();
}

// Builds with a rollback journal: in WAL mode the last commits would live in the "-wal" until a
// checkpoint, and a checkpoint that fails (a full disk) is not reported by closing. Nothing is synced
// while building: a crash leaves a temporary that the next save removes; the file is synced once,
// when it is complete.
void Build(const std::string& fileName, bool demo) {
    auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadWrite);
    database->Execute("PRAGMA journal_mode = DELETE; PRAGMA synchronous = OFF");
    if (demo) {
        MigrateAccount(*database, kDemoSchemaVersion);
        Transaction transaction(*database);
        database->Execute(DemoAccountSql());
        transaction.Commit();
    }
    MigrateAccount(*database);
    if (demo) JournalDemo(*database);
    // Only the header changes, through the rollback journal; the "-wal" stays empty.
    database->Execute("PRAGMA journal_mode = WAL");
}

// Checks the closed file on a connection of its own, so that only what reached the file counts.
void Verify(const std::string& fileName) {
    auto fail = [&](const std::string& why) {
        Raise(kDatabaseError, DatabaseErrorText(fileName, "the new account failed its check (" + why + ")"));
    };
    if (HasJournal(fileName)) fail("a journal was left behind");
    auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadWrite);
    std::vector<int64_t> state = database->QueryIntegers(
        "SELECT (SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'), "
        "(SELECT user_version FROM pragma_user_version), (SELECT application_id FROM pragma_application_id), "
        "(SELECT count(*) FROM pragma_journal_mode WHERE journal_mode = 'wal')");
    if (state.size() != 4 || state[0] != 0) fail("integrity check");
    if (state[1] != LatestAccountSchemaVersion()) fail("schema version " + std::to_string(state[1]));
    if (state[2] != kAccountApplicationId) fail("application id");
    if (state[3] != 1) fail("journal mode");
}

// SQLite's messages name the temporary file; the caller knows only the account's name.
[[noreturn]] void RaiseNamingAccount(const AutomationError& error, const std::string& temporary,
                                     const Text& account) {
    Text description = error.Description();
    Text shownTemporary = DatabaseErrorText(temporary, "");
    shownTemporary.resize(shownTemporary.size() - 2);  // without ": "
    for (size_t at = description.find(shownTemporary); at != Text::npos;
         at = description.find(shownTemporary, at + account.size())) {
        description.replace(at, shownTemporary.size(), account);
    }
    RaiseWithDescription(error, description);
}

// Every table of an account, parents before their children.
constexpr const char* kAccountTables[] = {
    "t_TopClass",   "t_SubSystem", "t_SubFunc",   "t_DetailFunc",       "t_BizSubSystem", "t_ClassType",
    "t_BillAction", "t_Report",    "t_DeployRun", "t_DeployRunMessage", "t_DeployRunNode"};

// The demo account, built as a file's would be, in memory.
std::unique_ptr<SqliteDatabase> BuildDemoAccount() {
    auto database = SqliteDatabase::Open(":memory:", SqliteDatabase::OpenMode::Create);
    MigrateAccount(*database, kDemoSchemaVersion);
    {
        Transaction transaction(*database);
        database->Execute(DemoAccountSql());
        transaction.Commit();
    }
    MigrateAccount(*database);
    // Copied with the catalogue, so the server account's demo nodes are journaled in the transaction
    // that loads them.
    JournalDemo(*database);
    // A table the copy does not know would be left behind without a word.
    int64_t tables = database->QueryInteger(
        "SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'");
    if (tables != static_cast<int64_t>(std::size(kAccountTables))) {
        Raise(kDatabaseError,
              DatabaseErrorText("demo account", "it has " + std::to_string(tables) +
                                                    " tables, the copy knows " +
                                                    std::to_string(std::size(kAccountTables))));
    }
    return database;
}

// Copies every row of table, column by column under the same names.
void CopyTable(const DatabaseRef& from, const DatabaseRef& to, const std::string& table) {
    Statement rows(from, "SELECT * FROM " + table);
    std::string columns, values;
    for (int column = 0; column < rows.ColumnCount(); ++column) {
        if (column > 0) {
            columns += ", ";
            values += ", ";
        }
        columns += rows.ColumnName(column);
        values += "?" + std::to_string(column + 1);
    }
    Statement insert(to, "INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")");
    while (rows.Step()) {
        for (int column = 0; column < rows.ColumnCount(); ++column) {
            switch (rows.TypeOf(column)) {
                case ColumnType::Integer:
                    insert.Bind(column + 1, rows.ColumnInteger(column));
                    break;
                case ColumnType::Null:
                    insert.BindNull(column + 1);
                    break;
                default:  // the account's tables hold integers and texts only (STRICT)
                    insert.Bind(column + 1, rows.ColumnText(column));
                    break;
            }
        }
        insert.Step();
        insert.Reset();
    }
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return text;
}

void CopyDemoAccount(Database& target) {
    std::unique_ptr<SqliteDatabase> demo = BuildDemoAccount();
    // Both connections outlive the statements of the copy.
    DatabaseRef from(demo.get(), [](Database*) {});
    DatabaseRef to(&target, [](Database*) {});
    for (const char* table : kAccountTables) CopyTable(from, to, table);
    // Rows inserted with their identifiers leave an identity where it was: the next node would take
    // an identifier in use.
    std::vector<std::pair<std::string, std::string>> identities{{"t_DeployRun", "FRunID"}};
    for (const CatalogLevel& level : kCatalogLevels)
        identities.emplace_back(ToUtf8(level.table), ToUtf8(level.idField));
    for (const auto& [table, id] : identities) {
        // pg_get_serial_sequence takes the column's name as stored: folded to lower case.
        std::string storedTable = AsciiLower(table);
        std::string storedId = AsciiLower(id);
        target.Execute("SELECT setval(pg_get_serial_sequence('" + storedTable + "', '" + storedId +
                       "'), coalesce(max(" + id + "), 0) + 1, false) FROM " + table);
    }
}

}  // namespace

ServerAccountCreation CreateServerAccount(const std::string& uri, const AccountCreationOptions& options) {
    if (options.overwrite) {
        Raise(errors::kInvalidCall, FromUtf8Lossy(MaskedConnectString(uri) +
                                                  ": an account on a server is never replaced (its tables "
                                                  "are not dropped by this program)"));
    }
    std::unique_ptr<Database> database = OpenServerDatabase(uri, false);
    ServerAccountCreation result;
    result.name = database->Name();
    Transaction transaction(*database);
    // The same lock as each migration's (taken again there): another init waits here, then finds the
    // account this one made.
    database->Execute("SELECT pg_advisory_xact_lock(" + std::to_string(kAccountApplicationId) + ")");
    result.created = AccountSchemaVersion(*database) == 0;
    MigrateAccount(*database);  // refuses a foreign or newer database before it changes anything
    if (result.created && options.demo) CopyDemoAccount(*database);
    result.schemaVersion = AccountSchemaVersion(*database);
    transaction.Commit();
    // This process's idle connections may have checked the database before it became an account.
    CloseIdleAccountConnections(uri);
    return result;
}

void CreateAccountFile(const std::string& fileName, const AccountCreationOptions& options) {
    std::string targetName = fs::absolute(fs::path(fileName)).string();
    Text shownName = DatabaseErrorText(targetName, "");
    shownName.resize(shownName.size() - 2);
    AtomicFile file(
        targetName, shownName,
        options.overwrite ? AtomicFile::Publication::Replace : AtomicFile::Publication::CreateOnly);
    try {
        Build(file.TemporaryPath(), options.demo);
        Verify(file.TemporaryPath());
    } catch (const AutomationError& error) {
        RaiseNamingAccount(error, file.TemporaryPath(), shownName);
    }
    file.Finish();
    // A "-wal" left beside the target would be read as part of the new file: it belongs to the
    // account being replaced (or to one deleted without its companions). This process's idle
    // connections to the old file go first: closing one later would delete the new file's "-wal",
    // which SQLite removes by name.
    CloseIdleAccountConnections();
    RemoveCompanions(file.TargetPath());
    file.Publish();
}

}  // namespace orva::components
