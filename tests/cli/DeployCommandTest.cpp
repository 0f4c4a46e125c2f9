#include <gtest/gtest.h>

#include "automation/TextHelpers.h"
#include "cli/CliRunner.h"
#include "support/CatalogueDump.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;
const std::string kSamples = ORVA_SOURCE_DIR "/data/samples/";

class DeployCommand : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(RunTool({"init", "--catalog", m_account, "--demo"}).status, 0); }
    int Lines(const std::string& text) {
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    orva::testing::TempDir m_dir;
    std::string m_account = (m_dir / "account.db").string();
};

TEST_F(DeployCommand, PrintsTheMessageListAndRefusesEverythingTheSecondTime) {
    auto first = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("创建主系统质量管理成功!\n"), std::string::npos) << first.out;
    EXPECT_TRUE(first.out.ends_with("功能发布完毕！\n"));

    auto second = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account});
    ASSERT_EQ(second.status, 0);
    EXPECT_EQ(Lines(second.out), 9);
    EXPECT_EQ(second.out.find("创建"), std::string::npos);
}

TEST_F(DeployCommand, DryRunReportsWithoutChangingTheAccount) {
    auto before = orva::testing::CataloguePaths(m_account);
    auto dry = RunTool(
        {"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account, "--dry-run", "--language", "EN"});
    ASSERT_EQ(dry.status, 0) << dry.err;
    EXPECT_NE(dry.out.find("Dry run"), std::string::npos);
    EXPECT_NE(dry.out.find("Quality Management"), std::string::npos);
    EXPECT_EQ(orva::testing::CataloguePaths(m_account), before);

    // The real deployment afterwards still creates everything the dry run announced.
    auto real =
        RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account, "--language", "EN"});
    EXPECT_EQ(real.out, dry.out.substr(dry.out.find('\n') + 1));
}

TEST_F(DeployCommand, InformationFileRenamesAndFailuresExitWithOne) {
    auto renamed = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account, "--info",
                            kSamples + "deploy-info.json"});
    ASSERT_EQ(renamed.status, 0) << renamed.err;
    // The message lines keep the wizard's line texts; the catalogue holds the new names.
    EXPECT_EQ(orva::testing::CataloguePaths(m_account).count(
                  u"供应链/销售管理/业务单据/报价单-新增|Bill|200000003"),
              1u);
    EXPECT_EQ(orva::testing::CataloguePaths(m_account).count(
                  u"质量管理/检验管理/检验标准/质检方案-维护|Base|200000101"),
              1u);

    auto missing = RunTool({"deploy", (m_dir / "nothing.Dat").string(), "--catalog", m_account});
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("nothing.Dat"), std::string::npos);

    auto badInfo = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--catalog", m_account, "--info",
                            (m_dir / "none.json").string()});
    EXPECT_EQ(badInfo.status, 1);
    EXPECT_NE(badInfo.err.find("none.json"), std::string::npos);

    auto noAccount = RunTool({"deploy", kSamples + "DeployFunction.Dat", "--dry-run"});
    EXPECT_EQ(noAccount.status, 1);
}

}  // namespace
}  // namespace orva::cli
