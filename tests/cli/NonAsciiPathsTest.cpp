// File and folder names in Chinese, with emoji or with combining marks reach every command that takes
// a path: the account (--catalog, --props), the packet files (-o, --from, deploy) and the pictures
// (--screenshot). The names are built so that the last bytes of the argument start at every offset
// inside a multi-byte character, where a check of the name's ending once refused them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::RunTool;

std::string Line(const std::vector<std::string>& args) {
    std::string line;
    for (const std::string& arg : args) line += arg + " ";
    return line;
}

TEST(NonAsciiPaths, EveryCommandTakesThemWhereverTheCharactersFallAgainstTheNamesEnd) {
    orva::testing::TempDir dir;
    const fs::path folder = dir / "账套目录";
    fs::create_directory(folder);
    std::ofstream(folder / "steps.json") << R"([{"click": "cmdSet"}, {"click": "cmdOK"}])";
    const bool viewsBuilt = fs::exists(ORVA_BINARY_DIR "/lib/libOrvaClassDeployViews.so.0");

    // Three-byte (CJK), four-byte (emoji) and combining (two-byte marks after a letter) characters,
    // followed by 0 to 4 ASCII letters, so that the cut 8 bytes before the end of "<name>.db" falls on
    // every byte of the last character.
    std::vector<std::string> stems{"数据", "账套", "质检", "中", "x账", "😀", "😀😀", "e\u0301\u0301"};
    std::vector<std::string> names;
    for (const std::string& stem : stems) {
        for (int pad = 0; pad <= 4; ++pad) names.push_back(stem + std::string(pad, 'a'));
    }
    for (const std::string& name : names) {
        const std::string account = (folder / (name + ".db")).string();
        const std::string json = (folder / (name + ".json")).string();
        const std::string packet = (folder / (name + ".Dat")).string();
        const std::string made = (folder / (name + "-向导.Dat")).string();
        auto run = [&](const std::vector<std::string>& args) {
            CliResult result = RunTool(args);
            EXPECT_EQ(result.status, 0) << name << ": " << Line(args) << "\n" << result.err;
            return result;
        };
        run({"init", "--catalog", account, "--demo"});
        EXPECT_NE(run({"catalog", "--catalog", account}).out.find("我的Orva"), std::string::npos) << name;
        run({"--props", "ConnectString=sqlite:" + account + ";", "types"});
        std::ofstream(json)
            << run({"show", ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat", "--json"}).out;
        run({"pack", json, "-o", packet});
        EXPECT_NE(run({"deploy", packet, "--catalog", account}).out.find("成功"), std::string::npos) << name;
        run({"--catalog", account, "wizard", "--type", "1001", "-o", made, "--play",
             (folder / "steps.json").string()});
        run({"--catalog", account, "wizard", "--type", "1001", "--from", made, "-o", made, "--play",
             (folder / "steps.json").string()});
        EXPECT_TRUE(fs::exists(made)) << name;
        if (viewsBuilt) {
            const fs::path png = folder / (name + ".png");
            run({"--catalog", account, "publish", "--subsystem", "12", "--report", "5101", "--screenshot",
                 png.string()});
            EXPECT_TRUE(fs::exists(png)) << name;
        }
    }
}

}  // namespace
}  // namespace orva::cli
