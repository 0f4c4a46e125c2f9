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

// Texts are decoded from SQLite's UTF-8 by the library itself: whatever the stored bytes, well-formed
// or written by another program, the text read is the one SQLite's own UTF-16 conversion gives.
TEST(SqliteDatabase, StoredBytesReadAsSQLitesOwnConversionGivesThem) {
    orva::testing::TempDir dir;
    DatabaseRef database = NewDatabase(dir);
    const struct {
        const char* hex;
        std::u16string wellFormed;  // empty for bytes that are not UTF-8
    } rows[] = {
        {"C3A9", u"\u00E9"},
        {"E8B4A2E58AA1", u"财务"},
        {"61E8B4A2F09F92B0", u"a财\U0001F4B0"},
        {"E8B4A2E58AA1E4BC9AE8AEA1E7A791E79BAE31", u"财务会计科目1"},
        {"80", u""},        // a continuation byte alone
        {"61E8B4", u""},    // a character cut short
        {"EDA080", u""},    // an encoded surrogate
        {"E08080", u""},    // an overlong form
        {"F4908080", u""},  // above U+10FFFF
        {"F09F92", u""},    // four bytes cut short
        {"C3A9FF41", u""},  // a byte no character starts with
    };
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open_v2((dir / "test.db").c_str(), &raw, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    for (const auto& row : rows) {
        SCOPED_TRACE(row.hex);
        database->Execute("DELETE FROM t");
        database->Execute(std::string("INSERT INTO t (name) VALUES (CAST(X'") + row.hex + "' AS TEXT))");
        Statement select(database, "SELECT name FROM t");
        ASSERT_TRUE(select.Step());
        const Text text = select.ColumnText(0);
        sqlite3_stmt* reference = nullptr;
        ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT name FROM t", -1, &reference, nullptr), SQLITE_OK);
        ASSERT_EQ(sqlite3_step(reference), SQLITE_ROW);
        const Text expected(static_cast<const char16_t*>(sqlite3_column_text16(reference, 0)),
                            static_cast<size_t>(sqlite3_column_bytes16(reference, 0)) / sizeof(char16_t));
        sqlite3_finalize(reference);
        EXPECT_EQ(text, expected);
        if (!row.wellFormed.empty()) {
            EXPECT_EQ(text, row.wellFormed);
        }
    }
    sqlite3_close(raw);
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
