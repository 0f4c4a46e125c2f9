#include <gtest/gtest.h>

#include <fstream>

#include "account/AccountSchema.h"
#include "cli/CliRunner.h"
#include "storage/SqliteDatabase.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;
using OpenMode = components::SqliteDatabase::OpenMode;

int64_t Count(const std::string& fileName, const std::string& sql) {
    return components::SqliteDatabase::Open(fileName, OpenMode::ReadOnly)->QueryInteger(sql);
}

TEST(InitCommand, CreatesAnEmptyOrADemoAccount) {
    orva::testing::TempDir dir;
    std::string empty = (dir / "empty.db").string();
    auto made = RunTool({"init", "--catalog", empty});
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(empty), std::string::npos);
    EXPECT_EQ(Count(empty, "PRAGMA user_version"), components::LatestAccountSchemaVersion());
    EXPECT_EQ(Count(empty, "SELECT count(*) FROM t_TopClass"), 0);

    std::string demo = (dir / "demo.db").string();
    ASSERT_EQ(RunTool({"--catalog", demo, "init", "--demo"}).status, 0);
    EXPECT_EQ(Count(demo, "SELECT count(*) FROM t_DetailFunc"), 60);
}

TEST(InitCommand, RefusesAnExistingFileUnlessForced) {
    orva::testing::TempDir dir;
    std::string fileName = (dir / "account.db").string();
    ASSERT_EQ(RunTool({"init", "--catalog", fileName, "--demo"}).status, 0);

    auto refused = RunTool({"init", "--catalog", fileName});
    EXPECT_EQ(refused.status, kExitFailure);
    EXPECT_NE(refused.err.find(fileName + ": the file already exists"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(Count(fileName, "SELECT count(*) FROM t_DetailFunc"), 60) << "the account was touched";

    ASSERT_EQ(RunTool({"init", "--catalog", fileName, "--force"}).status, 0);
    EXPECT_EQ(Count(fileName, "SELECT count(*) FROM t_DetailFunc"), 0);
}

TEST(InitCommand, WithoutAFileItIsAUsageError) {
    auto result = RunTool({"init"});
    EXPECT_EQ(result.status, kExitUsage);
    EXPECT_NE(result.err.find("--catalog"), std::string::npos);
}

}  // namespace
}  // namespace orva::cli
