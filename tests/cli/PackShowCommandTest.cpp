#include <gtest/gtest.h>

#include <fstream>

#include "cli/CliRunner.h"
#include "orva/orva_automation.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;

void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

TEST(PackAndShow, JsonRoundTripsThroughAPacketFile) {
    orva::testing::TempDir dir;
    const std::string json =
        "{\n  \"CHS\": [\n    {\n      \"FTopClassID\": \"3\",\n      \"No\": \"[质检方案-维护] 发布到: "
        "[供应链.采购管理.基础资料]\",\n      \"Nested\": {\n        \"Flag\": true,\n        \"Count\": 2,\n"
        "        \"Ratio\": 0.5,\n        \"Nothing\": null,\n        \"List\": []\n      }\n    }\n  ],\n"
        "  \"EN\": []\n}";
    WriteFile(dir / "in.json", json);
    std::string packet = (dir / "DeployFunction.Dat").string();

    auto packed = RunTool({"pack", (dir / "in.json").string(), "-o", packet});
    ASSERT_EQ(packed.status, 0) << packed.err;
    auto shown = RunTool({"show", packet, "--json"});
    ASSERT_EQ(shown.status, 0) << shown.err;
    EXPECT_EQ(shown.out, json + "\n");

    auto outline = RunTool({"show", packet});
    EXPECT_NE(outline.out.find("FTopClassID: \"3\""), std::string::npos);
}

TEST(PackAndShow, BadInputNamesTheFileAndFailsWithStatusOne) {
    orva::testing::TempDir dir;
    WriteFile(dir / "broken.json", "{\"CHS\": [");
    auto broken = RunTool({"pack", (dir / "broken.json").string(), "-o", (dir / "out.Dat").string()});
    EXPECT_EQ(broken.status, 1);
    EXPECT_NE(broken.err.find("broken.json"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir / "out.Dat"));

    WriteFile(dir / "cases.json", "{\"No\": 1, \"NO\": 2}");
    auto cases = RunTool({"pack", (dir / "cases.json").string(), "-o", (dir / "out.Dat").string()});
    EXPECT_EQ(cases.status, 1);
    EXPECT_NE(cases.err.find("letter case"), std::string::npos);

    WriteFile(dir / "array.json", "[1, 2]");
    EXPECT_EQ(RunTool({"pack", (dir / "array.json").string(), "-o", (dir / "out.Dat").string()}).status, 1);

    auto missing = RunTool({"show", (dir / "nowhere.Dat").string()});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.err.find("nowhere.Dat"), std::string::npos);
}

TEST(Cli, UsageErrorsExitWithTwoAndHelpWithZero) {
    EXPECT_EQ(RunTool({}).status, 2);
    EXPECT_EQ(RunTool({"pack"}).status, 2);
    EXPECT_EQ(RunTool({"no-such-command"}).status, 2);
    auto help = RunTool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("deploy"), std::string::npos);
    EXPECT_EQ(RunTool({"pack", "--help"}).status, 0);
    // The version needs no command; the interface version is the one a host's loader must match.
    for (const char* flag : {"--version", "-V"}) {
        auto version = RunTool({flag});
        EXPECT_EQ(version.status, 0) << flag << ": " << version.err;
        EXPECT_EQ(version.out, "orva-deploy " ORVA_TOOL_VERSION "\nautomation interface version " +
                                   std::to_string(ORVA_AUTOMATION_ABI_VERSION) + "\n")
            << flag;
    }
}

}  // namespace
}  // namespace orva::cli
