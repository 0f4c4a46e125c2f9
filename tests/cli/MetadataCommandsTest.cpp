#include <gtest/gtest.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "cli/CliRunner.h"
#include "storage/SqliteDatabase.h"
#include "support/AccountFixture.h"

namespace orva::cli {
namespace {

using components::testing::TestAccount;
using testing::RunTool;

TEST(MetadataCommands, ListTypesReportsAndSubsystemsAsLines) {
    TestAccount account;
    struct Case {
        std::vector<std::string> args;
        std::string expected;
    };
    const Case cases[] = {
        {{"types", "--subsystem", "11"},
         "FID\tkind\tsubsystem\tCHS\tCHT\tEN\n"
         "71\tbill\t11\t采购订单\t採購訂單\tPurchase Order\n"
         "1004\tbase data\t11\t供应商\t供應商\tSupplier\n"
         "200000001\tbase data\t11\t质检方案\t品檢方案\tInspection Plan\n"
         "200000002\tbill\t11\t供应商评估单\t供應商評鑑單\tSupplier Evaluation\n"},
        {{"reports", "--subsystem", "2"},
         "FID\tFType\tclass parameter\tsubsystem\tCHS\tCHT\tEN\n"
         "5011\t1002\tNEWCROSSRPT|5011\t2\t应收账龄分析表\t應收帳齡分析表\tReceivables Aging\n"},
        {{"types", "--subsystem", "21"},
         "FID\tkind\tsubsystem\tCHS\tCHT\tEN\n200000007\tbase data\t21\t设备\t設備\tEquipment\n"},
        {{"reports", "--subsystem", "21"}, "FID\tFType\tclass parameter\tsubsystem\tCHS\tCHT\tEN\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--catalog", account.FileName()});
        auto result = RunTool(args);
        EXPECT_EQ(result.status, 0) << result.err;
        EXPECT_EQ(result.out, c.expected) << c.args[0];
    }
    auto subsystems = RunTool({"subsystems", "--catalog", account.FileName()});
    EXPECT_EQ(subsystems.out.rfind("FFunctionID\tCHS\tCHT\tEN\n1\t总账\t總帳\tGeneral Ledger\n", 0), 0u);
    EXPECT_EQ(std::count(subsystems.out.begin(), subsystems.out.end(), '\n'), 13);
    std::string allTypes = RunTool({"types", "--catalog", account.FileName()}).out;
    EXPECT_EQ(std::count(allTypes.begin(), allTypes.end(), '\n'), 23);
}

TEST(MetadataCommands, JsonIsExactWhereTheTerminalGetsEscapes) {
    TestAccount account;
    {
        auto database = components::SqliteDatabase::Open(account.FileName(),
                                                         components::SqliteDatabase::OpenMode::ReadWrite);
        database->Execute(
            "INSERT INTO t_ClassType VALUES (300000000, 'a' || char(27) || '[2J', 'b' || char(8238) || 'c', "
            "'tab' || char(9) || 'x', 7, 5);"
            "INSERT INTO t_Report VALUES (9001, 'r' || char(7), 'r', 'Report' || char(10) || 'two', 1000, "
            "5)");
    }
    auto text = RunTool({"types", "--subsystem", "5", "--catalog", account.FileName()});
    EXPECT_NE(text.out.find("300000000\tquery\t5\ta\\x1b[2J\tb\\u202ec\ttab\\x09x\n"), std::string::npos)
        << text.out;
    auto reports = RunTool({"reports", "--subsystem", "5", "--catalog", account.FileName()});
    EXPECT_NE(reports.out.find("9001\t1000\tCROSSRPT|9001\t5\tr\\x07\tr\tReport\\x0atwo\n"),
              std::string::npos)
        << reports.out;

    auto json =
        RunTool({"--language", "EN", "types", "--subsystem", "5", "--json", "--catalog", account.FileName()});
    ASSERT_EQ(json.status, 0) << json.err;
    nlohmann::json root = nlohmann::json::parse(json.out);
    EXPECT_EQ(root["language"], "EN");
    EXPECT_EQ(root["subsystem"], 5);
    ASSERT_EQ(root["types"].size(), 1u);
    const auto& type = root["types"][0];
    EXPECT_EQ(type["FID"], 300000000);
    EXPECT_EQ(type["kind"], "query");
    EXPECT_EQ(type["FBillTypeID"], 7);
    EXPECT_EQ(type["FFunctionID"], 5);
    EXPECT_EQ(type["FName"], "tab\tx");
    EXPECT_EQ(type["FName_CHS"], "a\x1b[2J");
    EXPECT_EQ(type["FName_CHT"], "b\u202ec");

    auto reportJson = nlohmann::json::parse(
        RunTool({"--language", "CHT", "reports", "--json", "--catalog", account.FileName()}).out);
    EXPECT_FALSE(reportJson.contains("subsystem"));
    EXPECT_EQ(reportJson["reports"].size(), 18u);
    EXPECT_EQ(
        reportJson["reports"][0],
        nlohmann::json::parse(R"({"FID": 5001, "FType": 1001, "FClassParam": "SQLRPT|5001", "FFunctionID": 1,
                  "FName": "科目餘額表", "FName_CHS": "科目余额表", "FName_CHT": "科目餘額表",
                  "FName_EN": "Account Balances"})"));
    EXPECT_EQ(reportJson["reports"][17]["FName_EN"], "Report\ntwo");

    auto subsystems =
        nlohmann::json::parse(RunTool({"subsystems", "--json", "--catalog", account.FileName()}).out);
    EXPECT_EQ(subsystems["subsystems"].size(), 12u);
    EXPECT_EQ(subsystems["subsystems"][6]["FFunctionID"], 12);
    EXPECT_EQ(subsystems["subsystems"][6]["FName"], "销售管理");
}

TEST(MetadataCommands, RefuseUnknownSubsystemsAndMissingAccounts) {
    TestAccount account;
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"types", "--subsystem", "99", "--catalog", account.FileName()},
         1,
         "orva-deploy: types: the account has no business subsystem 99"},
        {{"reports", "--subsystem", "-1", "--catalog", account.FileName()},
         1,
         "orva-deploy: reports: the account has no business subsystem -1"},
        {{"types", "--subsystem", "12x", "--catalog", account.FileName()}, 2, "--subsystem"},
        {{"types", "--subsystem", "4294967296", "--catalog", account.FileName()}, 2, "--subsystem"},
        {{"subsystems"}, 2, "orva-deploy: subsystems: no account database named: give --catalog FILE"},
        {{"reports", "--catalog", (account.Folder() / "missing.db").string()}, 1, "no such account database"},
    };
    for (const Case& c : cases) {
        auto result = RunTool(c.args);
        EXPECT_EQ(result.status, c.status) << c.args[0] << " " << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
}

}  // namespace
}  // namespace orva::cli
