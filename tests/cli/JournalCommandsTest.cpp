// The deployment journal from the command line: deploy, history, undo --dry-run, undo, history, on a
// file in a Chinese-named folder or (second run) a server database; the refusals of an undo; and the
// escaping of names in the human output.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>

#include "account/DeployJournal.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/CatalogWriter.h"
#include "cli/CliRunner.h"
#include "services/Sha256.h"
#include "storage/ServerDatabase.h"
#include "storage/SqliteDatabase.h"
#include "support/AccountFixture.h"
#include "support/CatalogueDump.h"

namespace orva::cli {
namespace {

using namespace automation;
using namespace components;
using Json = nlohmann::ordered_json;
using testing::RunTool;

const std::string kPacket = ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat";

class JournalCommands : public ::testing::Test {
protected:
    JournalCommands() {
        if (m_created.OnServer()) {
            m_account = m_created.FileName();
        } else {
            std::filesystem::create_directories(m_created.Folder() / "部署 记录");
            m_account = (m_created.Folder() / "部署 记录" / "账套.db").string();
            EXPECT_EQ(RunTool({"init", "--catalog", m_account, "--demo"}).status, 0);
        }
    }

    AccountAddress Address() const {
        return m_created.OnServer() ? AccountAddress{m_account, false, AccountKind::Postgres}
                                    : AccountAddress{m_account};
    }
    void Execute(const std::string& sql) const {
        if (m_created.OnServer()) return OpenServerDatabase(m_account, false)->Execute(sql);
        SqliteDatabase::Open(m_account, SqliteDatabase::OpenMode::ReadWrite)->Execute(sql);
    }
    Json Tool(std::vector<std::string> args) const {
        args.insert(args.end(), {"--catalog", m_account, "--json"});
        auto result = RunTool(args);
        EXPECT_EQ(result.status, 0) << result.err;
        return Json::parse(result.out);
    }
    testing::CliResult Undo(const std::string& run, bool dry = false) const {
        std::vector<std::string> args{"undo", run, "--catalog", m_account};
        if (dry) args.push_back("--dry-run");
        return RunTool(args);
    }
    // Deploys the sample packet and returns its run.
    Json Deploy() const {
        auto deployed = RunTool({"deploy", kPacket, "--catalog", m_account});
        EXPECT_EQ(deployed.status, 0) << deployed.err;
        return Tool({"history", "--limit", "1"})["runs"][0];
    }

    components::testing::TestAccount m_created{true};
    std::string m_account;
};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(text.substr(at, end - at));
    return lines;
}

TEST_F(JournalCommands, DeployHistoryUndoDryRunUndoHistory) {
    auto before = orva::testing::CataloguePaths(m_account);
    auto deployed = RunTool({"deploy", kPacket, "--catalog", m_account});
    ASSERT_EQ(deployed.status, 0) << deployed.err;
    auto after = orva::testing::CataloguePaths(m_account);

    Json runs = Tool({"history"})["runs"];
    ASSERT_EQ(runs.size(), 2u);
    Json run = runs[0];
    std::vector<std::string> keys;
    for (const auto& item : run.items()) keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"run", "started", "finished", "origin", "user", "host",
                                              "packetFile", "packetSha256", "language", "result", "created",
                                              "undoneBy", "program", "undoOf"}));
    EXPECT_EQ(run["origin"], "deploy");
    EXPECT_EQ(run["program"], program_invocation_short_name) << "in-process: the test program";
    EXPECT_EQ(run["packetFile"], kPacket);
    EXPECT_EQ(run["packetSha256"], FileSha256(kPacket));
    EXPECT_EQ(run["result"], true);
    EXPECT_EQ(run["language"], "CHS");
    EXPECT_TRUE(run["undoneBy"].is_null());
    EXPECT_EQ(run["created"], after.size() - before.size());
    EXPECT_TRUE(std::regex_match(run["started"].get<std::string>(),
                                 std::regex(R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ)")));
    EXPECT_EQ(runs[1]["origin"], "init");
    EXPECT_EQ(runs[1]["created"], before.size()) << "the demo suite, journaled with the account";
    EXPECT_TRUE(runs[1]["packetFile"].is_null());

    const std::string id = std::to_string(run["run"].get<int>());
    Json one = Tool({"history", id});
    EXPECT_EQ(one["messages"], Json(Lines(deployed.out))) << "the message list as printed";
    ASSERT_EQ(one["nodes"].size(), after.size() - before.size());
    for (const Json& node : one["nodes"]) {
        EXPECT_EQ(node["classParam"].is_string(), node["level"] == 4) << node.dump();
        EXPECT_EQ(node["names"].size(), 3u);
    }

    auto dry = Undo(id, true);
    ASSERT_EQ(dry.status, 0) << dry.out << dry.err;
    EXPECT_EQ(orva::testing::CataloguePaths(m_account), after);
    EXPECT_EQ(Tool({"history"})["runs"].size(), 2u) << "a dry run journals nothing";

    auto undone = Undo(id);
    ASSERT_EQ(undone.status, 0) << undone.out << undone.err;
    EXPECT_EQ(undone.out, dry.out.substr(dry.out.find('\n') + 1)) << "the dry run printed exactly this";
    EXPECT_EQ(orva::testing::CataloguePaths(m_account), before);
    EXPECT_NE(undone.out.find("删除功能"), std::string::npos);
    EXPECT_TRUE(undone.out.ends_with("撤销运行" + id + "完毕！\n")) << undone.out;

    runs = Tool({"history"})["runs"];
    ASSERT_EQ(runs.size(), 3u);
    const std::string undoId = std::to_string(runs[0]["run"].get<int>());
    EXPECT_EQ(runs[0]["origin"], "undo");
    EXPECT_EQ(runs[0]["undoOf"], run["run"]);
    EXPECT_EQ(runs[0]["created"], 0);
    EXPECT_EQ(runs[1]["undoneBy"], runs[0]["run"]);
    EXPECT_EQ(Tool({"history", undoId})["messages"], Json(Lines(undone.out)));

    struct Refusal {
        std::string run, line;
    };
    const Refusal refusals[] = {
        {id, "撤销失败，原因在于运行" + id + "已由运行" + undoId + "撤销！"},
        {undoId, "撤销失败，原因在于运行" + undoId + "本身是一次撤销！"},
        {"4242", "撤销失败，原因在于运行4242不存在！"},
    };
    for (const Refusal& refusal : refusals) {
        auto refused = Undo(refusal.run);
        EXPECT_EQ(refused.status, 1) << refusal.run;
        EXPECT_EQ(refused.out, refusal.line + "\n");
    }
    auto english = RunTool({"undo", id, "--catalog", m_account, "--language", "EN"});
    EXPECT_NE(english.out.find("already undone by run " + undoId), std::string::npos) << english.out;
    EXPECT_EQ(orva::testing::CataloguePaths(m_account), before);
}

TEST_F(JournalCommands, UndoRefusesAsAWholeWithOneLinePerReasonAndStepsOverRemovedNodes) {
    Json run = Deploy();
    const std::string id = std::to_string(run["run"].get<int>());
    Json nodes = Tool({"history", id})["nodes"];
    // A function of the run under a sub-function of the run.
    std::string detail, subFunc;
    for (const Json& node : nodes) {
        if (node["level"] != 4) continue;
        for (const Json& parent : nodes) {
            if (parent["level"] == 3 && parent["id"] == node["parent"]) {
                detail = std::to_string(node["id"].get<int>());
                subFunc = std::to_string(parent["id"].get<int>());
            }
        }
    }
    ASSERT_FALSE(detail.empty());
    const std::string whereDetail = " WHERE FDetailFuncID = " + detail;
    struct Case {
        const char* what;
        std::vector<std::string> changes;
        std::vector<std::string> reasons;  // the lines' distinguishing parts; none: the undo proceeds
        bool dry = false;                  // through the dry run, which must print the same
    };
    const Case cases[] = {
        {"renamed in one language",
         {"UPDATE t_DetailFunc SET FFuncName_EN = FFuncName_EN || 'x'" + whereDetail},
         {"已被改名"}},
        {"moved",
         {"UPDATE t_DetailFunc SET FSubFuncID = (SELECT min(FSubFuncID) FROM t_SubFunc), FIndex = 5000" +
          whereDetail},
         {"已被移动", "的序号已被改变"}},
        {"re-indexed and given another class parameter",
         {"UPDATE t_DetailFunc SET FIndex = FIndex + 1000, FClassParam = FClassParam || '0'" + whereDetail},
         {"的序号已被改变", "的属性已被改变"}},
        {"hidden",
         {"UPDATE t_SubFunc SET FVisible = 0 WHERE FSubFuncID = " + subFunc},
         {"的属性已被改变"},
         true},
        {"given a child by someone else",
         {"INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, "
          "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FClassParam, FHelpCode, FVisible) VALUES (" +
          subFunc + ", 9999, '外来', '外來', 'Foreign', '外来', '外來', 'FOREIGN', 'X', 'Base|9', '', 1)"},
         {"下有其他运行创建的外来"}},
        {"removed by someone already", {"DELETE FROM t_DetailFunc" + whereDetail}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // Each case on the account as the deployment left it: the deployment again after an undo.
        for (const std::string& sql : c.changes) Execute(sql);
        auto changed = orva::testing::CataloguePaths(m_account);
        auto result = Undo(id, c.dry);
        std::vector<std::string> lines = Lines(result.out);
        if (c.dry) lines.erase(lines.begin());
        if (c.reasons.empty()) {
            EXPECT_EQ(result.status, 0) << result.out;
            EXPECT_NE(result.out.find("已不在主控台中，无需删除！"), std::string::npos) << result.out;
            continue;
        }
        EXPECT_EQ(result.status, 1) << result.out;
        ASSERT_EQ(lines.size(), c.reasons.size()) << result.out;
        for (size_t i = 0; i < lines.size(); ++i) {
            EXPECT_TRUE(lines[i].starts_with("撤销失败，原因在于")) << lines[i];
            EXPECT_NE(lines[i].find(c.reasons[i]), std::string::npos) << lines[i];
        }
        EXPECT_EQ(orva::testing::CataloguePaths(m_account), changed) << "nothing removed";
        // Put the catalogue back as the run left it.
        Execute("DELETE FROM t_DetailFunc WHERE FFuncName_CHS = '外来'");
        Execute("UPDATE t_SubFunc SET FVisible = 1 WHERE FSubFuncID = " + subFunc);
        for (const Json& node : nodes) {
            if (node["level"] != 4 || std::to_string(node["id"].get<int>()) != detail) continue;
            Execute("UPDATE t_DetailFunc SET FSubFuncID = " + subFunc +
                    ", FIndex = " + std::to_string(node["index"].get<int>()) + ", FFuncName_EN = '" +
                    node["names"]["EN"].get<std::string>() + "', FClassParam = '" +
                    node["classParam"].get<std::string>() + "'" + whereDetail);
        }
    }
    EXPECT_EQ(Tool({"history", "--limit", "1"})["runs"][0]["undoOf"], run["run"]);
    EXPECT_EQ(Tool({"history", "--limit", "1"})["runs"][0]["result"], true);
}

TEST_F(JournalCommands, HumanOutputEscapesNamesAndShowsTheNodesAsATree) {
    int32_t top = 0;
    {
        JournalRunInfo info;
        info.packetFile = u"包\n.Dat";
        info.language = u"CHS";
        JournalRun run(Address(), info);
        CatalogWriter writer(Address());
        auto data = Dictionary::Create();
        data->SetValue(u"FTopClassName", Text(u"恶意\x1b[2J\u202e"));
        top = writer.CreateTopClass(900, *data);
        data = Dictionary::Create();
        data->SetValue(u"FSysName", Text(u"子系统"));
        writer.CreateSubSys(top, 1, *data);
        run.Finish(true, {u"行\x07"});
    }
    auto list = RunTool({"history", "--catalog", m_account, "--limit", "1"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(Lines(list.out).size(), 1u);
    EXPECT_NE(list.out.find("  host  "), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("包\\x0a.Dat"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("created 2  ok"), std::string::npos) << list.out;

    std::string id = list.out.substr(0, list.out.find(' '));
    auto shown = RunTool({"history", id, "--catalog", m_account});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out.find('\x1b'), std::string::npos);
    EXPECT_NE(shown.out.find("  行\\x07\n"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("  恶意\\x1b[2J\\u202e (top class " + std::to_string(top) +
                             ")\n    子系统 (subsystem "),
              std::string::npos)
        << shown.out;
    Json exact = Tool({"history", id});
    EXPECT_EQ(exact["nodes"][0]["names"]["EN"], "恶意\x1b[2J\u202e") << "JSON keeps names exact";

    auto missing = RunTool({"history", "4242", "--catalog", m_account});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("the journal has no run 4242"), std::string::npos) << missing.err;
}

}  // namespace
}  // namespace orva::cli
