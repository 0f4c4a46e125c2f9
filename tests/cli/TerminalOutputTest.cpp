// Names reach the terminal through deploy, catalog and show: characters that would move the cursor,
// erase, ring or reorder what is shown are written as visible escapes; JSON output stays exact.

#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>

#include "automation/Text.h"
#include "cli/CliRunner.h"
#include "cli/CommandSupport.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using automation::Text;
using testing::RunTool;

TEST(TerminalText, EscapesControlAndBidiCharactersAndTheBackslash) {
    const std::pair<Text, std::string> cases[] = {
        {u"供应链 Supply", "供应链 Supply"},
        {u"a\x1b[2Jb", "a\\x1b[2Jb"},
        {Text(u"\0\a\b\t\n\r", 6), "\\x00\\x07\\x08\\x09\\x0a\\x0d"},
        {u"\x7f\x80\x9b\x9f\xa0", "\\x7f\\x80\\x9b\\x9f\u00a0"},  // NBSP is printable
        {u"\u202a\u202e\u2066\u2069\u200e\u200f\u061c", "\\u202a\\u202e\\u2066\\u2069\\u200e\\u200f\\u061c"},
        {u"\u2028\u2029\u200b", "\\u2028\\u2029\u200b"},
        {u"C:\\x1b", "C:\\\\x1b"},  // a backslash in a name cannot pass for an escape
        {Text(1, char16_t(0xD800)), "\uFFFD"},
    };
    for (const auto& [text, shown] : cases) {
        EXPECT_EQ(TerminalText(text), shown) << automation::ToUtf8Lossy(text);
        EXPECT_EQ(TerminalText(automation::ToUtf8Lossy(text)), shown);
    }
    EXPECT_EQ(TerminalText(std::string_view("a\xff\xe4\xb8"
                                            "b")),
              "a\uFFFD\uFFFD\uFFFDb");
}

// True when text holds a byte sequence a terminal acts on: a C0 control other than the line end, DEL,
// a C1 control (UTF-8 C2 80..9F) or U+202E.
bool HasRawControls(const std::string& text) {
    for (size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if ((c < 0x20 && c != '\n') || c == 0x7f) return true;
        if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F) return true;
    }
    return text.find("\u202e") != std::string::npos;
}

TEST(TerminalText, DeployCatalogAndShowEscapeNamesWhileJsonKeepsThem) {
    orva::testing::TempDir dir;
    const std::string account = (dir / "account.db").string();
    const std::string packet = (dir / "hostile.Dat").string();
    const std::string hostile = "质量\x1b[2J\a\r\b\x7f\xc2\x9b管理\u202e\u2066";
    nlohmann::ordered_json set =
        nlohmann::json::parse(std::ifstream(ORVA_SOURCE_DIR "/data/samples/packet-set.json"));
    nlohmann::ordered_json& entry = set["CHS"].back();
    entry["FTopClassName"] = hostile;
    entry["FFuncName"] = entry["NewName"] = "方案" + hostile;
    entry["No"] = "[" + hostile + "]";
    std::ofstream(dir / "hostile.json") << set.dump();
    ASSERT_EQ(RunTool({"pack", (dir / "hostile.json").string(), "-o", packet}).status, 0);
    ASSERT_EQ(RunTool({"init", "--catalog", account}).status, 0);

    const std::string shown = "质量\\x1b[2J\\x07\\x0d\\x08\\x7f\\x9b管理\\u202e\\u2066";
    auto deploy = RunTool({"deploy", packet, "--catalog", account});
    auto tree = RunTool({"catalog", "--catalog", account});
    auto outline = RunTool({"show", packet});
    for (const auto* result : {&deploy, &tree, &outline}) {
        EXPECT_EQ(result->status, 0) << result->err;
        EXPECT_FALSE(HasRawControls(result->out)) << result->out;
        EXPECT_NE(result->out.find(shown), std::string::npos) << result->out;
    }
    EXPECT_NE(deploy.out.find("创建主系统" + shown + "成功!"), std::string::npos) << deploy.out;

    auto json = RunTool({"catalog", "--catalog", account, "--json"});
    ASSERT_EQ(json.status, 0);
    const nlohmann::json exact = nlohmann::json::parse(json.out);
    ASSERT_EQ(exact["topClasses"].size(), 2u);
    EXPECT_EQ(exact["topClasses"][1]["FTopClassName"], hostile);
    auto back = RunTool({"show", packet, "--json"});
    EXPECT_EQ(nlohmann::ordered_json::parse(back.out)["CHS"].back()["FTopClassName"], hostile);
}

TEST(TerminalText, ParserMessagesEscapeTheArgumentsTheyQuote) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"show", "a.Dat", "b\x1b[2J\r"}, "The following argument was not expected: b\\x1b[2J\\x0d"},
        {{"publish", "--subsystem", "1\x1b]0;x\a\u202e", "--type", "1"},
         "Could not convert: --subsystem = 1\\x1b]0;x\\x07\\u202e"},
        {{"--bogus\xc2\x9b\x7f", "show", "a.Dat"}, "--bogus\\x9b\\x7f"},
    };
    for (const auto& [args, shown] : cases) {
        auto result = RunTool(args);
        EXPECT_EQ(result.status, 2);
        EXPECT_FALSE(HasRawControls(result.err)) << result.err;
        EXPECT_NE(result.err.find(shown), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace orva::cli
