#include <gtest/gtest.h>

#include "automation/AutomationError.h"
#include "components/AccountConnections.h"
#include "components/AccountFixture.h"

namespace orva::components {
namespace {

using automation::AutomationError;

TEST(AccountConnections, AGivenBackConnectionIsLentAgainOutsideAnyTransaction) {
    testing::TestAccount account;
    SqliteDatabase* first = nullptr;
    {
        SqliteDatabaseRef database = OpenAccount(account.Address());
        first = database.get();
    }
    {
        SqliteDatabaseRef database = OpenAccount(account.Address());
        EXPECT_EQ(database.get(), first) << "the idle connection was not reused";
        database->Execute("BEGIN IMMEDIATE; INSERT INTO t_BizSubSystem VALUES (99, 'x', 'x', 'x')");
    }
    SqliteDatabaseRef next = OpenAccount(account.Address());
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

}  // namespace
}  // namespace orva::components
