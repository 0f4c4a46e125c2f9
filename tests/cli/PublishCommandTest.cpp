// orva-deploy publish on demo accounts: the transcript with the tree and the mouse pointer, the tree
// steps and their errors, publishing into the catalogue (twice), objects the account does not have,
// the documented example, command-line errors, --screenshot and a machine without a display.

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

// The demo account's Sales subsystem: base data 200000004 and 200000009, "bills" (every type that is
// not base data) 200000003, 200000005 and 200000006, reports 5101 to 5104.
struct PublishFixture {
    components::testing::TestAccount account;

    fs::path Path(const std::string& name) const { return account.Folder() / name; }

    // Plays steps on the dialog opened with the object options (--type FID or --report FID).
    CliResult Play(const std::string& steps, std::vector<std::string> object = {"--type", "200000004"},
                   std::vector<std::string> extra = {}) const {
        std::ofstream(Path("steps.json")) << steps;
        std::vector<std::string> args{"--catalog", account.FileName(), "publish", "--subsystem", "12"};
        args.insert(args.end(), object.begin(), object.end());
        args.insert(args.end(), {"--play", Path("steps.json").string()});
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTool(args);
    }

    std::string StepError(int step, const std::string& what) const {
        return "orva-deploy: publish: " + Path("steps.json").string() + ": step " + std::to_string(step) +
               ": " + what + "\n";
    }
};

// The node of the transcript's tree with that key.
Json Node(const Json& transcript, const std::string& key) {
    for (const Json& node : transcript["controls"]["tvList"]["nodes"])
        if (node["key"] == key) return node;
    return nullptr;
}

std::vector<std::string> Checked(const Json& transcript) {
    std::vector<std::string> keys;
    for (const Json& node : transcript["controls"]["tvList"]["nodes"])
        if (node["checked"] == true) keys.push_back(node["key"]);
    return keys;
}

// The parameter strings of the function rows: the keys of their tags (a tag is a keyed entry, the
// display text padded with blanks, then the key).
std::vector<std::string> Rows(const Json& transcript) {
    std::vector<std::string> keys;
    for (const Json& item : transcript["controls"]["lvwFuncDetail"]["items"]) {
        const std::string tag = item["tag"];
        keys.push_back(tag.substr(tag.rfind(' ') + 1));
    }
    return keys;
}

TEST(PublishCommand, TranscriptHasTheTreeThePointerAndNoResult) {
    PublishFixture f;
    CliResult run = f.Play("[]");  // the steps run out at once: the window is closed
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Json t = Json::parse(run.out);

    std::vector<std::string> keys, names, nodes;
    for (const auto& [key, value] : t.items()) keys.push_back(key);
    for (const auto& [name, value] : t["controls"].items()) names.push_back(name);
    for (const Json& node : t["controls"]["tvList"]["nodes"]) nodes.push_back(node["key"]);
    EXPECT_EQ(keys, (std::vector<std::string>{"messages", "pointer", "controls"}));
    EXPECT_EQ(t["messages"], Json::array());
    EXPECT_EQ(t["pointer"], Json::array());
    EXPECT_EQ(names, (std::vector<std::string>{"tvList", "Label2", "lstTopClass", "Label3", "lstSubSystem",
                                               "Label4", "cmdModify", "lstSubFunc", "Label1", "lvwFuncDetail",
                                               "cmdSet", "cmdDel", "cmdOK", "cmdCancel", "lvwResult"}));
    // Node order: each group followed by its objects, by FID.
    EXPECT_EQ(nodes, (std::vector<std::string>{"Base", "Base_Item_200000004", "Base_Item_200000009", "Bill",
                                               "Bill_Item_200000003", "Bill_Item_200000005",
                                               "Bill_Item_200000006", "Report", "Report_Item5101",
                                               "Report_Item5102", "Report_Item5103", "Report_Item5104"}));
    EXPECT_EQ(Node(t, "Base"), (Json{{"key", "Base"},
                                     {"text", "基础资料"},
                                     {"tag", "Base"},
                                     {"parent", nullptr},
                                     {"checked", false},
                                     {"expanded", true},
                                     {"image", "closed"},
                                     {"selectedImage", nullptr},
                                     {"expandedImage", "open"}}));
    EXPECT_EQ(Node(t, "Report_Item5102"), (Json{{"key", "Report_Item5102"},
                                                {"text", "销售收入统计表"},
                                                {"tag", "CROSSRPT|5102"},
                                                {"parent", "Report"},
                                                {"checked", false},
                                                {"expanded", false},
                                                {"image", "leaf"},
                                                {"selectedImage", "leaf"},
                                                {"expandedImage", nullptr}}));
    // Activation on the first show ticked the type handed over and listed its function, selected.
    EXPECT_EQ(Checked(t), std::vector<std::string>{"Base_Item_200000004"});
    const std::string display = "客户信用额度-维护";  // 9 units of UTF-16, padded to 255
    EXPECT_EQ(t["controls"]["lvwFuncDetail"]["items"],
              (Json{{{"text", display},
                     {"tag", display + std::string(255 - 9, ' ') + "Base|200000004"},
                     {"selected", true}}}));
    EXPECT_EQ(t["controls"]["lvwResult"]["items"], Json::array());

    // Production Data has no reports and no bills: those groups have no children and stay closed.
    f.Play("[]");
    CliResult production = RunTool({"--catalog", f.account.FileName(), "publish", "--subsystem", "21",
                                    "--type", "200000007", "--play", f.Path("steps.json").string()});
    ASSERT_EQ(production.status, 0) << production.err;
    const Json p = Json::parse(production.out);
    EXPECT_EQ(Node(p, "Bill")["expanded"], false);
    EXPECT_EQ(Node(p, "Bill")["expandedImage"], nullptr);
    EXPECT_EQ(Checked(p), std::vector<std::string>{"Base_Item_200000007"});
}

TEST(PublishCommand, TreeStepsActAsTheUsersClicks) {
    PublishFixture f;
    struct Case {
        const char* what;
        std::string steps;
        std::vector<std::string> checked;
        std::vector<std::string> rows;
    };
    const std::vector<std::string> reports{"Report", "Report_Item5101", "Report_Item5102", "Report_Item5103",
                                           "Report_Item5104"};
    const Case cases[] = {
        {"a group ticks its objects; a row already there is not added twice",
         R"([{"check": "tvList", "key": "Base", "value": true}])",
         {"Base", "Base_Item_200000004", "Base_Item_200000009"},
         {"Base|200000004", "Base|200000009"}},
        {"the mark the node has already: nothing runs",
         R"([{"check": "tvList", "key": "Base_Item_200000004", "value": true},
             {"check": "tvList", "key": "Base_Item_200000009", "value": false}])",
         {"Base_Item_200000004"},
         {"Base|200000004"}},
        {"unticked: its row goes",
         R"([{"check": "tvList", "key": "Base_Item_200000004", "value": false}])",
         {},
         {}},
        {"every report, each with its tag",
         R"([{"check": "tvList", "key": "Report", "value": true}])",
         {"Base_Item_200000004", "Report", "Report_Item5101", "Report_Item5102", "Report_Item5103",
          "Report_Item5104"},
         {"Base|200000004", "SQLRPT|5101", "CROSSRPT|5102", "NEWCROSSRPT|5103", "CROSSRPT|5104"}},
        {"a bill's actions: bill form or list by their bits, none for an action in neither",
         R"([{"check": "tvList", "key": "Bill_Item_200000003", "value": true}])",
         {"Base_Item_200000004", "Bill_Item_200000003"},
         {"Base|200000004", "List|200000003", "List|200000003", "Bill|200000003"}},
        {"activation ticks the preselected object again and lists every ticked object's rows in tree order",
         R"([{"check": "tvList", "key": "Report_Item5101", "value": true},
             {"check": "tvList", "key": "Base_Item_200000004", "value": false}, {"activate": true}])",
         {"Base_Item_200000004", "Report_Item5101"},
         {"Base|200000004", "SQLRPT|5101"}},
        {"collapsing changes no mark or row",
         R"([{"expand": "tvList", "key": "Report", "value": false}])",
         {"Base_Item_200000004"},
         {"Base|200000004"}},
    };
    for (const Case& c : cases) {
        CliResult run = f.Play(c.steps);
        ASSERT_EQ(run.status, 0) << c.what << run.err;
        const Json t = Json::parse(run.out);
        EXPECT_EQ(Checked(t), c.checked) << c.what;
        EXPECT_EQ(Rows(t), c.rows) << c.what;
        EXPECT_EQ(t["messages"], Json::array()) << c.what;
    }

    // Expand and collapse as the user's clicks: a group's images follow; an object without children and
    // a group already in that state are left alone.
    struct Expansion {
        std::string steps;
        std::string key;
        bool expanded;
        Json image, selectedImage;
    };
    const Expansion expansions[] = {
        {R"([{"expand": "tvList", "key": "Report", "value": false}])", "Report", false, "closed", "closed"},
        {R"([{"expand": "tvList", "key": "Report", "value": false}, {"expand": "tvList", "key": "Report"}])",
         "Report", true, "open", "open"},
        {R"([{"expand": "tvList", "key": "Report", "value": true}])", "Report", true, "closed", nullptr},
        {R"([{"expand": "tvList", "key": "Base_Item_200000004", "value": false}])", "Base_Item_200000004",
         true, "leaf", "leaf"},
    };
    for (const Expansion& e : expansions) {
        CliResult run = f.Play(e.steps);
        ASSERT_EQ(run.status, 0) << e.steps << run.err;
        const Json node = Node(Json::parse(run.out), e.key);
        EXPECT_EQ(node["expanded"], e.expanded) << e.steps;
        EXPECT_EQ(node["image"], e.image) << e.steps;
        EXPECT_EQ(node["selectedImage"], e.selectedImage) << e.steps;
    }
}

TEST(PublishCommand, StepErrorsNameTheStepAndEndWithStatusTwo) {
    PublishFixture f;
    struct Case {
        std::string steps;
        int step;
        std::string what;
        bool shown;  // a transcript is printed
    };
    const Case cases[] = {
        {R"([{"check": "tvList", "key": "Base", "value": true}, {"check": "tvList", "key": "Nope", "value": true}])",
         2, "tvList has no node with the key \"Nope\"", true},
        {R"([{"expand": "tvList", "key": "base", "value": false}])", 1,
         "tvList has no node with the key \"base\"", true},
        {R"([{"check": "lstTopClass", "key": "Base", "value": true}])", 1,
         "\"check\" does not apply to lstTopClass, a list box", true},
        {R"([{"expand": "cmdOK", "key": "Base", "value": true}])", 1,
         "\"expand\" does not apply to cmdOK, a button", true},
        {R"([{"check": "tvNone", "key": "Base", "value": true}])", 1, "no control \"tvNone\" in frmPromu",
         true},
        {R"([{"click": "tvList"}])", 1, "\"click\" does not apply to tvList, a tree view", true},
        {R"([{"select": "tvList", "indexes": [1]}])", 1, "\"select\" does not apply to tvList, a tree view",
         true},
        {R"([{"click": "cmdCancel"}, {"activate": true}])", 2,
         "frmPromu is already closed (step 1 closed it)", true},
        // Wrong shapes are found before anything is shown.
        {R"([{"check": "tvList", "key": "Base"}])", 1, "\"value\" is missing", false},
        {R"([{"check": "tvList", "value": true}])", 1, "\"key\" is missing", false},
        {R"([{"check": "tvList", "key": "Base", "value": 1}])", 1,
         "\"value\" must be true or false, not a number", false},
        {R"([{"expand": "tvList", "key": 5}])", 1, "\"key\" must be a string, not a number", false},
        {R"([{"expand": "tvList", "key": "Base", "index": 0}])", 1, "\"expand\" takes no field \"index\"",
         false},
        {R"([{"activate": false}])", 1, "\"activate\" must be true", false},
        {R"([{"activate": true, "check": "tvList"}])", 1,
         "a step has one action, but this one has \"check\" and \"activate\"", false},
    };
    for (const Case& c : cases) {
        CliResult run = f.Play(c.steps);
        EXPECT_EQ(run.status, 2) << c.steps;
        EXPECT_EQ(run.err, f.StepError(c.step, c.what)) << c.steps;
        if (c.shown) {
            EXPECT_EQ(Json::parse(run.out)["pointer"], Json::array()) << c.steps;
        } else {
            EXPECT_EQ(run.out, "") << c.steps;
        }
    }
}

TEST(PublishCommand, PublishesIntoTheAccountAndASecondPublishListsTheRefusals) {
    PublishFixture f;
    const auto count = [&](const std::string& param) {
        CliResult catalog = RunTool({"--catalog", f.account.FileName(), "catalog", "--json"});
        EXPECT_EQ(catalog.status, 0) << catalog.err;
        size_t n = 0;
        for (size_t at = catalog.out.find(param); at != std::string::npos;
             at = catalog.out.find(param, at + 1))
            ++n;
        return n;
    };
    const size_t baseBefore = count("\"Base|200000004\""), reportBefore = count("\"CROSSRPT|5102\"");

    CliResult run = f.Play(R"([{"check": "tvList", "key": "Report_Item5102", "value": true},
        {"click": "cmdSet"}, {"click": "cmdOK"}, {"click": "cmdOK"}, {"click": "cmdCancel"}])");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const Json t = Json::parse(run.out);
    EXPECT_EQ(t["pointer"], (Json{11, 0, 11, 0}));  // the hourglass around each publish
    ASSERT_EQ(t["messages"].size(), 2u);
    for (const Json& message : t["messages"]) {
        EXPECT_EQ(message["text"], "发布对象成功！");
        EXPECT_EQ(message["title"], "Tarvo提示");
        EXPECT_EQ(message["style"], 48);
    }
    // The details are the deployment's message list: the first publish created both functions, the
    // second found both present and refused them, yet it too reports success.
    const std::string target = "发布到: [财务会计.总账.基础资料]";
    EXPECT_EQ(t["messages"][0]["details"], "[客户信用额度-维护] " + target +
                                               "成功！\n[销售收入统计表-查询] " + target +
                                               "成功！\n功能发布完毕！");
    const std::string refused = "失败，原因在于该功能已在主控台中存在！";
    EXPECT_EQ(t["messages"][1]["details"], "[客户信用额度-维护] " + target + refused +
                                               "\n[销售收入统计表-查询] " + target + refused +
                                               "\n功能发布完毕！");
    EXPECT_EQ(Rows(t), (std::vector<std::string>{"Base|200000004", "CROSSRPT|5102"}));
    EXPECT_EQ(t["controls"]["lvwResult"]["items"].size(), 2u);  // publishing leaves the list as it was

    // The catalogue holds each function once more (the demo has them elsewhere already), published once.
    EXPECT_EQ(count("\"Base|200000004\""), baseBefore + 1);
    EXPECT_EQ(count("\"CROSSRPT|5102\""), reportBefore + 1);
    // Both publishes are journaled as the dialog's runs, with the message list the dialog showed.
    CliResult history = RunTool({"--catalog", f.account.FileName(), "history", "--json", "--limit", "2"});
    ASSERT_EQ(history.status, 0) << history.err;
    const Json runs = Json::parse(history.out)["runs"];
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0]["origin"], "publish");
    EXPECT_EQ(runs[0]["created"], 0);
    EXPECT_EQ(runs[1]["origin"], "publish");
    EXPECT_EQ(runs[1]["created"], 2);
    EXPECT_TRUE(runs[1]["packetFile"].is_null());

    // An account opened read-only: the publish fails, its message says so with the reason, the pointer
    // is put back, and the dialog still closes normally.
    PublishFixture g;
    std::ofstream(g.Path("steps.json")) << R"([{"click": "cmdSet"}, {"click": "cmdOK"}])";
    CliResult readOnly =
        RunTool({"--props", "ConnectString=sqlite:" + g.account.FileName() + "?mode=ro;", "publish",
                 "--subsystem", "12", "--type", "200000004", "--play", g.Path("steps.json").string()});
    ASSERT_EQ(readOnly.status, 0) << readOnly.err;
    const Json r = Json::parse(readOnly.out);
    EXPECT_EQ(r["pointer"], (Json{11, 0}));
    ASSERT_EQ(r["messages"].size(), 1u);
    EXPECT_EQ(r["messages"][0]["text"], "发布对象失败！");
    EXPECT_NE(r["messages"][0]["details"].get<std::string>().find("readonly"), std::string::npos);
}

TEST(PublishCommand, AnObjectTheSubsystemDoesNotListOpensWithNothingTicked) {
    PublishFixture f;
    struct Case {
        std::vector<std::string> object;
        std::vector<std::string> checked;
        std::vector<std::string> rows;
    };
    const Case cases[] = {
        {{"--type", "4242"}, {}, {}},       // no such class type
        {{"--type", "81"}, {}, {}},         // a type of the subsystem, but not one the tree lists
        {{"--type", "200000007"}, {}, {}},  // a type of another subsystem
        {{"--report", "9999"}, {}, {}},     // no such report
        {{"--report", "5001"}, {}, {}},     // a report of another subsystem
        {{"--report", "5103"}, {"Report_Item5103"}, {"NEWCROSSRPT|5103"}},
        {{"--type", "200000005"}, {"Bill_Item_200000005"}, {"Bill|200000005", "List|200000005"}},
    };
    for (const Case& c : cases) {
        CliResult run = f.Play("[]", c.object);
        ASSERT_EQ(run.status, 0) << c.object[1] << run.err;
        const Json t = Json::parse(run.out);
        EXPECT_EQ(Checked(t), c.checked) << c.object[1];
        EXPECT_EQ(Rows(t), c.rows) << c.object[1];
    }
}

TEST(PublishCommand, WrongCommandLinesEndWithStatusTwoBeforeAnythingShows) {
    PublishFixture f;
    std::ofstream(f.Path("steps.json")) << "[]";
    const std::string steps = f.Path("steps.json").string();
    const std::string db = f.account.FileName();
    struct Case {
        std::vector<std::string> args;
        std::string err;  // "" for CLI11's own message
    };
    const Case cases[] = {
        {{"--catalog", db, "publish", "--subsystem", "12", "--play", steps},
         "orva-deploy: publish: give --type FID or --report FID: the object the dialog opens with\n"},
        {{"--catalog", db, "publish", "--subsystem", "99", "--type", "1003", "--play", steps},
         "orva-deploy: publish: --subsystem 99: the account has no business subsystem 99\n"},
        {{"--catalog", db, "publish", "--subsystem", "12", "--type", "1003", "--play",
          f.Path("none.json").string()},
         ""},
        {{"publish", "--subsystem", "12", "--type", "1003", "--play", steps},
         "orva-deploy: publish: no account database named: give --catalog FILE\n"},
        {{"--catalog", db, "publish", "--type", "1003", "--play", steps}, ""},
        {{"--catalog", db, "publish", "--subsystem", "12", "--type", "1003", "--report", "5101"}, ""},
        {{"--catalog", db, "publish", "--subsystem", "x", "--type", "1003"}, ""},
    };
    for (const Case& c : cases) {
        CliResult run = RunTool(c.args);
        EXPECT_EQ(run.status, 2) << run.err;
        EXPECT_EQ(run.out, "") << run.err;
        if (!c.err.empty()) {
            EXPECT_EQ(run.err, c.err);
        }
    }
    CliResult help = RunTool({"publish", "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Examples:"), std::string::npos);
    EXPECT_NE(help.out.find("docs/play.md"), std::string::npos);
}

// docs/play.md runs this example and shows its transcript: both must stay true.
TEST(PublishCommand, TheDocumentedExamplePlaysAsDocumented) {
    PublishFixture f;
    const fs::path examples = fs::path(ORVA_SOURCE_DIR) / "docs" / "examples";
    CliResult run =
        RunTool({"--catalog", f.account.FileName(), "--language", "EN", "publish", "--subsystem", "12",
                 "--type", "200000004", "--play", (examples / "publish-play.json").string()});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Json::parse(run.out), Json::parse(std::ifstream(examples / "publish-play.transcript.json")));

    // The sample for scripts (keys and indexes only) publishes into the demo account in any language.
    for (const char* language : {"CHS", "EN"}) {
        PublishFixture g;
        CliResult sample = RunTool({"--catalog", g.account.FileName(), "--language", language, "publish",
                                    "--subsystem", "12", "--type", "200000004", "--play",
                                    ORVA_SOURCE_DIR "/data/samples/publish-play.json"});
        ASSERT_EQ(sample.status, 0) << sample.err;
        const Json t = Json::parse(sample.out);
        ASSERT_EQ(t["messages"].size(), 1u) << language;
        EXPECT_EQ(t["pointer"], (Json{11, 0})) << language;
        EXPECT_EQ(t["controls"]["lvwResult"]["items"].size(), 2u) << language;
    }
}

bool ViewsBuilt() { return fs::exists(ORVA_BINARY_DIR "/lib/libOrvaClassDeployViews.so.0"); }

// Width and height of a PNG picture, from its header; 0 x 0 when the file is no PNG.
std::pair<int, int> PngSize(const fs::path& png) {
    std::ifstream in(png, std::ios::binary);
    unsigned char header[24] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    if (!in || header[1] != 'P' || header[12] != 'I') return {0, 0};
    const auto at = [&](int i) {
        return header[i] << 24 | header[i + 1] << 16 | header[i + 2] << 8 | header[i + 3];
    };
    return {at(16), at(20)};
}

TEST(PublishCommand, ScreenshotsOfTheDialogAndOfEveryAnswerTyped) {
    if (!ViewsBuilt()) GTEST_SKIP() << "the views library is not built";
    PublishFixture f;
    const std::string png = f.Path("publish.png").string();
    CliResult pictured = RunTool({"--catalog", f.account.FileName(), "publish", "--subsystem", "12",
                                  "--report", "5101", "--screenshot", png});
    EXPECT_EQ(pictured.status, 0) << pictured.err;
    EXPECT_EQ(pictured.out + pictured.err, "");
    EXPECT_GT(fs::file_size(png), 1000u);
    fs::remove(png);

    // A new sub-function typed while none is selected: the name dialog is pictured once per answer.
    CliResult played = f.Play(R"([{"click": "lstSubFunc", "text": "业务单据"}, {"input": "甲", "ok": false},
        {"input": "乙", "ok": true}, {"click": "cmdModify"}, {"click": "cmdModify"}])",
                              {"--type", "200000004"}, {"--screenshot", png});
    EXPECT_EQ(played.status, 0) << played.err;
    EXPECT_GT(fs::file_size(png), 1000u);
    for (const char* picture : {"publish-frmInput-1.png", "publish-frmInput-2.png"})
        EXPECT_GT(fs::file_size(f.Path(picture)), 1000u) << picture;
    EXPECT_FALSE(fs::exists(f.Path("publish-frmInput-3.png")));
    EXPECT_EQ(Json::parse(played.out)["controls"]["lstSubFunc"]["items"][5]["text"], "乙");

    // Every message box of the play too, details open (wide and tall enough to read the list), into a
    // folder named as its users name theirs.
    fs::create_directories(f.Path("截图"));
    const std::string result = (f.Path("截图") / "发布结果.png").string();
    CliResult published = f.Play(R"([{"check": "tvList", "key": "Report_Item5102", "value": true},
        {"click": "cmdSet"}, {"click": "cmdOK"}, {"click": "cmdOK"}])",
                                 {"--type", "200000004"}, {"--screenshot", result});
    EXPECT_EQ(published.status, 0) << published.err;
    EXPECT_EQ(Json::parse(published.out)["messages"].size(), 2u);
    for (const char* picture : {"发布结果-message-1.png", "发布结果-message-2.png"}) {
        const auto [width, height] = PngSize(f.Path("截图") / picture);
        EXPECT_GE(width, 500) << picture;
        EXPECT_GE(height, 300) << picture;
    }
    EXPECT_FALSE(fs::exists(f.Path("截图") / "发布结果-message-3.png"));
}

// The real program on a machine without a display: an error and status 1, never an abort.
TEST(PublishCommand, WithoutPlayOrDisplayTheWindowCannotOpen) {
    PublishFixture f;
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) unsetenv(name);
    std::string errFile = f.Path("err.txt").string();
    pid_t pid = StartToolProcess(
        {"--catalog", f.account.FileName(), "publish", "--subsystem", "12", "--type", "200000004"},
        STDERR_FILENO, errFile);
    ASSERT_GT(pid, 0);
    const int status = ExitStatusOf(pid);
    ASSERT_NE(status, -1);
    std::stringstream err;
    err << std::ifstream(errFile).rdbuf();
    if (!ViewsBuilt()) GTEST_SKIP() << err.str();
    EXPECT_EQ(status, 1);
    EXPECT_EQ(err.str(),
              "orva-deploy: publish: No window can be opened: neither DISPLAY nor WAYLAND_DISPLAY is set\n");
}

}  // namespace
}  // namespace orva::cli
