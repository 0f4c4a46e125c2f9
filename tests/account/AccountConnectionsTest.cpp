#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "account/AccountConnections.h"
#include "account/AccountSchema.h"
#include "automation/AutomationError.h"
#include "support/AccountFixture.h"

namespace orva::components {
namespace {

using automation::AutomationError;

TEST(AccountConnections, AGivenBackConnectionIsLentAgainOutsideAnyTransaction) {
    testing::TestAccount account;
    Database* first = nullptr;
    {
        DatabaseRef database = OpenAccount(account.Address());
        first = database.get();
    }
    {
        DatabaseRef database = OpenAccount(account.Address());
        EXPECT_EQ(database.get(), first) << "the idle connection was not reused";
        database->Execute("BEGIN IMMEDIATE; INSERT INTO t_BizSubSystem VALUES (99, 'x', 'x', 'x')");
    }
    DatabaseRef next = OpenAccount(account.Address());
    EXPECT_FALSE(next->InTransaction());
    EXPECT_EQ(next->QueryInteger("SELECT count(*) FROM t_BizSubSystem WHERE FFunctionID = 99"), 0);
    // A second user at the same time gets a connection of its own.
    EXPECT_NE(OpenAccount(account.Address()).get(), next.get());
}

TEST(AccountConnections, AnAccountDeletedAfterUseIsReportedMissing) {
    testing::TestAccount account;
    OpenAccount(account.Address());
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(account.FileName() + suffix);
    try {
        OpenAccount(account.Address());
        FAIL() << "a deleted account was opened";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), automation::errors::kFileNotFound);
    }
    EXPECT_FALSE(std::filesystem::exists(account.FileName()));
}

TEST(AccountConnections, AnotherProgramsDatabaseIsRefusedBeforeAnythingInItChanges) {
    struct Case {
        const char* name;
        const char* sql;
        const char* why;
    };
    const std::vector<Case> cases = {
        {"versioned, no application id", "CREATE TABLE notes (x); PRAGMA user_version = 1",
         "application id 0x00000000"},
        {"another application id",
         "CREATE TABLE notes (x); PRAGMA application_id = 42; PRAGMA user_version = 1",
         "application id 0x0000002A"},
        {"tables without a version", "CREATE TABLE notes (x)", "no schema version"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orva::testing::TempDir dir;
        std::string fileName = (dir / "notes.db").string();
        SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::Create)->Execute(c.sql);
        auto bytes = [&] {
            std::ifstream file(fileName, std::ios::binary);
            std::ostringstream content;
            content << file.rdbuf();
            return content.str();
        };
        std::string before = bytes();
        try {
            OpenAccount({fileName, false});
            ADD_FAILURE() << "another program's database was taken for an account";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), kNotAnAccount);
            std::string description = automation::ToUtf8Lossy(error.Description());
            EXPECT_EQ(description.rfind(fileName + ": not an account database (", 0), 0u) << description;
            EXPECT_NE(description.find(c.why), std::string::npos) << description;
        }
        EXPECT_TRUE(bytes() == before) << "the file was changed (switched to WAL?)";
        EXPECT_FALSE(std::filesystem::exists(fileName + "-wal"));
        auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadOnly);
        EXPECT_EQ(
            database->QueryInteger("SELECT count(*) FROM pragma_journal_mode WHERE journal_mode = 'delete'"),
            1);
        CloseIdleAccountConnections(fileName);
    }
}

}  // namespace
}  // namespace orva::components
