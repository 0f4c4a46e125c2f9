#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include "account/AccountCreation.h"
#include "account/AccountSchema.h"
#include "automation/AutomationError.h"
#include "catalog/CatalogReader.h"
#include "support/AccountFixture.h"

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

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

// Creates the demo account in a child process whose files cannot grow beyond limit bytes: past it,
// writes fail with EFBIG as on a full disk. True when the creation reported success.
bool CreatedUnderFileSizeLimit(const std::string& fileName, rlim_t limit) {
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit small {
            limit, limit
        };
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) _exit(3);
        _exit(CreateFails(fileName, {.demo = true, .overwrite = true}) == 0 ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) <= 1) << "the child died or could not set its limit";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(AccountCreation, ADiskThatFillsUpLeavesTheOldAccountOrNothingNeverAHalfAccount) {
    orva::testing::TempDir sizing;
    CreateAccountFile((sizing / "full.db").string(), {.demo = true});
    auto full = static_cast<rlim_t>(fs::file_size(sizing / "full.db"));

    for (bool replacing : {false, true}) {
        orva::testing::TempDir dir;
        std::string fileName = (dir / "account.db").string();
        if (replacing) CreateAccountFile(fileName, {});
        std::string earlier = replacing ? ReadBytes(fileName) : "";
        int successes = 0;
        for (rlim_t limit : {rlim_t{0}, rlim_t{4096}, rlim_t{32768}, full / 4, full / 2, full * 3 / 4,
                             full - 8192, full - 4096, full - 1, full + 65536, full * 4, RLIM_INFINITY}) {
            SCOPED_TRACE((replacing ? "replacing, limit " : "new, limit ") + std::to_string(limit));
            if (CreatedUnderFileSizeLimit(fileName, limit)) {
                ++successes;
                EXPECT_EQ(FilesIn(dir.Path()), std::vector<std::string>{"account.db"});
                auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadWrite);
                EXPECT_EQ(database->QueryInteger(
                              "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check <> 'ok'"),
                          0);
                EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t_DetailFunc"), 60);
                database.reset();
                // The next round replaces it again: start each round from the old account.
                if (replacing) {
                    fs::remove(fileName);
                    CreateAccountFile(fileName, {});
                    earlier = ReadBytes(fileName);
                } else {
                    fs::remove(fileName);
                }
                continue;
            }
            EXPECT_EQ(FilesIn(dir.Path()),
                      replacing ? std::vector<std::string>{"account.db"} : std::vector<std::string>{})
                << "a temporary stayed behind or a file was published";
            if (replacing) {
                EXPECT_TRUE(ReadBytes(fileName) == earlier) << "the old account was touched";
                auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadWrite);
                EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
            }
        }
        EXPECT_GE(successes, 1) << "no limit let the account be created";
        EXPECT_LE(successes, 5) << "the limits below the account's size did not bite";
    }
}

}  // namespace
}  // namespace orva::components
