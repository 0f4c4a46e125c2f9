#include <gtest/gtest.h>

#include <thread>

#include "account/AccountSchema.h"
#include "account/AccountSql.h"
#include "automation/AutomationError.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using OpenMode = SqliteDatabase::OpenMode;

int32_t NumberOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const AutomationError& error) {
        return error.Number();
    }
    return 0;
}

TEST(AccountSchema, EmbeddedMigrationsAreNumberedFromOneWithoutGaps) {
    auto migrations = AccountMigrations();
    ASSERT_FALSE(migrations.empty());
    for (size_t i = 0; i < migrations.size(); ++i) {
        EXPECT_EQ(migrations[i].version, static_cast<int32_t>(i + 1)) << migrations[i].name;
    }
    EXPECT_EQ(LatestAccountSchemaVersion(), static_cast<int32_t>(migrations.size()));
}

TEST(AccountSchema, MigratesAnEmptyFileToTheLatestVersion) {
    orva::testing::TempDir dir;
    auto database = SqliteDatabase::Open((dir / "new.db").string(), OpenMode::Create);
    MigrateAccount(*database);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
    EXPECT_EQ(database->QueryInteger("PRAGMA application_id"), kAccountApplicationId);
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM sqlite_schema WHERE name = 't_DetailFunc'"), 1);
    // Running it again changes nothing.
    MigrateAccount(*database);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
}

TEST(AccountSchema, LeavesDatabasesOfOthersUntouched) {
    orva::testing::TempDir dir;
    auto foreign = SqliteDatabase::Open((dir / "foreign.db").string(), OpenMode::Create);
    foreign->Execute("PRAGMA application_id = 42");
    EXPECT_EQ(NumberOf([&] { MigrateAccount(*foreign); }), kNotAnAccount);
    EXPECT_EQ(foreign->QueryInteger("SELECT count(*) FROM sqlite_schema"), 0);
    EXPECT_EQ(AccountSchemaVersion(*foreign), 0);

    auto unversioned = SqliteDatabase::Open((dir / "tables.db").string(), OpenMode::Create);
    unversioned->Execute("CREATE TABLE mine (x)");
    EXPECT_EQ(NumberOf([&] { MigrateAccount(*unversioned); }), kNotAnAccount);
    EXPECT_EQ(unversioned->QueryInteger("SELECT count(*) FROM sqlite_schema"), 1);

    auto newer = SqliteDatabase::Open((dir / "newer.db").string(), OpenMode::Create);
    MigrateAccount(*newer);
    newer->Execute("PRAGMA user_version = " + std::to_string(LatestAccountSchemaVersion() + 1));
    EXPECT_EQ(NumberOf([&] { PrepareAccount(*newer); }), kNotAnAccount);
}

TEST(AccountSchema, ServicesRefuseAFileThatIsNotAnAccountYet) {
    orva::testing::TempDir dir;
    auto empty = SqliteDatabase::Open((dir / "empty.db").string(), OpenMode::Create);
    try {
        PrepareAccount(*empty);
        FAIL() << "an empty file was accepted";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), kNotAnAccount);
        EXPECT_NE(error.Description().find(u"not an account database"), automation::Text::npos);
    }
    EXPECT_EQ(AccountSchemaVersion(*empty), 0);
}

TEST(AccountSchema, ConnectionsMigratingAtOnceApplyEachMigrationOnce) {
    orva::testing::TempDir dir;
    std::string fileName = (dir / "shared.db").string();
    SqliteDatabase::Open(fileName, OpenMode::Create)->Execute("PRAGMA journal_mode = WAL");
    std::vector<std::thread> threads;
    std::atomic<int> failures = 0;
    for (int i = 0; i < 4; ++i) {
        threads.emplace_back([&] {
            try {
                auto database = SqliteDatabase::Open(fileName, OpenMode::ReadWrite);
                MigrateAccount(*database);
            } catch (const AutomationError& error) {
                ADD_FAILURE() << error.what();
                ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
    auto database = SqliteDatabase::Open(fileName, OpenMode::ReadOnly);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
}

}  // namespace
}  // namespace orva::components
