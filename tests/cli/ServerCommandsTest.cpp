#include <gtest/gtest.h>

#include "account/AccountConnections.h"
#include "cli/CliRunner.h"
#include "cli/HostContext.h"
#include "storage/ServerDatabase.h"
#include "support/CatalogueDump.h"
#include "support/PostgresServer.h"
#include "support/TempDir.h"
#include "support/TestBackend.h"

namespace orva::cli {
namespace {

using testing::RunTool;
const std::string kSamples = ORVA_SOURCE_DIR "/data/samples/";

int64_t CountOn(const std::string& uri, const std::string& sql) {
    return components::OpenServerDatabase(uri, true)->QueryInteger(sql);
}

TEST(ServerCommands, InitMakesAnAccountOnceAndNeverReplacesOne) {
    ORVA_REQUIRE_POSTGRES();
    orva::testing::ScratchPostgresDatabase scratch;
    std::string uri = scratch.Uri();
    auto first = RunTool({"init", "--catalog", uri, "--demo"});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(first.out.rfind("Created account database ", 0), 0u) << first.out;
    EXPECT_NE(first.out.find("demo suite"), std::string::npos);

    auto again = RunTool({"init", "--catalog", uri});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("exists already"), std::string::npos) << again.out;
    auto forced = RunTool({"init", "--catalog", uri, "--force"});
    EXPECT_EQ(forced.status, 2);
    EXPECT_NE(forced.err.find("never replaced"), std::string::npos) << forced.err;
    EXPECT_EQ(CountOn(uri, "SELECT count(*) FROM t_DetailFunc"), 60);

    // The same catalogue as a file made from the same demo, through the reader and the command.
    orva::testing::TempDir dir;
    std::string file = (dir / "account.db").string();
    ASSERT_EQ(RunTool({"init", "--catalog", file, "--demo"}).status, 0);
    for (const char* language : {"CHS", "EN"}) {
        auto fromFile = RunTool({"catalog", "--json", "--catalog", file, "--language", language});
        auto fromServer = RunTool({"catalog", "--json", "--catalog", uri, "--language", language});
        ASSERT_EQ(fromServer.status, 0) << fromServer.err;
        EXPECT_EQ(fromServer.out, fromFile.out);
    }
}

TEST(ServerCommands, ADryRunOnAServerChangesNothingAndPrintsWhatTheRunThenPrints) {
    ORVA_REQUIRE_POSTGRES();
    orva::testing::ScratchPostgresDatabase scratch;
    std::string uri = scratch.Uri();
    ASSERT_EQ(RunTool({"init", "--catalog", uri, "--demo"}).status, 0);
    auto before = orva::testing::CataloguePaths(uri);
    const std::string total =
        "SELECT (SELECT count(*) FROM t_TopClass) + (SELECT count(*) FROM t_SubSystem) + "
        "(SELECT count(*) FROM t_SubFunc) + (SELECT count(*) FROM t_DetailFunc)";
    int64_t nodes = CountOn(uri, total);

    auto dry = RunTool(
        {"deploy", kSamples + "DeployFunction.Dat", "--catalog", uri, "--dry-run", "--language", "EN"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_EQ(dry.out.rfind("Dry run on ", 0), 0u) << dry.out;
    EXPECT_NE(dry.out.find("rolled back"), std::string::npos);
    EXPECT_NE(dry.out.find("Quality Management"), std::string::npos);
    EXPECT_EQ(orva::testing::CataloguePaths(uri), before);
    EXPECT_EQ(CountOn(uri, total), nodes);

    auto real = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", uri, "--language", "EN"});
    ASSERT_EQ(real.status, 0) << real.err;
    EXPECT_EQ(real.out, dry.out.substr(dry.out.find('\n') + 1));
    EXPECT_GT(CountOn(uri, total), nodes);
}

TEST(ServerCommands, ACatalogUriReachesThePropertiesStringAsItIsAndIsComparedAsAnAccount) {
    const std::string uri = "postgresql://orva:pw@db:5432/acct";
    struct Case {
        std::string catalog, props;
        const char* problem;  // part of the message, "" for none
    };
    const Case cases[] = {
        {uri, "", ""},
        {uri, "ConnectString=" + uri + ";", ""},
        {uri, "ConnectString=postgresql://orva:pw@db:5432/other;", "names another account"},
        {uri, "ConnectString=sqlite:" + uri + ";", "names another account"},
        {"postgresql://orva:pw@db/a;b", "", "cannot be passed on"},
    };
    for (const Case& c : cases) {
        HostOptions host;
        host.catalog = c.catalog;
        host.props = c.props;
        std::string problem = CheckHostOptions(host);
        if (*c.problem == '\0') {
            EXPECT_EQ(problem, "") << c.props;
        }
        EXPECT_NE(problem.find(c.problem), std::string::npos) << c.props << ": " << problem;
        EXPECT_EQ(problem.find("pw"), std::string::npos) << problem;
        if (problem.empty()) {
            EXPECT_NE(ComposePropsString(host).find("ConnectString=" + uri + ";"), std::string::npos);
        }
    }
}

TEST(ServerCommands, AServerThatCannotBeReachedGivesOneLineWithoutThePassword) {
    // A socket folder where no server listens: libpq fails at once, whatever the environment says.
    orva::testing::TempDir dir;
    std::string encoded = "postgresql://orva:secret@";
    for (char c : dir.Path().string()) encoded += c == '/' ? std::string("%2F") : std::string(1, c);
    encoded += ":5999/acct";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"catalog", "--catalog", encoded},
          std::vector<std::string>{"deploy", kSamples + "DeployFunction.Dat", "--catalog", encoded,
                                   "--dry-run"},
          std::vector<std::string>{"init", "--catalog", encoded}}) {
        auto result = RunTool(args);
        EXPECT_EQ(result.status, 1) << args[0];
        EXPECT_EQ(result.err.find("secret"), std::string::npos) << result.err;
        EXPECT_EQ(result.out.find("secret"), std::string::npos) << result.out;
        EXPECT_NE(result.err.find("***"), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace orva::cli
