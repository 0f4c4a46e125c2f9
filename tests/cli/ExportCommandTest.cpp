// orva-deploy export: a branch written under a Chinese path, byte for byte the packet set of the
// branch as a tree would be saved, that deploy reads back into another account, and refusals (unknown or
// hidden node, no node, a malformed id) that leave the output file as it was.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "automation/TextHelpers.h"
#include "bag/PacketFile.h"
#include "cli/CliRunner.h"
#include "core/BranchExport.h"
#include "support/TempDir.h"
#include "support/TestBackend.h"

namespace orva::cli {
namespace {

namespace fs = std::filesystem;
using testing::RunTool;

std::string Content(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST(ExportCommand, WritesABranchUnderAChinesePathThatDeployBuildsElsewhere) {
    orva::testing::TempDir dir;
    const std::string a = (dir / "甲账套.db").string(), b = (dir / "乙账套.db").string();
    ASSERT_EQ(RunTool({"init", "--catalog", a, "--demo"}).status, 0);
    ASSERT_EQ(RunTool({"init", "--catalog", b}).status, 0);
    fs::create_directory(dir / "导出");
    const std::string file = (dir / "导出" / "功能.Dat").string();

    auto exported =
        RunTool({"export", "--catalog", a, "--subsystem", "302", "--subfunc", "1072", "-o", file});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(exported.out, "Exported 8 function details to " + file + "\n");
    const components::BranchRoot roots[] = {{2, 302, {}}, {3, 1072, {}}};
    EXPECT_EQ(Content(file), components::EncodePacket(
                                 *core::ExportCatalogBranches(orva::testing::AccountAt(a), roots, false)));
    auto deployed = RunTool({"deploy", file, "--catalog", b, "--language", "EN"});
    ASSERT_EQ(deployed.status, 0) << deployed.out;
    EXPECT_NE(deployed.out.find("[Sales Order-New] publish to: [Supply Chain.Sales.Business Documents]"),
              std::string::npos)
        << deployed.out;
    auto catalog = RunTool({"catalog", "--catalog", b, "--language", "CHT"});
    EXPECT_NE(catalog.out.find("銷售訂單執行彙總表  [SQLRPT|5101]"), std::string::npos) << catalog.out;
}

TEST(ExportCommand, RefusalsNameTheOptionAndLeaveTheOutputAsItWas) {
    orva::testing::TempDir dir;
    const std::string account = (dir / "account.db").string();
    ASSERT_EQ(RunTool({"init", "--catalog", account, "--demo"}).status, 0);
    const fs::path file = dir / "功能.Dat";
    struct Case {
        std::vector<std::string> roots;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"--top", "2", "--subfunc", "9999"},
         1,
         "orva-deploy: export: --subfunc 9999: no sub-function has the id 9999"},
        {{"--subsystem", "503"}, 1, "orva-deploy: export: --subsystem 503: the subsystem 503 is hidden"},
        {{}, 2, "orva-deploy: export: name at least one node"},
        {{"--top", "x2"}, 2, "--top"},
        {{"--hidden"}, 2, "name at least one node"},
    };
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary) << "earlier file";
        std::vector<std::string> args{"export", "--catalog", account, "-o", file.string()};
        args.insert(args.end(), c.roots.begin(), c.roots.end());
        auto result = RunTool(args);
        SCOPED_TRACE(result.err);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.err.find(c.message), std::string::npos);
        EXPECT_EQ(Content(file), "earlier file");
    }
}

}  // namespace
}  // namespace orva::cli
