#include <gtest/gtest.h>

#include <barrier>
#include <thread>

#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "account/AccountSchema.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "storage/ServerDatabase.h"
#include "support/AccountFixture.h"
#include "support/CatalogueDump.h"
#include "support/ErrorNumber.h"
#include "support/PostgresServer.h"
#include "support/TestBackend.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using orva::testing::ErrorNumberOf;
using orva::testing::ScratchPostgresDatabase;

constexpr const char* kTables[] = {"t_TopClass",     "t_SubSystem", "t_SubFunc",    "t_DetailFunc",
                                   "t_BizSubSystem", "t_ClassType", "t_BillAction", "t_Report"};

int64_t CountOn(const std::string& uri, const std::string& sql) {
    return OpenServerDatabase(uri, true)->QueryInteger(sql);
}

AccountAddress ServerAddress(const std::string& uri) { return {uri, false, AccountKind::Postgres}; }

TEST(ServerAccount, InitsAtOnceMakeOneAccountAndNeitherFails) {
    ORVA_REQUIRE_POSTGRES();
    ScratchPostgresDatabase scratch;
    constexpr int kInits = 4;
    std::barrier start(kInits);
    std::vector<ServerAccountCreation> results(kInits);
    std::vector<std::string> failures(kInits);
    std::vector<std::thread> threads;
    for (int i = 0; i < kInits; ++i) {
        threads.emplace_back([&, i] {
            start.arrive_and_wait();
            try {
                results[i] = CreateServerAccount(scratch.Uri(), {.demo = true});
            } catch (const AutomationError& error) {
                failures[i] = error.what();
            }
        });
    }
    for (auto& thread : threads) thread.join();
    int created = 0;
    for (int i = 0; i < kInits; ++i) {
        EXPECT_EQ(failures[i], "");
        EXPECT_EQ(results[i].schemaVersion, LatestAccountSchemaVersion());
        created += results[i].created ? 1 : 0;
    }
    EXPECT_EQ(created, 1);
    EXPECT_EQ(CountOn(scratch.Uri(), "SELECT count(*) FROM orva_account"), 1);
    EXPECT_EQ(CountOn(scratch.Uri(), "SELECT count(*) FROM t_TopClass"), 5) << "the demo was copied twice";

    // Init again: found and left alone; replacing a server's account is refused before anything.
    ServerAccountCreation again = CreateServerAccount(scratch.Uri(), {.demo = true});
    EXPECT_FALSE(again.created);
    EXPECT_EQ(ErrorNumberOf([&] { CreateServerAccount(scratch.Uri(), {.overwrite = true}); }),
              automation::errors::kInvalidCall);
    EXPECT_EQ(CountOn(scratch.Uri(), "SELECT count(*) FROM t_TopClass"), 5);
}

TEST(ServerAccount, ADatabaseOfAnotherProgramOrANewerSchemaIsRefusedUnchanged) {
    ORVA_REQUIRE_POSTGRES();
    std::string newer = std::to_string(LatestAccountSchemaVersion() + 1);
    struct Case {
        const char* name;
        std::string sql;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"another program's table", "CREATE TABLE notes (x integer)", "tables but no orva_account"},
        {"a view", "CREATE VIEW notes AS SELECT 1 AS x", "tables but no orva_account"},
        {"another application id",
         "CREATE TABLE orva_account (application_id integer, schema_version integer); "
         "INSERT INTO orva_account VALUES (42, 2)",
         "application id 0x0000002A"},
        {"a marker without its row",
         "CREATE TABLE orva_account (application_id integer, schema_version integer)", "holds 0 rows"},
        {"a newer schema",
         "CREATE TABLE orva_account (application_id integer, schema_version integer); "
         "INSERT INTO orva_account VALUES (1330796097, " +
             newer + ")",
         "is newer than this library knows"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchPostgresDatabase scratch;
        std::string name;
        {
            auto setup = OpenServerDatabase(scratch.Uri(), false);
            setup->Execute(c.sql);
            name = setup->Name();
        }
        std::string tablesBefore =
            "SELECT count(*) FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace "
            "WHERE n.nspname = 'public'";
        int64_t before = CountOn(scratch.Uri(), tablesBefore);
        for (int attempt = 0; attempt < 2; ++attempt) {
            automation::Text description;
            int32_t number = ErrorNumberOf(
                [&] {
                    if (attempt == 0) CreateServerAccount(scratch.Uri(), {.demo = true});
                    if (attempt == 1) OpenAccount(ServerAddress(scratch.Uri()));
                },
                &description);
            std::string text = automation::ToUtf8Lossy(description);
            EXPECT_EQ(number, kNotAnAccount) << text;
            EXPECT_EQ(text.rfind(name + ": ", 0), 0u) << text;
            EXPECT_NE(text.find(c.why), std::string::npos) << text;
        }
        EXPECT_EQ(CountOn(scratch.Uri(), tablesBefore), before);
    }

    // An empty database is no account either: only init turns it into one.
    ScratchPostgresDatabase empty;
    EXPECT_EQ(ErrorNumberOf([&] { OpenAccount(ServerAddress(empty.Uri())); }), kNotAnAccount);
}

// A server account of version 3 with a journal, opened by this library: migrated, its journal rows
// stay, keyed by their place in their run, and the index by node is gone (the SQLite side is tested
// on a kept account file).
TEST(ServerAccount, AVersionThreeAccountKeepsItsJournalRowsNumberedWithinTheirRun) {
    ORVA_REQUIRE_POSTGRES();
    ScratchPostgresDatabase scratch;
    {
        auto setup = OpenServerDatabase(scratch.Uri(), false);
        MigrateAccount(*setup, 3);
        setup->Execute(
            "INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FLanguage) "
            "VALUES ('2026-12-01T08:00:00Z', 'deploy', '张三', 'host', 'orva-deploy', 'CHS'); "
            "INSERT INTO t_DeployRunNode VALUES (1, 4, 7, 3, 1, '客户', '客戶', 'Customers', NULL, NULL, "
            "'Base|1003', '', 1)");
    }
    const std::string journal =
        "SELECT (SELECT count(*) FROM t_DeployRun WHERE FUser = '张三') * 100 + "
        "(SELECT count(*) FROM t_DeployRunNode WHERE FClassParam = 'Base|1003' AND FNodeID = 7) * 10 + "
        "(SELECT count(*) FROM pg_indexes WHERE indexname = 'ix_deployrunnode_node')";
    EXPECT_EQ(CountOn(scratch.Uri(), journal), 111);
    OpenAccount(ServerAddress(scratch.Uri()));
    EXPECT_EQ(CountOn(scratch.Uri(), journal), 110);
    EXPECT_EQ(CountOn(scratch.Uri(), "SELECT FEntryID FROM t_DeployRunNode"), 4294967297);
    EXPECT_EQ(CountOn(scratch.Uri(), "SELECT schema_version FROM orva_account"),
              LatestAccountSchemaVersion());
}

TEST(ServerAccount, TheDemoOnAServerIsTheFilesDemoAndNewNodesContinueItsIdentifiers) {
    ORVA_REQUIRE_POSTGRES();
    testing::TestAccount file(true, true);
    ScratchPostgresDatabase scratch;
    CreateServerAccount(scratch.Uri(), {.demo = true});
    EXPECT_EQ(orva::testing::CataloguePaths(scratch.Uri()), orva::testing::CataloguePaths(file.FileName()));
    for (const char* table : kTables) {
        // Every column of every row: a checksum of the rows in key order, the same text on both.
        std::string sql = std::string("SELECT count(*) FROM ") + table;
        EXPECT_EQ(CountOn(scratch.Uri(), sql), file.Count(sql)) << table;
    }
    for (const char* sql :
         {"SELECT sum(FIndex * FTopClassID + length(FNameKey_EN)) FROM t_TopClass",
          "SELECT sum(FVisible * FSubSysID + length(FClassName || FSubID)) FROM t_SubSystem",
          "SELECT sum(FIndex * FDetailFuncID + length(FClassParam || FHelpCode)) FROM t_DetailFunc",
          "SELECT sum(FEnvironment * FOrder + length(FKey)) FROM t_BillAction",
          "SELECT sum(FType + FFunctionID) FROM t_Report"}) {
        EXPECT_EQ(CountOn(scratch.Uri(), sql), file.Count(sql)) << sql;
    }
    // The identity sequences continue after the demo's identifiers, as AUTOINCREMENT does.
    for (const char* sql : {"INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, "
                            "FTopClassName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN) "
                            "VALUES (99, 'n', 'n', 'n', 'N', 'N', 'N') RETURNING FTopClassID",
                            "INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, "
                            "FNameKey_CHS, FNameKey_CHT, FNameKey_EN) "
                            "VALUES (1, 99, 'n', 'n', 'n', 'N', 'N', 'N') RETURNING FSubSysID"}) {
        auto server = OpenServerDatabase(scratch.Uri(), false);
        auto local = SqliteDatabase::Open(file.FileName(), SqliteDatabase::OpenMode::ReadWrite);
        EXPECT_EQ(server->QueryInteger(sql), local->QueryInteger(sql)) << sql;
    }
}

TEST(ServerAccount, APinnedTransactionIsTheAccountsConnectionAndLeavesNothingBehind) {
    ORVA_REQUIRE_POSTGRES();
    ScratchPostgresDatabase scratch;
    CreateServerAccount(scratch.Uri(), {.demo = false});
    AccountAddress address = ServerAddress(scratch.Uri());
    const char* insert = "INSERT INTO t_BizSubSystem VALUES (99, 'x', 'x', 'x')";
    const char* count = "SELECT count(*) FROM t_BizSubSystem";
    {
        PinnedAccountTransaction trial(address);
        EXPECT_EQ(ErrorNumberOf([&] { PinnedAccountTransaction second(address); }),
                  automation::errors::kInvalidCall);
        DatabaseRef database = OpenAccount(address);
        EXPECT_EQ(database.get(), &trial.Connection());
        database->Execute(insert);
        EXPECT_EQ(OpenAccount(address)->QueryInteger(count), 1) << "the run does not read its own writes";
        EXPECT_EQ(CountOn(scratch.Uri(), count), 0) << "another connection sees the run's writes";
    }
    EXPECT_EQ(CountOn(scratch.Uri(), count), 0);
    DatabaseRef after = OpenAccount(address);
    EXPECT_FALSE(after->InTransaction());
    EXPECT_EQ(after->QueryInteger(count), 0);

    // Lending as for a file: a connection given back is lent again, one given back inside a
    // transaction is closed (its work rolled back), never lent to the next user.
    Database* first = after.get();
    after.reset();
    DatabaseRef again = OpenAccount(address);
    EXPECT_EQ(again.get(), first);
    again->Execute("BEGIN");
    again->Execute(insert);
    again.reset();
    DatabaseRef next = OpenAccount(address);
    EXPECT_FALSE(next->InTransaction());
    EXPECT_EQ(next->QueryInteger(count), 0);

    // The server ends the idle connection (a restart, an administrator): the next user gets a new one.
    next.reset();
    auto admin = OpenServerDatabase(scratch.Uri(), false);
    const char* others =
        "FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()";
    admin->Execute(std::string("SELECT pg_terminate_backend(pid) ") + others);
    for (int wait = 0; wait < 100 && admin->QueryInteger(std::string("SELECT count(*) ") + others) > 0;
         ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    // A backend leaves pg_stat_activity a moment before its socket is closed.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(OpenAccount(address)->QueryInteger(count), 0);
}

}  // namespace
}  // namespace orva::components
