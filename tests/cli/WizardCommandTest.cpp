// orva-deploy wizard on demo accounts: --play steps and their errors, the transcript, confirm, cancel,
// the name dialog's answers, --from, --screenshot, unknown types and a machine without a display.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/CliRunner.h"
#include "support/AccountFixture.h"

namespace orva::cli {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;
using testing::CliResult;
using testing::ExitStatusOf;
using testing::RunTool;
using testing::StartToolProcess;

// A demo account, a folder for scripts and packet files, and the wizard on the types 1001 (base data
// "会计科目") and 200000006 (the query "销售毛利查询").
struct WizardFixture {
    components::testing::TestAccount account;

    fs::path Path(const std::string& name) const { return account.Folder() / name; }
    bool Exists(const std::string& name) const { return fs::exists(Path(name)); }

    CliResult Play(const std::string& steps, const std::string& output = "out.Dat",
                   std::vector<std::string> extra = {}) const {
        std::ofstream(Path("steps.json")) << steps;
        std::vector<std::string> args{"--catalog",
                                      account.FileName(),
                                      "wizard",
                                      "--type",
                                      "1001",
                                      "--type",
                                      "200000006",
                                      "-o",
                                      Path(output).string(),
                                      "--play",
                                      Path("steps.json").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTool(args);
    }

    Json Show(const std::string& packet) const {
        CliResult shown = RunTool({"show", Path(packet).string(), "--json"});
        EXPECT_EQ(shown.status, 0) << shown.err;
        return Json::parse(shown.out);
    }

    std::string StepError(int step, const std::string& what) const {
        return "orva-deploy: wizard: " + Path("steps.json").string() + ": step " + std::to_string(step) +
               ": " + what + "\n";
    }
};

Json Warning(const std::string& text) {
    return {{"text", text}, {"title", "Tarvo提示"}, {"style", 48}, {"buttons", {"确定"}}};
}

TEST(WizardCommand, ConfirmWritesThePacketSetTheTranscriptShowsAndFromReopensIt) {
    WizardFixture f;
    CliResult run = f.Play(R"([{"click": "cmdSet"}, {"click": "cmdOK"}])");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Json t = Json::parse(run.out);  // stdout holds the transcript and nothing else

    std::vector<std::string> keys, names;
    for (const auto& [key, value] : t.items()) keys.push_back(key);
    for (const auto& [name, value] : t["controls"].items()) names.push_back(name);
    EXPECT_EQ(keys, (std::vector<std::string>{"messages", "bOK", "controls", "packetSet"}));
    // Every list box, list view, button and label in the dialog's order; frames are not listed.
    EXPECT_EQ(names, (std::vector<std::string>{"cmdOK", "cmdCancel", "lstTopClass", "lstSubSystem",
                                               "lstSubFunc", "Label4", "Label3", "Label2", "cmdDel", "cmdSet",
                                               "cmdModify", "lvwResult", "lvwFuncDetail"}));
    EXPECT_EQ(t["messages"], Json::array());
    EXPECT_EQ(t["bOK"], true);
    const Json& c = t["controls"];
    EXPECT_EQ(c["lstTopClass"]["items"][0], (Json{{"text", "财务会计"}, {"key", "2"}}));
    EXPECT_EQ(c["lstTopClass"]["selected"], 0);
    EXPECT_EQ(c["lstSubFunc"]["items"].back(), (Json{{"text", "销售毛利查询"}, {"key", "0"}}));
    EXPECT_EQ(c["cmdModify"], (Json{{"caption", "修改名称(&M) ↓"}, {"enabled", false}}));
    EXPECT_EQ(c["Label2"], (Json{{"caption", "发布的目标系统："}, {"enabled", true}}));
    EXPECT_EQ(c["lvwFuncDetail"],
              (Json{{"columns", {"将要发布的功能："}},
                    {"items",
                     {{{"text", "会计科目-维护"}, {"tag", "Base|1001"}, {"selected", true}},
                      {{"text", "销售毛利查询-查询"}, {"tag", "200000006"}, {"selected", true}}}}}));
    EXPECT_EQ(c["lvwResult"]["columns"], Json{"发布列表"});
    EXPECT_EQ(c["lvwResult"]["items"][0], (Json{{"text", "[会计科目-维护] 发布到: [财务会计.总账.基础资料]"},
                                                {"tag", ""},
                                                {"selected", true}}));
    // "packetSet" is what show --json prints of the file written.
    EXPECT_EQ(t["packetSet"], f.Show("out.Dat"));
    EXPECT_EQ(t["packetSet"]["EN"].size(), 2u);

    // Reopened on that file and confirmed unchanged: the same packet set again.
    CliResult again = f.Play(R"([{"click": "cmdOK"}])", "again.Dat", {"--from", f.Path("out.Dat").string()});
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_EQ(Json::parse(again.out)["controls"]["lvwResult"]["items"].size(), 2u);
    EXPECT_EQ(f.Show("again.Dat"), f.Show("out.Dat"));

    // An earlier file lacking a language is refused before anything shows.
    std::ofstream(f.Path("partial.json")) << R"({"CHS": [], "EN": []})";
    ASSERT_EQ(RunTool({"pack", f.Path("partial.json").string(), "-o", f.Path("partial.Dat").string()}).status,
              0);
    CliResult partial =
        f.Play(R"([{"click": "cmdOK"}])", "x.Dat", {"--from", f.Path("partial.Dat").string()});
    EXPECT_EQ(partial.status, 1);
    EXPECT_EQ(partial.out, "");
    EXPECT_EQ(
        partial.err,
        "orva-deploy: wizard: ShowWizard: the earlier packet set holds no packet for the language \"CHT\"\n");
}

TEST(WizardCommand, StepErrorsNameTheStepEndThePlayWithStatusTwoAndWriteNothing) {
    WizardFixture f;
    struct Case {
        std::string steps;
        int step;
        std::string what;
        bool shown;  // a transcript is printed
    };
    const Case cases[] = {
        {R"([{"click": "cmdNone"}])", 1, "no control \"cmdNone\" in frmWizard", true},
        {R"([{"click": "lstTopClass", "index": 1}, {"click": "lstTopClass", "index": 4}])", 2,
         "index 4 is out of range: lstTopClass has 4 entries, from index 0", true},
        {R"([{"dblclick": "lstSubFunc", "text": "没有"}])", 1, "lstSubFunc has no entry \"没有\"", true},
        {R"([{"select": "lvwFuncDetail", "indexes": [1, 3]}])", 1,
         "index 3 is out of range: lvwFuncDetail has 2 items, from index 1", true},
        {R"([{"select": "lvwFuncDetail", "texts": ["会计科目-维护", "x"]}])", 1,
         "lvwFuncDetail has no item \"x\"", true},
        {R"([{"click": "cmdModify"}, {"click": "lvwResult"}])", 2,
         "\"click\" does not apply to lvwResult, a list view: items of a list view are chosen with "
         "\"select\"",
         true},
        {R"([{"select": "lstTopClass", "indexes": []}])", 1,
         "\"select\" does not apply to lstTopClass, a list box", true},
        {R"([{"click": "cmdOK", "index": 0}])", 1,
         "cmdOK is a button: its click takes no \"index\" or \"text\"", true},
        {R"([{"click": "lstTopClass"}])", 1,
         "a click on the list box lstTopClass needs \"index\" or \"text\"", true},
        {R"([{"click": "cmdCancel"}, {"click": "cmdOK"}])", 2,
         "frmWizard is already closed (step 1 closed it)", true},
        {R"([{"check": "tvList", "key": "1", "value": true}])", 1,
         "\"check\" is a step on a tree view, and frmWizard has none", true},
        {R"([{"expand": "tvList", "key": "1"}])", 1,
         "\"expand\" is a step on a tree view, and frmWizard has none", true},
        {R"([{"activate": true}])", 1, "\"activate\" is no step of frmWizard", true},
        // Confirmed, then a step too many: the transcript shows the confirmation, but no file is written.
        {R"([{"click": "cmdSet"}, {"click": "cmdOK"}, {"close": true}])", 3,
         "frmWizard is already closed (step 2 closed it)", true},
        // Wrong shapes are found before anything is shown.
        {R"([{"close": true}, {"click": "cmdOK", "idx": 1}])", 2, "\"click\" takes no field \"idx\"", false},
        {R"([{"click": "cmdOK", "close": true}])", 1,
         "a step has one action, but this one has \"click\" and \"close\"", false},
        {R"([{"input": "x"}])", 1, "\"ok\" is missing", false},
        {R"([{"select": "lvwResult", "indexes": [1], "texts": []}])", 1,
         "\"select\" needs either \"indexes\" or \"texts\"", false},
        {R"([{"click": "lstTopClass", "index": 4294967296}])", 1,
         "\"index\" must be a whole number of 32 bits, not 4294967296", false},
        {R"([{"close": false}])", 1, "\"close\" must be true", false},
        {R"(["cmdOK"])", 1, "a step must be a JSON object, not a string", false},
    };
    for (const Case& c : cases) {
        CliResult run = f.Play(c.steps);
        EXPECT_EQ(run.status, 2) << c.steps;
        EXPECT_EQ(run.err, f.StepError(c.step, c.what)) << c.steps;
        EXPECT_FALSE(f.Exists("out.Dat")) << c.steps;
        if (c.shown) {
            EXPECT_EQ(Json::parse(run.out)["bOK"], c.step == 3) << c.steps;
        } else {
            EXPECT_EQ(run.out, "") << c.steps;
        }
    }
    for (const char* script : {"{\"steps\": []}", "[{\"click\": "}) {
        CliResult run = f.Play(script);
        EXPECT_EQ(run.status, 2) << script;
        EXPECT_EQ(run.err.rfind("orva-deploy: wizard: " + f.Path("steps.json").string() + ": ", 0), 0u)
            << run.err;
    }
}

TEST(WizardCommand, InputAnswersGoToTheNextNameDialogInOrder) {
    WizardFixture f;
    const std::string tooLong(81, 'x');
    const std::string pick = R"({"click": "lstSubFunc", "text": "会计科目"})";
    struct Case {
        const char* what;
        std::string steps;
        std::string name;  // the proposal's entry afterwards
        size_t messages;
    };
    const Case cases[] = {
        {"refused, then accepted",
         "[" + pick + R"(, {"input": ")" + tooLong + R"(", "ok": true}, {"input": "科目维护", "ok": true},
            {"click": "cmdModify"}, {"click": "cmdModify"}])",
         "科目维护", 2},
        {"cancelled", "[" + pick + R"(, {"input": "科目维护", "ok": false}, {"click": "cmdModify"}])",
         "会计科目", 0},
        {"answers left over", "[" + pick + R"(, {"input": "甲", "ok": true}, {"input": "乙", "ok": true},
            {"dblclick": "lstSubFunc", "text": "会计科目"}])",
         "甲", 0},
        {"the only answer refused, none left", "[" + pick + R"(, {"input": ")" + tooLong + R"(", "ok": true},
            {"click": "cmdModify"}])",
         "会计科目", 2},
        {"a disabled button does nothing",
         R"([{"input": "甲", "ok": true}, {"click": "cmdModify"}, {"click": "lstSubFunc", "index": 5}])",
         "会计科目", 0},
    };
    for (const Case& c : cases) {
        CliResult run = f.Play(c.steps);
        // The steps end with the wizard open: it is closed, which cancels it.
        EXPECT_EQ(run.status, 1) << c.what;
        EXPECT_EQ(run.err, "orva-deploy: wizard: cancelled\n") << c.what;
        EXPECT_FALSE(f.Exists("out.Dat")) << c.what;
        const Json t = Json::parse(run.out);
        EXPECT_EQ(t["controls"]["lstSubFunc"]["items"][5], (Json{{"text", c.name}, {"key", "0"}})) << c.what;
        EXPECT_EQ(t["messages"], Json(std::vector<Json>(c.messages, Warning("输入不能超过80个字符！"))))
            << c.what;
        EXPECT_EQ(t["bOK"], false) << c.what;
        EXPECT_EQ(t["packetSet"], nullptr) << c.what;
    }
}

// docs/play.md runs this example and shows its transcript: both must stay true.
TEST(WizardCommand, TheDocumentedExamplePlaysAsDocumented) {
    WizardFixture f;
    const fs::path examples = fs::path(ORVA_SOURCE_DIR) / "docs" / "examples";
    CliResult run = RunTool({"--catalog", f.account.FileName(), "--language", "EN", "wizard", "--type",
                             "1001", "--type", "200000006", "-o", f.Path("DeployFunction.Dat").string(),
                             "--play", (examples / "wizard-play.json").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out), Json::parse(std::ifstream(examples / "wizard-play.transcript.json")));
}

bool ViewsBuilt() { return fs::exists(ORVA_BINARY_DIR "/lib/libOrvaClassDeployViews.so.0"); }

TEST(WizardCommand, ScreenshotsOfTheWizardAndOfEveryAnswerTyped) {
    if (!ViewsBuilt()) GTEST_SKIP() << "the views library is not built";
    WizardFixture f;
    const std::string png = f.Path("wizard.png").string();
    // Without --play: loaded and pictured, never shown, nothing written.
    CliResult pictured = RunTool({"--catalog", f.account.FileName(), "wizard", "--type", "1001", "-o",
                                  f.Path("out.Dat").string(), "--screenshot", png});
    EXPECT_EQ(pictured.status, 0) << pictured.err;
    EXPECT_EQ(pictured.out + pictured.err, "");
    EXPECT_GT(fs::file_size(png), 1000u);
    EXPECT_FALSE(f.Exists("out.Dat"));
    fs::remove(png);

    CliResult played = f.Play(R"([{"click": "lstSubFunc", "text": "会计科目"}, {"input": "甲", "ok": false},
        {"input": "乙", "ok": true}, {"click": "cmdModify"}, {"click": "cmdModify"}, {"click": "cmdSet"},
        {"click": "cmdOK"}])",
                              "out.Dat", {"--screenshot", png});
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_TRUE(f.Exists("out.Dat"));
    for (const char* picture : {"wizard.png", "wizard-frmInput-1.png", "wizard-frmInput-2.png"})
        EXPECT_GT(fs::file_size(f.Path(picture)), 1000u) << picture;
    EXPECT_FALSE(f.Exists("wizard-frmInput-3.png"));  // one picture per answer typed
}

// The real program on a machine without a display: an error and status 1, never an abort.
TEST(WizardCommand, WithoutPlayOrDisplayTheWindowCannotOpen) {
    WizardFixture f;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    std::string errFile = f.Path("err.txt").string();
    pid_t pid = StartToolProcess(
        {"--catalog", f.account.FileName(), "wizard", "--type", "81", "-o", f.Path("out.Dat").string()},
        STDERR_FILENO, errFile);
    ASSERT_GT(pid, 0);
    const int status = ExitStatusOf(pid);
    ASSERT_NE(status, -1);
    std::stringstream err;
    err << std::ifstream(errFile).rdbuf();
    if (!ViewsBuilt()) GTEST_SKIP() << err.str();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(),
              "orva-deploy: wizard: No window can be opened: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
    EXPECT_FALSE(f.Exists("out.Dat"));

    // Types are checked first: an unknown FID is a wrong command line.
    CliResult unknown = RunTool({"--catalog", f.account.FileName(), "wizard", "--type", "1001", "--type",
                                 "4242", "-o", f.Path("out.Dat").string()});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "orva-deploy: wizard: --type 4242: the account has no class type 4242\n");
}

}  // namespace
}  // namespace orva::cli
