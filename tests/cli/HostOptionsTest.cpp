// The host options (--language, --catalog, --props) and every other argument are checked before a
// command runs: the properties string has no escape, so a value it cannot carry exactly would reach
// another account or language.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "automation/ClassRegistry.h"
#include "cli/CliRunner.h"
#include "support/CatalogueDump.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;
const std::string kPacket = ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat";

class HostOptions : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::current_path(m_dir.Path());
        ASSERT_EQ(RunTool({"init", "--catalog", "important", "--demo"}).status, 0);
        ASSERT_EQ(RunTool({"init", "--catalog", "acct", "--demo"}).status, 0);
    }
    void TearDown() override { std::filesystem::current_path(m_previous); }

    std::set<std::string> Files() const {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    std::filesystem::path m_previous = std::filesystem::current_path();
    orva::testing::TempDir m_dir;
};

TEST_F(HostOptions, ValuesTheyCannotCarryOrThatContradictAreRefusedWithStatusTwo) {
    struct Case {
        std::vector<std::string> args;
        std::string message;
    };
    const std::string absoluteAcct = (m_dir / "acct").string();
    const Case cases[] = {
        // A ";" would start an entry of its own: another account, another language.
        {{"init", "--catalog", "important;new.db", "--force"},
         "--catalog \"important;new.db\": a file name holding \";\""},
        {{"deploy", kPacket, "--catalog", "acct;v2.db"}, "--catalog \"acct;v2.db\""},
        {{"--language", "CHS;ConnectString=sqlite:/other.db", "deploy", kPacket, "--catalog", "acct"},
         "--language \"CHS;ConnectString=sqlite:/other.db\": the language must be CHS, CHT or EN"},
        // The account reader would open another file than the one named.
        {{"init", "--catalog", " important", "--force"}, "blanks at the start or end"},
        {{"init", "--catalog", "important ", "--force"}, "blanks at the start or end"},
        {{"init", "--catalog", "important?MODE=rw", "--force"}, "ending in \"?mode=rw\""},
        {{"catalog", "--catalog", "acct?mode=ro"}, "ending in \"?mode=ro\""},
        // Languages other than the three.
        {{"--language", "FR", "catalog", "--catalog", "acct"}, "--language \"FR\": the language must be"},
        {{"--language", "", "catalog", "--catalog", "acct"}, "--language \"\""},
        {{"--language", " EN", "catalog", "--catalog", "acct"}, "--language \" EN\""},
        {{"--props", "Language=FR;", "catalog", "--catalog", "acct"},
         "--props: the Language \"FR\" is not CHS"},
        {{"--props", "Language= EN ;", "deploy", kPacket, "--catalog", "acct"},
         "the Language \" EN \" is not"},
        // --props against explicit options.
        {{"--props", "ConnectString=sqlite:important", "deploy", kPacket, "--catalog", "acct"},
         "--props has a ConnectString that names another account than --catalog \"acct\""},
        {{"--props", "ConnectString=postgresql://u:secret@h/db", "init", "--catalog", "acct", "--force"},
         "names another account"},
        {{"--props", "Language=EN", "--language", "CHT", "catalog", "--catalog", "acct"},
         "--props sets Language=EN but --language is CHT"},
        // Arguments that are not UTF-8 cannot reach the library as given.
        {{"--catalog", "a\xff.db", "catalog"}, "--catalog: Invalid UTF-8 at byte offset 1"},
        {{"--props", "Language=EN;x=\xc3", "init", "--catalog", "new.db"},
         "--props: Invalid UTF-8 at byte offset 14"},
        {{"--language", "\xe4\xb8", "deploy", kPacket, "--catalog", "acct"}, "--language: Invalid UTF-8"},
        {{"deploy", "p\xff.Dat", "--catalog", "acct"}, "deploy file: Invalid UTF-8 at byte offset 1"},
        {{"pack", "in.json", "-o", "out\x80.Dat"}, "--output: Invalid UTF-8"},
        {{"format", "%1", "\xc0\xaf"}, "format"},
    };
    const auto important = orva::testing::CataloguePaths("important");
    const auto acct = orva::testing::CataloguePaths("acct");
    const auto files = Files();
    for (const Case& c : cases) {
        std::string line;
        for (const std::string& arg : c.args) line += arg + " ";
        auto result = RunTool(c.args);
        EXPECT_EQ(result.status, 2) << line << "\n" << result.out << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << line << "\n" << result.err;
        EXPECT_EQ(result.out, "") << line;
    }
    EXPECT_EQ(orva::testing::CataloguePaths("important"), important);
    EXPECT_EQ(orva::testing::CataloguePaths("acct"), acct);
    EXPECT_EQ(Files(), files) << "nothing created, nothing replaced";
}

TEST_F(HostOptions, AgreeingValuesAndAnyLetterCaseOfTheLanguageAreAccepted) {
    const std::string absolute = "sqlite:" + (m_dir / "acct").string();
    struct Case {
        std::vector<std::string> args;
        std::string firstLine;
    };
    const Case cases[] = {
        {{"--language", "en", "catalog", "--catalog", "acct"}, "My Orva (1)"},
        {{"--language", "Cht", "catalog", "--catalog", "acct"}, "我的Orva (1)"},
        {{"--props", "Language=cht", "catalog", "--catalog", "acct"},
         "我的Orva (1)"},  // --props over the default
        {{"--props", "language=en;ConnectString=" + absolute + ";", "--language", "EN", "catalog",
          "--catalog", "./sub/../acct"},
         "My Orva (1)"},
        {{"--props", "ConnectString=" + absolute, "catalog"}, "我的Orva (1)"},
        {{"--props", "DefLanguage=EN;Language=CHT", "catalog", "--catalog", "acct"}, "我的Orva (1)"},
    };
    std::filesystem::create_directory(m_dir / "sub");
    for (const Case& c : cases) {
        auto result = RunTool(c.args);
        EXPECT_EQ(result.status, 0) << c.args[1] << "\n" << result.err;
        EXPECT_EQ(result.out.substr(0, result.out.find('\n')), c.firstLine) << c.args[1];
    }
}

// "DefLanguage=EN;Language=CHT" once deployed the EN packet while the reader listed CHT names, and
// created a whole duplicate branch.
TEST_F(HostOptions, ALanguageInsideALongerEntryNameDoesNotDecideTheDeployment) {
    auto first = RunTool({"--props", "DefLanguage=EN;Language=CHT", "deploy", kPacket, "--catalog", "acct"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("[品檢方案-維護] 發佈到: [品質管理.檢驗管理.檢驗標準]成功！"), std::string::npos)
        << first.out;
    auto again = RunTool({"--language", "CHT", "deploy", kPacket, "--catalog", "acct"});
    EXPECT_EQ(again.out.find("成功"), std::string::npos) << "the first run deployed another language:\n"
                                                         << again.out;
}

}  // namespace
}  // namespace orva::cli

namespace orva::cli {
namespace {

// The last resort: a failure no command reports itself still ends in a message and status 1.
TEST(CliGuard, AnUnexpectedFailureEndsInAMessageNotAnAbort) {
    automation::ScopedClassOverride failing(u"Nexo.TextFormatter", []() -> automation::ObjectRef {
        throw std::runtime_error("the formatter \x1b[2J broke");
    });
    auto result = testing::RunTool({"format", "%1", "x"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.err, "orva-deploy: format: unexpected failure: the formatter \\x1b[2J broke\n");
}

}  // namespace
}  // namespace orva::cli
