// Two administrators deploying overlapping packets into one account at the same moment, as two
// real orva-deploy processes.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <fstream>
#include <map>

#include "account/AccountCreation.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "bag/Vector.h"
#include "cli/CliRunner.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "support/AccountFixture.h"
#include "support/CatalogueDump.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using namespace automation;
using namespace components;
using testing::ExitStatusOf;

// A packet set whose CHS packet holds functions first..last, spread over two top classes, three
// subsystems each and four sub-functions each, all missing from a fresh account.
DictionaryRef OverlappingPacketSet(int first, int last) {
    auto selections = Vector::Create();
    for (int i = first; i <= last; ++i) {
        Text n = Int32ToText(i);
        auto selection = Dictionary::Create();
        selection->SetValue(u"TopClass", core::ComposeKeyedEntry(u"顶层" + Int32ToText(i % 2), u"0"));
        selection->SetValue(u"SubSystem", core::ComposeKeyedEntry(u"子系统" + Int32ToText(i % 3), u"0"));
        selection->SetValue(u"SubFunc", core::ComposeKeyedEntry(u"子功能" + Int32ToText(i % 4), u"0"));
        selection->SetValue(u"FuncDetail", core::ComposeKeyedEntry(u"对象" + n + u"-维护", u"Base|" + n));
        selection->SetValue(u"No", u"[对象" + n + u"-维护]");
        selections->Add(selection);
    }
    auto packetSet = Dictionary::Create();
    packetSet->SetValue(u"CHS", core::BuildDeployPacket(*selections));
    return packetSet;
}

pid_t StartDeploy(const std::string& packet, const std::string& account,
                  const std::string& output = "/dev/null") {
    pid_t pid = testing::StartToolProcess({"deploy", packet, "--catalog", account, "--language", "CHS"},
                                          STDOUT_FILENO, output);
    EXPECT_GT(pid, 0);
    return pid;
}

TEST(ConcurrentDeploy, OverlappingDeploymentsBothFinishAndCreateEveryNodeOnce) {
    orva::testing::TempDir dir;
    components::testing::TestAccount created(false);  // a file, or a server database in the second run
    std::string account = created.FileName();
    std::string packetA = (dir / "a.Dat").string(), packetB = (dir / "b.Dat").string();
    OverlappingPacketSet(1, 300)->Save(FromUtf8(packetA));
    OverlappingPacketSet(151, 450)->Save(FromUtf8(packetB));

    pid_t a = StartDeploy(packetA, account);
    pid_t b = StartDeploy(packetB, account);
    EXPECT_EQ(ExitStatusOf(a), 0);
    EXPECT_EQ(ExitStatusOf(b), 0);

    std::map<Text, int> counts;
    for (const Text& path : orva::testing::CataloguePaths(account)) ++counts[path];
    int details = 0;
    for (const auto& [path, count] : counts) {
        EXPECT_EQ(count, 1) << ToUtf8(path) << " exists " << count << " times";
        if (path.find(u"|") != Text::npos) ++details;
    }
    EXPECT_EQ(details, 450);
    // 2 top classes, 6 subsystems, 12 sub-functions (i % 4 fixes i % 2), 450 function details.
    EXPECT_EQ(counts.size(), 470u);
}

TEST(ConcurrentDeploy, EightDeployersReportEachFunctionSucceededOnceAndKeepSiblingIndexesUnique) {
    orva::testing::TempDir dir;
    components::testing::TestAccount created(false);  // a file, or a server database in the second run
    std::string account = created.FileName();
    constexpr int kProcesses = 8;
    // Process p deploys functions 20p+1 .. 20p+120: every function lies in up to six packets.
    std::vector<std::pair<int, int>> ranges;
    std::vector<pid_t> pids;
    for (int p = 0; p < kProcesses; ++p) {
        ranges.emplace_back(20 * p + 1, 20 * p + 120);
        std::string packet = (dir / ("p" + std::to_string(p) + ".Dat")).string();
        OverlappingPacketSet(ranges.back().first, ranges.back().second)->Save(FromUtf8(packet));
    }
    for (int p = 0; p < kProcesses; ++p) {
        pids.push_back(StartDeploy((dir / ("p" + std::to_string(p) + ".Dat")).string(), account,
                                   (dir / ("p" + std::to_string(p) + ".out")).string()));
    }
    for (pid_t pid : pids) EXPECT_EQ(ExitStatusOf(pid), 0);

    const std::string succeeded = "]成功！", present = "]失败，原因在于该功能已在主控台中存在！";
    std::map<std::string, std::pair<int, int>> reports;  // "[对象N-维护" -> (succeeded, already present)
    for (int p = 0; p < kProcesses; ++p) {
        std::ifstream out(dir / ("p" + std::to_string(p) + ".out"));
        for (std::string line; std::getline(out, line);) {
            if (line.ends_with(succeeded)) ++reports[line.substr(0, line.size() - succeeded.size())].first;
            if (line.ends_with(present)) ++reports[line.substr(0, line.size() - present.size())].second;
        }
    }
    const int last = ranges.back().second;
    ASSERT_EQ(reports.size(), static_cast<size_t>(last));
    for (int i = 1; i <= last; ++i) {
        int packets = 0;
        for (const auto& [first, end] : ranges) packets += first <= i && i <= end;
        auto [ok, refused] = reports[ToUtf8(u"[对象" + Int32ToText(i) + u"-维护")];
        EXPECT_EQ(ok, 1) << "function " << i << " reported succeeded " << ok << " times";
        EXPECT_EQ(ok + refused, packets) << "function " << i;
    }

    std::map<Text, int> counts;
    for (const Text& path : orva::testing::CataloguePaths(account)) ++counts[path];
    for (const auto& [path, count] : counts)
        EXPECT_EQ(count, 1) << ToUtf8(path) << " exists " << count << " times";
    EXPECT_EQ(counts.size(), static_cast<size_t>(2 + 6 + 12 + last));
    EXPECT_EQ(
        created.Count("SELECT (SELECT count(*) FROM (SELECT 1 FROM t_TopClass GROUP BY FIndex "
                      "HAVING count(*) > 1) AS a) + (SELECT count(*) FROM (SELECT 1 FROM t_SubSystem "
                      "GROUP BY FTopClassID, FIndex HAVING count(*) > 1) AS b) + (SELECT count(*) FROM "
                      "(SELECT 1 FROM t_SubFunc GROUP BY FSubSysID, FIndex HAVING count(*) > 1) AS c) + "
                      "(SELECT count(*) FROM (SELECT 1 FROM t_DetailFunc GROUP BY FSubFuncID, FIndex "
                      "HAVING count(*) > 1) AS d)"),
        0)
        << "sibling indexes are unique";
}

// "the journal row's node exists", for a row of t_DeployRunNode called n.
std::string NodeExists() {
    const char* tables[][2] = {{"t_TopClass", "FTopClassID"},
                               {"t_SubSystem", "FSubSysID"},
                               {"t_SubFunc", "FSubFuncID"},
                               {"t_DetailFunc", "FDetailFuncID"}};
    std::string any;
    for (int level = 1; level <= 4; ++level) {
        if (!any.empty()) any += " OR ";
        any += "(n.FLevel = " + std::to_string(level) + " AND EXISTS (SELECT 1 FROM " + tables[level - 1][0] +
               " c WHERE c." + tables[level - 1][1] + " = n.FNodeID))";
    }
    return "(" + any + ")";
}

// Catalogue nodes without a journal row, in every level.
constexpr const char* kUnjournaledNodes =
    "SELECT (SELECT count(*) FROM t_TopClass c WHERE NOT EXISTS (SELECT 1 FROM t_DeployRunNode n WHERE "
    "n.FLevel = 1 AND n.FNodeID = c.FTopClassID)) + (SELECT count(*) FROM t_SubSystem c WHERE NOT EXISTS "
    "(SELECT 1 FROM t_DeployRunNode n WHERE n.FLevel = 2 AND n.FNodeID = c.FSubSysID)) + (SELECT count(*) "
    "FROM t_SubFunc c WHERE NOT EXISTS (SELECT 1 FROM t_DeployRunNode n WHERE n.FLevel = 3 AND n.FNodeID = "
    "c.FSubFuncID)) + (SELECT count(*) FROM t_DetailFunc c WHERE NOT EXISTS (SELECT 1 FROM t_DeployRunNode "
    "n WHERE n.FLevel = 4 AND n.FNodeID = c.FDetailFuncID))";

// Waits until the query counts at least minimum (or about 60 s pass).
void AwaitCount(const components::testing::TestAccount& account, const std::string& sql, int64_t minimum) {
    for (int attempt = 0; attempt < 6000 && account.Count(sql) < minimum; ++attempt) usleep(10000);
}

TEST(ConcurrentDeploy, AKilledDeployerLeavesEveryNodeItMadeInTheJournalAndItsRunUnfinished) {
    orva::testing::TempDir dir;
    components::testing::TestAccount created(false);
    std::string packet = (dir / "big.Dat").string();
    OverlappingPacketSet(1, 3000)->Save(FromUtf8(packet));
    pid_t deployer = StartDeploy(packet, created.FileName());
    AwaitCount(created, "SELECT count(*) FROM t_DetailFunc", 40);
    kill(deployer, SIGKILL);
    EXPECT_EQ(ExitStatusOf(deployer), -1) << "killed, not finished";

    int64_t details = created.Count("SELECT count(*) FROM t_DetailFunc");
    EXPECT_GE(details, 40);
    EXPECT_LT(details, 3000) << "the kill came too late to interrupt anything";
    EXPECT_EQ(created.Count(kUnjournaledNodes), 0);
    EXPECT_EQ(created.Count("SELECT count(*) FROM t_DeployRunNode n WHERE NOT " + NodeExists()), 0)
        << "no journal row without its node";
    EXPECT_EQ(created.Count("SELECT count(*) FROM t_DeployRun WHERE FFinished IS NULL AND FResult IS NULL"),
              1);
}

TEST(ConcurrentDeploy, FourDeployersAndAnUndoAtOnceNeverOrphanAChildNorRemoveAnotherRunsNode) {
    orva::testing::TempDir dir;
    components::testing::TestAccount created(false);
    std::string account = created.FileName();
    std::string first = (dir / "first.Dat").string();
    OverlappingPacketSet(1, 120)->Save(FromUtf8(first));
    ASSERT_EQ(ExitStatusOf(StartDeploy(first, account)), 0);
    ASSERT_EQ(created.Count("SELECT count(*) FROM t_DeployRun"), 1);

    // The deployers add functions under the nodes run 1 made, and create some of its functions again.
    std::vector<pid_t> deployers;
    for (int p = 0; p < 4; ++p) {
        std::string packet = (dir / ("p" + std::to_string(p) + ".Dat")).string();
        OverlappingPacketSet(100 + 40 * p, 260 + 40 * p)->Save(FromUtf8(packet));
        deployers.push_back(StartDeploy(packet, account));
    }
    AwaitCount(created, "SELECT count(*) FROM t_DeployRun", 3);
    std::string undoOut = (dir / "undo.out").string();
    pid_t undo = testing::StartToolProcess({"undo", "1", "--catalog", account}, STDOUT_FILENO, undoOut);
    int undone = ExitStatusOf(undo);
    for (pid_t pid : deployers) {
        int status = ExitStatusOf(pid);
        // A deployer whose parent the undo removed under it fails on that entry; nothing else fails.
        EXPECT_TRUE(status == 0 || (status == 1 && undone == 0)) << status;
    }
    ASSERT_TRUE(undone == 0 || undone == 1) << undone;

    const char* orphans =
        "SELECT (SELECT count(*) FROM t_SubSystem s WHERE NOT EXISTS (SELECT 1 FROM t_TopClass t WHERE "
        "t.FTopClassID = s.FTopClassID)) + (SELECT count(*) FROM t_SubFunc f WHERE NOT EXISTS (SELECT 1 FROM "
        "t_SubSystem s WHERE s.FSubSysID = f.FSubSysID)) + (SELECT count(*) FROM t_DetailFunc d WHERE NOT "
        "EXISTS (SELECT 1 FROM t_SubFunc f WHERE f.FSubFuncID = d.FSubFuncID))";
    EXPECT_EQ(created.Count(orphans), 0);
    EXPECT_EQ(created.Count(kUnjournaledNodes), 0);
    EXPECT_EQ(
        created.Count("SELECT count(*) FROM t_DeployRunNode n WHERE n.FRunID <> 1 AND NOT " + NodeExists()),
        0)
        << "a node another run made was removed";
    int64_t runOneLeft =
        created.Count("SELECT count(*) FROM t_DeployRunNode n WHERE n.FRunID = 1 AND " + NodeExists());
    int64_t runOneNodes = created.Count("SELECT count(*) FROM t_DeployRunNode WHERE FRunID = 1");
    EXPECT_EQ(runOneLeft, undone == 0 ? 0 : runOneNodes) << "an undo removes all of the run or nothing";
    EXPECT_EQ(created.Count("SELECT count(*) FROM t_DeployRun WHERE FUndoOfRunID = 1 AND FResult = 1"),
              undone == 0 ? 1 : 0);
}

}  // namespace
}  // namespace orva::cli
