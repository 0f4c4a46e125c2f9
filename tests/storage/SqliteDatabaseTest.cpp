#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <functional>

#include "automation/AutomationError.h"
#include "storage/SqliteDatabase.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::FromUtf8;
using automation::Text;
using OpenMode = SqliteDatabase::OpenMode;

DatabaseRef NewDatabase(const orva::testing::TempDir& dir) {
    DatabaseRef database = SqliteDatabase::Open((dir / "test.db").string(), OpenMode::Create);
    database->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL UNIQUE)");
    return database;
}

TEST(SqliteDatabase, ErrorsNameTheFileAndKeepSQLitesMessage) {
    orva::testing::TempDir dir;
    DatabaseRef database = NewDatabase(dir);
    Statement insert(database, "INSERT INTO t (name) VALUES (?1)");
    insert.Bind(1, Text(u"a"));
    insert.Step();
    insert.Reset();
    try {
        insert.Step();
        FAIL() << "a duplicate was stored";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), kDatabaseError);
        EXPECT_EQ(error.Description(),
                  FromUtf8((dir / "test.db").string() + ": UNIQUE constraint failed: t.name"));
    }
    // The cached statement is usable again after the failure.
    insert.Reset();
    insert.Bind(1, Text(u"b"));
    EXPECT_FALSE(insert.Step());
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t"), 2);
}

TEST(SqliteDatabase, OpeningAMissingFileFailsWithoutCreatingIt) {
    orva::testing::TempDir dir;
    for (OpenMode mode : {OpenMode::ReadWrite, OpenMode::ReadOnly}) {
        EXPECT_THROW(SqliteDatabase::Open((dir / "missing.db").string(), mode), AutomationError);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.db"));
}

TEST(SqliteDatabase, TransactionRollsBackUnlessCommitted) {
    orva::testing::TempDir dir;
    DatabaseRef database = NewDatabase(dir);
    {
        Transaction transaction(*database);
        database->Execute("INSERT INTO t (name) VALUES ('dropped')");
    }
    EXPECT_FALSE(database->InTransaction());
    {
        Transaction transaction(*database);
        database->Execute("INSERT INTO t (name) VALUES ('kept')");
        transaction.Commit();
    }
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t WHERE name = 'kept'"), 1);
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t"), 1);
}

TEST(SqliteDatabase, TextsRoundTripAndLoneSurrogatesAreRefused) {
    orva::testing::TempDir dir;
    DatabaseRef database = NewDatabase(dir);
    const Text name = u"財務會計 \U0001F4B0 Finance";
    Statement(database, "INSERT INTO t (name) VALUES (?1)").Bind(1, name).Step();
    Statement select(database, "SELECT name, length(name) FROM t");
    ASSERT_TRUE(select.Step());
    EXPECT_EQ(select.ColumnText(0), name);
    EXPECT_EQ(select.ColumnInteger(1), 14);  // SQLite counts code points: the emoji is one

    Statement insert(database, "INSERT INTO t (name) VALUES (?1)");
    try {
        insert.Bind(1, Text(u"broken \xD800"));
        FAIL() << "a lone surrogate was bound";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), automation::errors::kInvalidCall);
    }
}

// The result code tells the cases apart that a caller handles differently: a busy database can be
// tried again, a constraint failure cannot.
TEST(SqliteDatabase, ErrorsKeepSQLitesExtendedResultCode) {
    orva::testing::TempDir dir;
    DatabaseRef database = NewDatabase(dir);
    database->Execute("INSERT INTO t (name) VALUES ('a')");
    DatabaseRef holder = SqliteDatabase::Open((dir / "test.db").string(), OpenMode::ReadWrite);
    std::shared_ptr<SqliteDatabase> waiter =
        SqliteDatabase::Open((dir / "test.db").string(), OpenMode::ReadWrite);
    waiter->SetBusyTimeout(std::chrono::milliseconds(20));
    struct Case {
        const char* what;
        bool lockHeld;  // by another connection, for the whole case
        std::function<void()> fail;
        int32_t extendedCode;
        int32_t resultCode;
    };
    const std::vector<Case> cases = {
        {"duplicate through a statement", false,
         [&] { Statement(database, "INSERT INTO t (name) VALUES (?1)").Bind(1, Text(u"a")).Step(); },
         SQLITE_CONSTRAINT_UNIQUE, db_codes::kConstraint},
        {"NOT NULL through Execute", false, [&] { database->Execute("INSERT INTO t (name) VALUES (NULL)"); },
         SQLITE_CONSTRAINT_NOTNULL, db_codes::kConstraint},
        {"BEGIN IMMEDIATE", true, [&] { waiter->ExecuteCached("BEGIN IMMEDIATE"); }, SQLITE_BUSY,
         db_codes::kBusy},
        {"INSERT", true,
         [&] { Statement(waiter, "INSERT INTO t (name) VALUES (?1)").Bind(1, Text(u"b")).Step(); },
         SQLITE_BUSY, db_codes::kBusy},
        {"read-only connection", false,
         [&] {
             SqliteDatabase::Open((dir / "test.db").string(), OpenMode::ReadOnly)
                 ->Execute("INSERT INTO t (name) VALUES ('c')");
         },
         SQLITE_READONLY, db_codes::kReadOnly},
        {"missing file", false,
         [&] { SqliteDatabase::Open((dir / "missing.db").string(), OpenMode::ReadWrite); }, SQLITE_CANTOPEN,
         SQLITE_CANTOPEN},
    };
    for (const Case& c : cases) {
        if (c.lockHeld) holder->ExecuteCached("BEGIN IMMEDIATE");
        try {
            c.fail();
            ADD_FAILURE() << c.what << ": did not fail";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), kDatabaseError) << c.what;
            EXPECT_EQ(error.HelpContext(), c.extendedCode) << c.what << ": " << error.what();
            EXPECT_EQ(DatabaseResultCode(error), c.resultCode) << c.what;
        }
        if (c.lockHeld) holder->ExecuteCached("ROLLBACK");
    }
    EXPECT_EQ(DatabaseResultCode(AutomationError(kDatabaseError, u"the account failed its check")), 0);
    EXPECT_EQ(DatabaseResultCode(AutomationError(automation::errors::kDeviceIo, u"x", {}, {}, 5)), 0);
}

}  // namespace
}  // namespace orva::components
