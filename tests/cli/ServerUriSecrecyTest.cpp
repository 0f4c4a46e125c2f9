// orva-deploy never prints a password of a server URI, whichever way the URI is wrong: refused before
// connecting, refused by the server, or given through --props instead of --catalog.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "CliRunner.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;

TEST(ServerUriSecrecy, NoOutputOfTheProgramShowsThePassword) {
    // Port 1 of the loopback refuses at once: the connection fails without waiting.
    const std::string server = "127.0.0.1:1";
    struct Case {
        std::vector<std::string> args;
        int status;
    };
    const Case cases[] = {
        {{"catalog", "--catalog", "postgresql://u:s3%zzcr3t@" + server + "/db"}, 2},
        {{"catalog", "--catalog", "postgresql://u:s3/cr3t@" + server + "/db"}, 2},
        {{"catalog", "--catalog", " postgresql://u:s3cr3t@" + server + "/db?x"}, 2},
        {{"init", "--catalog", "postgresql://" + server + "/db?PASSWORD=s3cr3t"}, 2},
        {{"catalog", "--catalog", "POSTGRESQL://u:s3cr3t@" + server + "/db?connect_timeout=2"}, 1},
        {{"catalog", "--catalog", "postgresql://" + server + "/db?pass%77ord=s3%63r3t&connect_timeout=2"}, 1},
        {{"--props", "ConnectString=postgresql://u:s3cr3t@" + server + "/db?connect_timeout=2;", "catalog"},
         1},
        {{"--props", "ConnectString=postgresql://u:s3@cr3t@" + server + "/db;", "catalog"}, 2},
    };
    orva::testing::TempDir dir;
    const std::string errPath = (dir / "stderr.txt").string();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[c.args.size() - 1] + " " + c.args[c.args.size() - 2]);
        auto result = RunTool(c.args);
        EXPECT_EQ(result.status, c.status) << result.err;
        EXPECT_FALSE(result.err.empty());
        // The built program, as an administrator runs it.
        pid_t pid = testing::StartToolProcess(c.args, STDERR_FILENO, errPath);
        ASSERT_GT(pid, 0);
        EXPECT_EQ(testing::ExitStatusOf(pid), c.status);
        std::stringstream printed;
        printed << std::ifstream(errPath).rdbuf();
        for (const std::string& shown : {result.out + result.err, printed.str()}) {
            for (const char* piece : {"s3cr", "cr3t", "%63r3t"}) {
                EXPECT_EQ(shown.find(piece), std::string::npos) << shown;
            }
        }
        EXPECT_NE(printed.str().find("***"), std::string::npos) << printed.str();
    }
}

}  // namespace
}  // namespace orva::cli
