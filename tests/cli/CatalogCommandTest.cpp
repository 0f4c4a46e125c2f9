#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "catalog/CatalogWriter.h"
#include "cli/CliRunner.h"
#include "support/AccountFixture.h"

namespace orva::cli {
namespace {

using components::testing::TestAccount;
using testing::RunTool;

TEST(CatalogCommand, PrintsTheTreeInTheChosenLanguage) {
    TestAccount account;
    auto result = RunTool({"catalog", "--catalog", account.FileName(), "--language", "EN"});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("Financial Accounting (2)\n"
                              "  General Ledger (201)\n"
                              "    Base Data (1011)\n"
                              "      Chart of Accounts  [Base|1001]\n"
                              "      Currencies  [Base|1002]\n"),
              std::string::npos)
        << result.out;
    EXPECT_NE(result.out.find("\n  Data Exchange (503)  (hidden)\n"), std::string::npos);

    auto chinese = RunTool({"catalog", "--catalog", account.FileName()});
    EXPECT_NE(chinese.out.find("财务会计 (2)\n  总账 (201)\n"), std::string::npos) << chinese.out;
}

TEST(CatalogCommand, JsonNestsTheWholeCatalogue) {
    TestAccount account;
    auto result = RunTool({"--language", "CHT", "--catalog", account.FileName(), "catalog", "--json"});
    ASSERT_EQ(result.status, 0) << result.err;
    nlohmann::json root = nlohmann::json::parse(result.out);
    EXPECT_EQ(root["language"], "CHT");
    ASSERT_EQ(root["topClasses"].size(), 5u);
    size_t subSystems = 0, details = 0;
    for (const auto& top : root["topClasses"]) {
        for (const auto& sub : top["subSystems"]) {
            ++subSystems;
            for (const auto& func : sub["subFunctions"]) details += func["details"].size();
        }
    }
    EXPECT_EQ(subSystems, 16u);
    EXPECT_EQ(details, 60u);
    const auto& ledger = root["topClasses"][1]["subSystems"][0];
    EXPECT_EQ(ledger["FSubSysID"], 201);
    EXPECT_EQ(ledger["FName"], "總帳");
    EXPECT_EQ(ledger["FName_EN"], "General Ledger");
    const auto& chart = ledger["subFunctions"][0]["details"][0];
    EXPECT_EQ(chart["FClassParam"], "Base|1001");
    EXPECT_EQ(chart["FIndex"], 1);
    EXPECT_EQ(chart["FVisible"], true);
}

TEST(CatalogCommand, ShowsWhatAWriterCreated) {
    TestAccount account(false);
    components::CatalogWriter writer(account.Address());
    auto data = components::Dictionary::Create();
    data->SetValue(u"FTopClassName", u"质量管理");
    int32_t top = writer.CreateTopClass(1, *data);
    data->SetValue(u"FSysName", u"检验");
    int32_t sub = writer.CreateSubSys(top, 1, *data);
    auto result = RunTool({"catalog", "--catalog", account.FileName()});
    EXPECT_EQ(result.out, "质量管理 (" + std::to_string(top) + ")\n  检验 (" + std::to_string(sub) + ")\n");
}

TEST(CatalogCommand, AMissingAccountFailsNamingTheFile) {
    orva::testing::TempDir dir;
    std::string missing = (dir / "missing.db").string();
    auto result = RunTool({"catalog", "--catalog", missing});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_NE(result.err.find(missing + ": no such account database"), std::string::npos) << result.err;
    EXPECT_FALSE(std::filesystem::exists(missing));
}

}  // namespace
}  // namespace orva::cli
