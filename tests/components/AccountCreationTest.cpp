#include <gtest/gtest.h>

#include <fstream>

#include "automation/AutomationError.h"
#include "components/AccountCreation.h"
#include "components/AccountFixture.h"
#include "components/AccountSchema.h"
#include "components/CatalogReader.h"

namespace orva::components {
namespace {

using automation::AutomationError;
namespace fs = std::filesystem;

std::vector<std::string> FilesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int32_t CreateFails(const std::string& fileName, AccountCreationOptions options) {
    try {
        CreateAccountFile(fileName, options);
    } catch (const AutomationError& error) {
        return error.Number();
    }
    return 0;
}

TEST(AccountCreation, MakesAnEmptyAccountInWalModeAndNothingElse) {
    orva::testing::TempDir dir;
    std::string fileName = (dir / "account.db").string();
    CreateAccountFile(fileName, {});
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"account.db"});
    auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadOnly);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
    EXPECT_EQ(database->QueryInteger("PRAGMA application_id"), kAccountApplicationId);
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t_TopClass"), 0);
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM pragma_journal_mode WHERE journal_mode = 'wal'"),
              1);
    EXPECT_EQ(fs::status(fileName).permissions() & fs::perms::others_read, fs::perms::others_read)
        << "the account must not be private to the user that created it (umask allowing)";
}

TEST(AccountCreation, DemoHoldsTheSampleSuite) {
    testing::TestAccount account(true);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), 5);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubSystem"), 16);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubFunc"), 34);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_DetailFunc"), 60);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_ClassType"), 22);
    EXPECT_EQ(account.Count("SELECT count(*) FROM pragma_foreign_key_check"), 0);
}

TEST(AccountCreation, AnExistingFileIsKeptUnlessReplacing) {
    orva::testing::TempDir dir;
    std::string fileName = (dir / "account.db").string();
    std::ofstream(fileName) << "precious";
    EXPECT_EQ(CreateFails(fileName, {.demo = true}), kFileAlreadyExists);
    EXPECT_EQ(fs::file_size(fileName), 8u);
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"account.db"});

    // A "-wal" beside the old file must not be read as part of the new one.
    std::ofstream(fileName + "-wal") << "stale";
    CreateAccountFile(fileName, {.overwrite = true});
    EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"account.db"});
    auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadOnly);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
}

TEST(AccountCreation, ReplacingAnAccountInUseHereShowsTheNewContent) {
    testing::TestAccount account(true);
    CatalogReader reader(account.Address(), CatalogLanguage::CHS);
    ASSERT_FALSE(reader.GetTopClass_All()->IsEOF());
    CreateAccountFile(account.FileName(), {.overwrite = true});
    EXPECT_TRUE(reader.GetTopClass_All()->IsEOF());
}

TEST(AccountCreation, AMissingFolderIsReportedAndNothingIsLeft) {
    orva::testing::TempDir dir;
    EXPECT_EQ(CreateFails((dir / "no" / "account.db").string(), {}), automation::errors::kPathNotFound);
    EXPECT_TRUE(FilesIn(dir.Path()).empty());
}

}  // namespace
}  // namespace orva::components
