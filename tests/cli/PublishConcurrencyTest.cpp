// Several users publishing the same functions into the same new sub-function of one account at the
// same moment, as real orva-deploy processes released together.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>

#include "automation/TextHelpers.h"
#include "support/AccountFixture.h"
#include "support/CatalogueDump.h"

namespace orva::cli {
namespace {

namespace fs = std::filesystem;
using automation::Text;

// Starts orva-deploy with args, its output into output; it waits until the file go exists, so that
// all processes begin at once.
pid_t StartWhenReleased(std::vector<std::string> args, const fs::path& go, const fs::path& output) {
    std::string tool = ORVA_BINARY_DIR "/bin/orva-deploy";
    args.insert(args.begin(), tool);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string goPath = go.string(), outPath = output.string();
    pid_t pid = fork();
    if (pid == 0) {
        int fd = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) _exit(125);
        while (access(goPath.c_str(), F_OK) != 0) usleep(1000);
        execv(tool.c_str(), argv.data());
        _exit(126);
    }
    EXPECT_GT(pid, 0);
    return pid;
}

TEST(PublishConcurrency, PublishersOfOneNewPlaceCreateItAndEachFunctionOnce) {
    components::testing::TestAccount account;
    const fs::path folder = account.Folder();
    const std::string subFunc = "业务单据";  // proposed under 财务会计.总账 (key "0"), not yet there
    const Text place = u"财务会计/总账/" + automation::FromUtf8(subFunc);
    const std::multiset<Text> before = orva::testing::CataloguePaths(account.FileName());
    for (const Text& path : before) ASSERT_FALSE(path.starts_with(place)) << automation::ToUtf8(path);

    std::ofstream(folder / "steps.json") << R"([{"click": "lstSubFunc", "text": ")" << subFunc << R"("},
        {"check": "tvList", "key": "Report_Item5102", "value": true},
        {"click": "cmdSet"}, {"click": "cmdOK"}, {"click": "cmdCancel"}])";
    constexpr int kProcesses = 4;
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcesses; ++p) {
        pids.push_back(StartWhenReleased({"--catalog", account.FileName(), "publish", "--subsystem", "12",
                                          "--type", "200000004", "--play", (folder / "steps.json").string()},
                                         folder / "go", folder / ("p" + std::to_string(p) + ".out")));
    }
    std::ofstream(folder / "go") << "go";
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    }

    // Together the messages report each function created once and refused as present by the others.
    const std::string succeeded = "成功！", present = "失败，原因在于该功能已在主控台中存在！";
    std::map<std::string, std::pair<int, int>> reports;  // function -> (created, refused as present)
    for (int p = 0; p < kProcesses; ++p) {
        std::ifstream in(folder / ("p" + std::to_string(p) + ".out"));
        std::stringstream out;
        out << in.rdbuf();
        const nlohmann::json transcript = nlohmann::json::parse(out.str(), nullptr, false);
        ASSERT_FALSE(transcript.is_discarded()) << out.str();
        ASSERT_EQ(transcript["messages"].size(), 1u) << out.str();
        EXPECT_EQ(transcript["messages"][0]["text"], "发布对象成功！");
        std::istringstream details(transcript["messages"][0]["details"].get<std::string>());
        for (std::string line; std::getline(details, line);) {
            const std::string function = line.substr(0, line.find(']') + 1);
            if (line.ends_with(present)) {
                ++reports[function].second;
            } else if (line.ends_with(succeeded)) {
                ++reports[function].first;
            }
        }
    }
    ASSERT_EQ(reports.size(), 2u);
    for (const auto& [function, counts] : reports) {
        EXPECT_EQ(counts.first, 1) << function;
        EXPECT_EQ(counts.second, kProcesses - 1) << function;
    }

    // The catalogue gained the new sub-function and the two functions in it, each once.
    std::multiset<Text> added = orva::testing::CataloguePaths(account.FileName());
    for (const Text& path : before) added.erase(added.find(path));
    const std::multiset<Text> expected{place, place + u"/客户信用额度-维护|Base|200000004",
                                       place + u"/销售收入统计表-查询|CROSSRPT|5102"};
    EXPECT_EQ(added, expected);
    EXPECT_EQ(account.Count("SELECT (SELECT count(*) FROM (SELECT 1 FROM t_SubFunc GROUP BY FSubSysID, "
                            "FIndex HAVING count(*) > 1) AS ties) + (SELECT count(*) FROM (SELECT 1 FROM "
                            "t_DetailFunc GROUP BY FSubFuncID, FIndex HAVING count(*) > 1) AS ties)"),
              0)
        << "sibling indexes are unique";
}

}  // namespace
}  // namespace orva::cli
