// An account made by the first release (schema version 1: the demo suite plus the English sample
// packet and a function with non-ASCII lower-case names, deployed by that release's orva-deploy; see
// tests/data/README.md) opened by this one: copied aside, migrated, and deployed into again.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>

#include "account/AccountCreation.h"
#include "account/AccountSchema.h"
#include "api/clsDeploywizard.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "catalog/DeployHistory.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "core/RunUndo.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "storage/SqliteDatabase.h"
#include "storage/Statement.h"
#include "support/CatalogueDump.h"
#include "support/TempDir.h"

namespace orva::api {
namespace {

using namespace automation;
using namespace components;
using OpenMode = SqliteDatabase::OpenMode;

const std::string kVersionOne = ORVA_SOURCE_DIR "/tests/data/account-v1.db";

// Each parent's children in sibling order, as "parent:id,id,..", for every level.
std::map<std::string, std::string> SiblingOrders(SqliteDatabase& database) {
    std::map<std::string, std::string> orders;
    const char* queries[] = {
        "SELECT 'top', group_concat(FTopClassID) FROM (SELECT * FROM t_TopClass ORDER BY FIndex, "
        "FTopClassID)",
        "SELECT 'sub' || FTopClassID, group_concat(FSubSysID) FROM (SELECT * FROM t_SubSystem ORDER BY "
        "FIndex, "
        "FSubSysID) GROUP BY FTopClassID",
        "SELECT 'func' || FSubSysID, group_concat(FSubFuncID) FROM (SELECT * FROM t_SubFunc ORDER BY FIndex, "
        "FSubFuncID) GROUP BY FSubSysID",
        "SELECT 'detail' || FSubFuncID, group_concat(FDetailFuncID) FROM (SELECT * FROM t_DetailFunc ORDER "
        "BY "
        "FIndex, FDetailFuncID) GROUP BY FSubFuncID",
    };
    auto shared = DatabaseRef(&database, [](SqliteDatabase*) {});
    for (const char* sql : queries) {
        Statement rows(shared, sql);
        while (rows.Step()) orders[ToUtf8(rows.ColumnText(0))] = ToUtf8(rows.ColumnText(1));
    }
    return orders;
}

class UpgradedAccount : public ::testing::Test {
protected:
    UpgradedAccount() : m_path((m_dir / "account.db").string()) {
        std::filesystem::copy_file(kVersionOne, m_path);
        // Siblings of version 1 could share an index (two deployments at once): give the demo's
        // subsystem 203 the index of its sibling 202.
        auto database = SqliteDatabase::Open(m_path, OpenMode::ReadWrite);
        database->Execute(
            "UPDATE t_SubSystem SET FIndex = (SELECT FIndex FROM t_SubSystem WHERE FSubSysID = 202) "
            "WHERE FSubSysID = 203");
        m_ordersBefore = SiblingOrders(*database);
    }
    ~UpgradedAccount() override { SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid())); }

    void Publish(const std::string& language) {
        PublishOwnProperty(u"Language", FromUtf8(language));
        PublishOwnProperty(u"PropsString",
                           FromUtf8("Language=" + language + ";ConnectString=sqlite:" + m_path + ";"));
        hostctx::ResetModuleState();
    }

    orva::testing::TempDir m_dir;
    std::string m_path;
    std::map<std::string, std::string> m_ordersBefore;
};

TEST_F(UpgradedAccount, IsCopiedAsideThenMigratedWithKeysByTheLibrarysRuleAndUniqueIndexes) {
    ASSERT_EQ(SqliteDatabase::Open(kVersionOne, OpenMode::ReadOnly)->QueryInteger("PRAGMA user_version"), 1);
    std::filesystem::copy_file(m_path, m_path + ".v1.bak");  // a copy from an earlier attempt: kept
    auto database = SqliteDatabase::Open(m_path, OpenMode::ReadWrite);
    ::testing::internal::CaptureStderr();
    PrepareAccount(*database);
    std::string said = ::testing::internal::GetCapturedStderr();
    std::string copy = m_path + ".v1.bak.2";
    EXPECT_NE(said.find(copy), std::string::npos) << said;
    EXPECT_NE(said.find("from schema version 1 to " + std::to_string(LatestAccountSchemaVersion())),
              std::string::npos)
        << said;

    auto backup = SqliteDatabase::Open(copy, OpenMode::ReadOnly);
    EXPECT_EQ(backup->QueryInteger("PRAGMA user_version"), 1);
    EXPECT_EQ(backup->QueryInteger("SELECT count(*) FROM t_DetailFunc"), 68);
    EXPECT_EQ(SiblingOrders(*backup), m_ordersBefore) << "the copy is the account as it was";

    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t_DetailFunc"), 68);
    EXPECT_EQ(database->QueryInteger("PRAGMA foreign_key_check"), 0);
    EXPECT_EQ(SiblingOrders(*database), m_ordersBefore) << "ties are renumbered in their order";
    struct Key {
        const char* table;
        const char* condition;
        const char* keys;  // CHS|CHT|EN
    };
    const Key keys[] = {
        {"t_TopClass", "FTopClassName_CHS = 'Ärger'", "ÄRGER|ÄRGER|ÄRGER"},
        {"t_SubSystem", "FName_CHS = 'straße '", "STRAßE|STRAßE|STRAßE"},  // simple mapping keeps ß
        {"t_SubFunc", "FFuncName_CHS = ' ölfeld'", "ÖLFELD|ÖLFELD|ÖLFELD"},
        {"t_DetailFunc", "FFuncName_CHS = 'ébène-Ändern'", "ÉBÈNE-ÄNDERN|ÉBÈNE-ÄNDERN|ÉBÈNE-ÄNDERN"},
        {"t_TopClass", "FTopClassID = 3", "供应链|供應鏈|SUPPLY CHAIN"},
        {"t_SubSystem", "FSubSysID = 301", "采购管理|採購管理|PURCHASING"},
    };
    auto shared = DatabaseRef(database.get(), [](SqliteDatabase*) {});
    for (const Key& key : keys) {
        Statement row(shared,
                      std::string("SELECT FNameKey_CHS || '|' || FNameKey_CHT || '|' || FNameKey_EN FROM ") +
                          key.table + " WHERE " + key.condition);
        ASSERT_TRUE(row.Step()) << key.condition;
        EXPECT_EQ(ToUtf8(row.ColumnText(0)), key.keys) << key.condition;
    }
    const char* ties[] = {
        "SELECT count(*) FROM (SELECT 1 FROM t_TopClass GROUP BY FIndex HAVING count(*) > 1)",
        "SELECT count(*) FROM (SELECT 1 FROM t_SubSystem GROUP BY FTopClassID, FIndex HAVING count(*) > 1)",
        "SELECT count(*) FROM (SELECT 1 FROM t_SubFunc GROUP BY FSubSysID, FIndex HAVING count(*) > 1)",
        "SELECT count(*) FROM (SELECT 1 FROM t_DetailFunc GROUP BY FSubFuncID, FIndex HAVING count(*) > 1)",
    };
    for (const char* sql : ties) EXPECT_EQ(database->QueryInteger(sql), 0) << sql;
    EXPECT_THROW(database->Execute("UPDATE t_SubSystem SET FIndex = 1 WHERE FTopClassID = 2"),
                 AutomationError)
        << "sibling indexes are unique now";

    // Opened again: current, so neither copied nor migrated.
    ::testing::internal::CaptureStderr();
    PrepareAccount(*database);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(std::filesystem::exists(m_path + ".v1.bak.3"));
}

TEST_F(UpgradedAccount, DeployingItsPacketsAgainInAnyLanguageFindsEveryNodeAndFunction) {
    // Version 1 named the English deployment's nodes in English in every column; the Chinese packet
    // still finds them, through the English names its entries carry beside their own.
    Text file = FromUtf8(ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat");
    auto before = orva::testing::CataloguePaths(m_path);
    for (const char* language : {"EN", "CHS", "CHT"}) {
        Publish(language);
        ::testing::internal::CaptureStderr();  // the copy made at the first open says so
        clsDeploywizard wizard;
        DictionaryRef info;
        VectorRef messages;
        EXPECT_TRUE(wizard.DeployToLumoMain(file, info, messages)) << language;
        ::testing::internal::GetCapturedStderr();
        ASSERT_EQ(messages->Count(), 9) << language << ": eight refusals and the end";
        Text present = hostctx::TranslateText(u"%1失败，原因在于该功能已在主控台中存在！");
        Text tail = present.substr(present.find(u"%1") + 2);
        for (int32_t i = 1; i <= 8; ++i) {
            EXPECT_TRUE(messages->Item(i).ToText().ends_with(tail))
                << language << ": " << ToUtf8(messages->Item(i).ToText());
        }
    }
    EXPECT_EQ(orva::testing::CataloguePaths(m_path), before);
}

// An account of version 2 (made by the release before the deployment journal, tests/data/README.md):
// copied aside, given an empty journal, and journaled from the next deployment on.
TEST(VersionTwoAccount, GetsAnEmptyJournalThatTheNextDeploymentFillsAndAnUndoEmpties) {
    orva::testing::TempDir dir;
    std::string path = (dir / "旧账套.db").string();
    std::filesystem::copy_file(ORVA_SOURCE_DIR "/tests/data/account-v2.db", path);
    {
        auto database = SqliteDatabase::Open(path, OpenMode::ReadWrite);
        ASSERT_EQ(AccountSchemaVersion(*database), 2);
        std::vector<int64_t> nodesBefore = database->QueryIntegers(
            "SELECT (SELECT count(*) FROM t_TopClass), "
            "(SELECT count(*) FROM t_SubFunc), "
            "(SELECT sum(FDetailFuncID) FROM t_DetailFunc)");
        ::testing::internal::CaptureStderr();
        PrepareAccount(*database);
        std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find(path + ".v2.bak"), std::string::npos) << said;
        EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
        EXPECT_EQ(database->QueryInteger("SELECT (SELECT count(*) FROM t_DeployRun) + (SELECT count(*) FROM "
                                         "t_DeployRunNode) + (SELECT count(*) FROM t_DeployRunMessage)"),
                  0);
        EXPECT_EQ(database->QueryInteger("PRAGMA foreign_key_check"), 0);
        EXPECT_EQ(database->QueryIntegers("SELECT (SELECT count(*) FROM t_TopClass), (SELECT count(*) FROM "
                                          "t_SubFunc), (SELECT sum(FDetailFuncID) FROM t_DetailFunc)"),
                  nodesBefore);
    }
    auto before = orva::testing::CataloguePaths(path);
    EXPECT_EQ(SqliteDatabase::Open(path + ".v2.bak", OpenMode::ReadOnly)->QueryInteger("PRAGMA user_version"),
              2);

    // A function the kept account lacks, deployed in English; then undone.
    PublishOwnProperty(u"Language", u"EN");
    PublishOwnProperty(u"PropsString", FromUtf8("Language=EN;ConnectString=sqlite:" + path + ";"));
    hostctx::ResetModuleState();
    orva::testing::TempDir packets;
    Text file = FromUtf8((packets / "one.Dat").string());
    {
        auto selection = Dictionary::Create();
        selection->SetValue(core::selection::kTopClass, core::ComposeKeyedEntry(u"Journal", u"0"));
        selection->SetValue(core::selection::kSubSystem, core::ComposeKeyedEntry(u"Sub", u"0"));
        selection->SetValue(core::selection::kSubFunc, core::ComposeKeyedEntry(u"Func", u"0"));
        selection->SetValue(core::selection::kFuncDetail, core::ComposeKeyedEntry(u"Detail", u"Base|1"));
        selection->SetValue(core::selection::kNo, u"[Detail]");
        auto selections = Vector::Create();
        selections->Add(Variant(std::static_pointer_cast<Object>(selection)));
        auto set = Dictionary::Create();
        for (const char16_t* language : {u"CHS", u"CHT", u"EN"})
            set->SetValue(language,
                          Variant(std::static_pointer_cast<Object>(core::BuildDeployPacket(*selections))));
        set->Save(file);
    }
    clsDeploywizard wizard;
    DictionaryRef info;
    VectorRef messages;
    ASSERT_TRUE(wizard.DeployToLumoMain(file, info, messages))
        << ToUtf8(messages->Item(messages->Count()).ToText());
    auto database = SqliteDatabase::Open(path, OpenMode::ReadOnly);
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t_DeployRunNode WHERE FRunID = 1"), 4);
    EXPECT_EQ(
        database->QueryInteger("SELECT count(*) FROM t_DeployRun WHERE FOrigin = 'host' AND FResult = 1 "
                               "AND FLanguage = 'EN' AND FFinished IS NOT NULL"),
        1);
    VectorRef undone;
    EXPECT_TRUE(core::UndoJournalRun({path}, 1, false, undone));
    EXPECT_EQ(orva::testing::CataloguePaths(path), before);
    SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
}

// An account of version 3 (its journal holds the demo's run and a deployment's, tests/data/README.md):
// migrated, it keeps every journal row and loses only the index by node; the earlier release's
// deployment is then undone exactly, leaving what the demo's run made.
TEST(VersionThreeAccount, KeepsItsJournalAndAnEarlierReleasesRunIsUndoneExactly) {
    orva::testing::TempDir dir;
    std::string path = (dir / "账套三.db").string();
    std::filesystem::copy_file(ORVA_SOURCE_DIR "/tests/data/account-v3.db", path);
    const char* journalRows =
        "SELECT (SELECT count(*) FROM t_DeployRun), (SELECT count(*) FROM t_DeployRunMessage), "
        "(SELECT count(*) FROM t_DeployRunNode), (SELECT sum(FNodeID) FROM t_DeployRunNode WHERE FRunID = "
        "2), "
        "(SELECT count(*) FROM sqlite_schema WHERE name = 'ix_DeployRunNode_Node')";
    std::vector<int64_t> before;
    {
        auto database = SqliteDatabase::Open(path, OpenMode::ReadWrite);
        ASSERT_EQ(AccountSchemaVersion(*database), 3);
        before = database->QueryIntegers(journalRows);
        ASSERT_EQ(before.back(), 1);
        ::testing::internal::CaptureStderr();
        PrepareAccount(*database);
        EXPECT_NE(::testing::internal::GetCapturedStderr().find(path + ".v3.bak"), std::string::npos);
        EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
        std::vector<int64_t> after = database->QueryIntegers(journalRows);
        before.back() = 0;
        EXPECT_EQ(after, before);
        // Each run's rows are numbered from 1 in the order readers list them: by level, then id.
        EXPECT_EQ(database->QueryInteger(
                      "SELECT count(*) FROM t_DeployRunNode n WHERE FEntryID = FRunID * 4294967296 + "
                      "(SELECT count(*) FROM t_DeployRunNode m WHERE m.FRunID = n.FRunID AND (m.FLevel, "
                      "m.FNodeID) <= (n.FLevel, n.FNodeID))"),
                  after[2]);
        EXPECT_EQ(database->QueryInteger("PRAGMA foreign_key_check"), 0);
    }
    AccountAddress account{path};
    std::vector<HistoryRun> runs = ListJournalRuns(account, std::nullopt);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].origin, u"deploy");
    EXPECT_EQ(runs[0].created, 11);
    EXPECT_EQ(runs[1].origin, u"init");

    // What the demo's run alone made: every node the deployment created gone, nothing else.
    std::optional<HistoryRunDetail> init = ReadJournalRun(account, 1);
    ASSERT_TRUE(init);
    std::multiset<int64_t> initNodes;
    for (const JournalNode& node : init->nodes) initNodes.insert(node.level * 10'000'000'000LL + node.id);
    PublishOwnProperty(u"Language", u"CHS");
    PublishOwnProperty(u"PropsString", FromUtf8("Language=CHS;ConnectString=sqlite:" + path + ";"));
    hostctx::ResetModuleState();
    VectorRef undone;
    ASSERT_TRUE(core::UndoJournalRun(account, 2, false, undone));
    EXPECT_EQ(ListJournalRuns(account, std::nullopt)[1].undoneBy, std::optional<int32_t>(3));
    auto database = SqliteDatabase::Open(path, OpenMode::ReadOnly);
    std::multiset<int64_t> standing;
    Statement rows(DatabaseRef(database.get(), [](SqliteDatabase*) {}),
                   "SELECT 1, FTopClassID FROM t_TopClass UNION ALL SELECT 2, FSubSysID FROM t_SubSystem "
                   "UNION ALL SELECT 3, FSubFuncID FROM t_SubFunc UNION ALL SELECT 4, FDetailFuncID FROM "
                   "t_DetailFunc");
    while (rows.Step()) standing.insert(rows.ColumnInteger(0) * 10'000'000'000LL + rows.ColumnInteger(1));
    EXPECT_EQ(standing, initNodes);
    SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
}

TEST(NewAccount, IsCreatedAtTheLatestVersionDirectly) {
    orva::testing::TempDir dir;
    std::string path = (dir / "new.db").string();
    CreateAccountFile(path, {.demo = true});
    auto database = SqliteDatabase::Open(path, OpenMode::ReadOnly);
    EXPECT_EQ(AccountSchemaVersion(*database), LatestAccountSchemaVersion());
    EXPECT_EQ(database->QueryInteger("SELECT count(*) FROM t_TopClass WHERE FNameKey_EN = 'SUPPLY CHAIN'"),
              1);
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
        EXPECT_EQ(entry.path().filename().string().find(".bak"), std::string::npos) << entry.path();
    }
}

}  // namespace
}  // namespace orva::api
