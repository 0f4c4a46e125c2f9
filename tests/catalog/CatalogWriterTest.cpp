#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <barrier>
#include <map>
#include <thread>

#include "account/AccountConnections.h"
#include "account/DeployJournal.h"
#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "support/AccountFixture.h"
#include "support/ErrorNumber.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::CallByName;
using automation::ObjectRef;
using automation::Text;
using automation::Variant;
using testing::ScopedPropsString;
using testing::TestAccount;

DictionaryRef Data(std::initializer_list<std::pair<const char16_t*, Variant>> fields) {
    DictionaryRef data = Dictionary::Create();
    for (const auto& [key, value] : fields) data->SetValue(key, value);
    return data;
}

// A create call by name, the dictionary passed by reference with the trailing true, as the engine
// makes it.
Variant Create(const ObjectRef& writer, const char16_t* member, std::vector<Variant> args) {
    args.push_back(true);
    return CallByName(writer, member, args);
}

using orva::testing::ErrorNumberOf;

TEST(CatalogWriter, CreatedNodesReadBackWithTheirNamesAndIdentifiers) {
    TestAccount account(false);
    ScopedPropsString props("Language=EN;ConnectString=" + account.ConnectString() + ";");
    ObjectRef writer = automation::CreateObject(CatalogWriter::kProgId);
    const Variant zero(int16_t{0});

    Variant top = Create(
        writer, u"CreateTopClass",
        {Variant(1), Data({{u"FTopClassID", zero}, {u"FTopClassName", u"质量管理"}, {u"FVisible", true}})});
    Variant sub = Create(writer, u"CreateSubSys",
                         {top, Variant(1),
                          Data({{u"FSubSysID", zero},
                                {u"FSysName", u"检验"},
                                {u"FClassName", u"OrvaHost.Application"},
                                {u"FSubID", u"orvahost"},
                                {u"FVisible", true}})});
    Variant func = Create(writer, u"CreateSubFunc",
                          {sub, Variant(2),
                           Data({{u"FSubFuncID", zero},
                                 {u"FFuncName", u"基础资料"},
                                 {u"FClassName", u"OrvaHost.Application"},
                                 {u"FVisible", true}})});
    Variant detail = Create(writer, u"CreateDetailFunc",
                            {func, Variant(3),
                             Data({{u"NewName", u"质检方案-维护"},
                                   {u"FFuncName", u"质检方案-维护"},
                                   {u"FDetailFuncID", zero},
                                   {u"FClassName", u"OrvaHost.Application"},
                                   {u"FClassParam", u"Base|200000011"},
                                   {u"FHelpCode", Text()}})});

    CatalogReader reader;  // the host's account and language, as the engine reads them
    auto tops = reader.GetTopClass_All();
    EXPECT_EQ(tops->Field(u"FTopClassID"), top);
    for (const char16_t* field :
         {u"FTopClassName", u"FTopClassName_CHS", u"FTopClassName_CHT", u"FTopClassName_EN"}) {
        EXPECT_EQ(tops->Field(field), Variant(u"质量管理")) << automation::ToUtf8(field);
    }
    auto subs = reader.GetSubSystem_All(top.ToInt32());
    EXPECT_EQ(subs->Field(u"FSubSysID"), sub);
    EXPECT_EQ(subs->Field(u"FName"), Variant(u"检验"));
    EXPECT_EQ(subs->Field(u"FSubID"), Variant(u"orvahost"));
    auto funcs = reader.GetSubFunc_All(sub.ToInt32());
    EXPECT_EQ(funcs->Field(u"FSubFuncID"), func);
    EXPECT_EQ(funcs->Field(u"FFuncName_EN"), Variant(u"基础资料"));
    EXPECT_EQ(funcs->Field(u"FIndex"), Variant(2));
    auto details = reader.GetDetailFunc_All(func.ToInt32());
    EXPECT_EQ(details->Field(u"FDetailFuncID"), detail);
    EXPECT_EQ(details->Field(u"FFuncName"), Variant(u"质检方案-维护"));
    EXPECT_EQ(details->Field(u"FClassParam"), Variant(u"Base|200000011"));
    EXPECT_EQ(details->Field(u"FHelpCode"), Variant(Text()));
    EXPECT_EQ(details->Field(u"FIndex"), Variant(3));
    EXPECT_EQ(details->Field(u"FVisible"), Variant(1));
    EXPECT_EQ(account.Count(
                  "SELECT FNameKey_CHS = '质检方案-维护' AND FNameKey_EN = FNameKey_CHS FROM t_DetailFunc"),
              1);
}

TEST(CatalogWriter, ANameThatIsAlreadyThereGivesTheExistingNode) {
    TestAccount account;
    CatalogWriter writer(account.Address());
    // The demo's Sales (302) under Supply Chain (3); the name key ignores case and outer blanks.
    EXPECT_EQ(writer.CreateTopClass(9, *Data({{u"FTopClassName", u" 供应链 "}})), 3);
    EXPECT_EQ(writer.CreateSubSys(3, 9, *Data({{u"FSysName", u"销售管理"}})), 302);
    EXPECT_EQ(writer.CreateSubFunc(302, 9, *Data({{u"FFuncName", u"基础资料 "}})), 1071);
    // A hidden node is found as well, and stays hidden.
    EXPECT_EQ(writer.CreateSubFunc(403, 9, *Data({{u"FFuncName", u"车间作业(旧版)"}})), 1122);
    EXPECT_EQ(account.Count("SELECT FVisible FROM t_SubFunc WHERE FSubFuncID = 1122"), 0);
    // A function detail is the same only with the same class parameter, compared exactly.
    EXPECT_EQ(
        writer.CreateDetailFunc(1071, 9, *Data({{u"FFuncName", u"客户"}, {u"FClassParam", u"Base|1003"}})),
        10181);
    int32_t other =
        writer.CreateDetailFunc(1071, 9, *Data({{u"FFuncName", u"客户"}, {u"FClassParam", u"base|1003"}}));
    EXPECT_GT(other, 10321);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), 5);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubFunc"), 34);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_DetailFunc"), 61);
}

// A node's journal row, as text: every column, NULL where the level has no such attribute.
std::string JournalRow(const JournalNode& node) {
    std::string row = std::to_string(node.level) + " " + std::to_string(node.id) + " " +
                      std::to_string(node.parentId) + " " + std::to_string(node.index);
    for (const Text& name : node.names) row += " " + automation::ToUtf8(name);
    for (const auto& value : {node.className, node.subId, node.classParam, node.helpCode})
        row += " " + (value ? "'" + automation::ToUtf8(*value) + "'" : std::string("NULL"));
    return row + (node.visible ? " shown" : " hidden");
}

TEST(CatalogWriter, InsideAJournalRunEveryNodeItCreatesIsJournaledAsStoredAndAFoundOneIsNot) {
    TestAccount account;
    JournalRunInfo info;
    info.language = u"CHS";
    JournalRun run(account.Address(), info);
    CatalogWriter writer(account.Address());
    int32_t top = writer.CreateTopClass(
        9, *Data({{u"FTopClassName", u"质量"}, {u"FTopClassName_EN", u"Quality"}, {u"FVisible", false}}));
    int32_t sub = writer.CreateSubSys(
        top, 1, *Data({{u"FSysName", u"检验"}, {u"FClassName", u"Host.A"}, {u"FSubID", u"qa"}}));
    int32_t func = writer.CreateSubFunc(sub, 1, *Data({{u"FFuncName", u"日常"}, {u"FClassName", u"Host.B"}}));
    auto detail = [&](const char16_t* name, const char16_t* param) {
        return writer.CreateDetailFunc(
            func, 1, *Data({{u"FFuncName", name}, {u"FClassParam", param}, {u"FHelpCode", u"H7"}}));
    };
    int32_t first = detail(u"来料", u"Bill|1");
    int32_t second = detail(u"来料", u"Bill|2");  // index 1 is taken: stored at 2
    EXPECT_EQ(writer.CreateSubSys(3, 9, *Data({{u"FSysName", u"销售管理"}})), 302) << "found, not created";

    const std::string n = std::to_string(top), s = std::to_string(sub), f = std::to_string(func);
    std::vector<std::string> expected = {
        "1 " + n + " 0 9 质量 质量 Quality NULL NULL NULL NULL hidden",
        "2 " + s + " " + n + " 1 检验 检验 检验 'Host.A' 'qa' NULL NULL shown",
        "3 " + f + " " + s + " 1 日常 日常 日常 'Host.B' NULL NULL NULL shown",
        "4 " + std::to_string(first) + " " + f +
            " 1 来料 来料 来料 'OrvaHost.Application' NULL 'Bill|1' 'H7' shown",
        "4 " + std::to_string(second) + " " + f +
            " 2 来料 来料 来料 'OrvaHost.Application' NULL 'Bill|2' 'H7' shown",
    };
    std::vector<std::string> journaled;
    for (const JournalNode& node : ReadJournalNodes(*OpenAccount(account.Address()), run.Id()))
        journaled.push_back(JournalRow(node));
    EXPECT_EQ(journaled, expected);
}

TEST(CatalogWriter, BadArgumentsWriteNothing) {
    TestAccount account;
    CatalogWriter writer(account.Address());
    Text description;
    EXPECT_EQ(ErrorNumberOf(
                  [&] {
                      writer.CreateSubSys(77, 1, *Data({{u"FSysName", u"孤儿"}}));
                  },
                  &description),
              automation::errors::kInvalidCall);
    EXPECT_NE(description.find(u"top class with the identifier 77"), Text::npos);
    EXPECT_EQ(ErrorNumberOf([&] {
                  writer.CreateTopClass(1, *Data({{u"FTopClassName", u"   "}}));
              }),
              automation::errors::kInvalidCall);
    EXPECT_EQ(ErrorNumberOf([&] {
                  writer.CreateTopClass(-1, *Data({{u"FTopClassName", u"负"}}));
              }),
              automation::errors::kInvalidCall);
    EXPECT_EQ(account.Count("SELECT (SELECT count(*) FROM t_TopClass) + (SELECT count(*) FROM t_SubSystem)"),
              21);
}

TEST(CatalogWriter, AReadOnlyAccountRefusesWritesWithSQLitesMessage) {
    TestAccount account;
    ScopedPropsString props("ConnectString=sqlite:" + account.FileName() + "?mode=ro;");
    CatalogWriter writer;
    Text description;
    EXPECT_EQ(ErrorNumberOf(
                  [&] {
                      writer.CreateTopClass(6, *Data({{u"FTopClassName", u"新"}}));
                  },
                  &description),
              kDatabaseError);
    EXPECT_EQ(description,
              automation::FromUtf8(account.FileName() + ": attempt to write a readonly database"));
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), 5);
    EXPECT_FALSE(CatalogReader().GetTopClass_All()->IsEOF()) << "reading still works";
}

TEST(CatalogWriter, ThreadsCreatingTheSameNodesAtOnceMakeEachOnce) {
    TestAccount account(false);
    constexpr int kThreads = 4;
    constexpr int kNodes = 40;
    std::barrier start(kThreads);
    std::vector<std::vector<int32_t>> ids(kThreads);
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            try {
                for (int i = 0; i < kNodes; ++i) {
                    // Every thread walks the same names, each in its own letter case.
                    Text name = u"Node " + automation::Int32ToText(i);
                    if (t % 2) name = automation::UCase(name);
                    CatalogWriter writer(account.Address());
                    int32_t top = writer.CreateTopClass(i, *Data({{u"FTopClassName", name}}));
                    ids[t].push_back(top);
                    ids[t].push_back(writer.CreateSubSys(top, 1, *Data({{u"FSysName", name}})));
                }
            } catch (const AutomationError& error) {
                ADD_FAILURE() << error.what();
                ++failures;
            }
        });
    }
    for (auto& thread : threads) thread.join();
    ASSERT_EQ(failures, 0);
    for (int t = 1; t < kThreads; ++t) EXPECT_EQ(ids[t], ids[0]);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), kNodes);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubSystem"), kNodes);
}

TEST(CatalogWriter, ProcessesCreatingTheSameNodesAtOnceMakeEachOnce) {
    TestAccount account(false);
    constexpr int kNodes = 60;
    // Each child uses connections of its own: the parent opens none before forking.
    std::vector<pid_t> children;
    for (int child = 0; child < 2; ++child) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            int status = 0;
            try {
                CatalogWriter writer(account.Address());
                for (int i = 0; i < kNodes; ++i) {
                    int32_t top = writer.CreateTopClass(
                        i, *Data({{u"FTopClassName", u"共享 " + automation::Int32ToText(i)}}));
                    writer.CreateDetailFunc(
                        writer.CreateSubFunc(writer.CreateSubSys(top, 1, *Data({{u"FSysName", u"子系统"}})),
                                             1, *Data({{u"FFuncName", u"功能"}})),
                        1, *Data({{u"FFuncName", u"明细"}, {u"FClassParam", u"Base|1"}}));
                }
            } catch (...) {
                status = 1;
            }
            _exit(status);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), kNodes);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubSystem"), kNodes);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubFunc"), kNodes);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_DetailFunc"), kNodes);
}

TEST(CatalogWriter, ACreateFindsASiblingByItsNameInAnyLanguageAndSaysWhetherItCreated) {
    TestAccount account(false);
    ScopedPropsString props("ConnectString=" + account.ConnectString() + ";");
    ObjectRef writer = automation::CreateObject(CatalogWriter::kProgId);
    auto create = [&](std::initializer_list<std::pair<const char16_t*, Variant>> fields) {
        DictionaryRef data = Data(fields);
        Variant id = Create(writer, u"CreateTopClass", {Variant(1), data});
        return std::pair{id.ToInt32(), data->Value(kCreatedField)};
    };
    auto [first, made] = create({{u"FTopClassName", u"供应链"},
                                 {u"FTopClassName_CHT", u"供應鏈"},
                                 {u"FTopClassName_EN", u"Supply Chain"}});
    EXPECT_EQ(made, Variant(true));
    struct Case {
        const char* what;
        std::initializer_list<std::pair<const char16_t*, Variant>> data;
        bool found;
    };
    const Case cases[] = {
        {"its Chinese name", {{u"FTopClassName", u"供应链"}}, true},
        {"its English name, other case and blanks, as the plain name",
         {{u"FTopClassName", u" supply CHAIN "}},
         true},
        {"its traditional name given as the English one",
         {{u"FTopClassName", u"x"}, {u"FTopClassName_EN", u"供應鏈"}},
         true},
        {"one name of three matching is enough",
         {{u"FTopClassName", u"新"}, {u"FTopClassName_CHT", u"新"}, {u"FTopClassName_EN", u"SUPPLY chain"}},
         true},
        {"a name no sibling has in any language", {{u"FTopClassName", u"Supply"}}, false},
    };
    for (const Case& c : cases) {
        auto [id, created] = create(c.data);
        EXPECT_EQ(created, Variant(!c.found)) << c.what;
        EXPECT_EQ(id == first, c.found) << c.what;
    }
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_TopClass"), 2);
    EXPECT_EQ(account.Count("SELECT count(DISTINCT FIndex) FROM t_TopClass"), 2)
        << "the index given twice, taken once";
    EXPECT_EQ(account.Count("SELECT FNameKey_EN = 'SUPPLY CHAIN' AND FNameKey_CHT = '供應鏈' FROM t_TopClass "
                            "WHERE FTopClassID = " +
                            std::to_string(first)),
              1);
}

TEST(CatalogWriter, AFunctionDetailIsFoundOnlyWithAnEqualClassParameter) {
    TestAccount account(false);
    CatalogWriter writer(account.Address());
    int32_t func =
        writer.CreateSubFunc(writer.CreateSubSys(writer.CreateTopClass(1, *Data({{u"FTopClassName", u"T"}})),
                                                 1, *Data({{u"FSysName", u"S"}})),
                             1, *Data({{u"FFuncName", u"F"}}));
    int32_t detail = writer.CreateDetailFunc(
        func, 1,
        *Data(
            {{u"FFuncName", u"报价单-新增"}, {u"FFuncName_EN", u"Quote-New"}, {u"FClassParam", u"Bill|7"}}));
    struct Case {
        const char* what;
        const char16_t* name;
        const char16_t* classParam;
        bool found;
    };
    const Case cases[] = {
        {"same Chinese name, same parameter", u"报价单-新增", u"Bill|7", true},
        {"English name in other case", u"quote-new ", u"Bill|7", true},
        {"same name, parameter in other case", u"报价单-新增", u"bill|7", false},
        {"same name, parameter with a blank", u"Quote-New", u"Bill|7 ", false},
    };
    for (const Case& c : cases) {
        bool created = false;
        int32_t id = writer.CreateDetailFunc(
            func, 1, *Data({{u"FFuncName", c.name}, {u"FClassParam", c.classParam}}), &created);
        EXPECT_EQ(created, !c.found) << c.what;
        EXPECT_EQ(id == detail, c.found) << c.what;
    }
    // A blank FFuncName takes NewName, in every language.
    bool created = true;
    EXPECT_EQ(
        writer.CreateDetailFunc(
            func, 1, *Data({{u"FFuncName", u"  "}, {u"NewName", u"QUOTE-NEW"}, {u"FClassParam", u"Bill|7"}}),
            &created),
        detail);
    EXPECT_FALSE(created);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_DetailFunc"), 3);
    EXPECT_EQ(account.Count("SELECT count(*) FROM (SELECT DISTINCT FIndex FROM t_DetailFunc) AS indexes"), 3);
}

TEST(CatalogWriter, ATakenSiblingIndexGivesTheNextFreeOneAndTheTopOfTheRangeIsAClearError) {
    TestAccount account(false);
    CatalogWriter writer(account.Address());
    CatalogReader reader(account.Address(), CatalogLanguage::CHS);
    int32_t top = writer.CreateTopClass(5, *Data({{u"FTopClassName", u"T"}}));
    struct Step {
        int32_t given;
        int32_t stored;  // 0: the create fails with 6
    };
    const Step steps[] = {{3, 3}, {3, 4}, {1, 1}, {1, 5}, {2147483646, 2147483646}, {3, 2147483647}, {1, 0}};
    int n = 0;
    for (const Step& step : steps) {
        Text name = u"S" + automation::Int32ToText(++n);
        if (step.stored == 0) {
            Text description;
            EXPECT_EQ(ErrorNumberOf(
                          [&] {
                              writer.CreateSubSys(top, step.given, *Data({{u"FSysName", name}}));
                          },
                          &description),
                      automation::errors::kOverflow);
            EXPECT_NE(description.find(u"2147483647"), Text::npos) << automation::ToUtf8(description);
            continue;
        }
        int32_t id = writer.CreateSubSys(top, step.given, *Data({{u"FSysName", name}}));
        EXPECT_EQ(account.Count("SELECT FIndex FROM t_SubSystem WHERE FSubSysID = " + std::to_string(id)),
                  step.stored)
            << "given " << step.given;
    }
    EXPECT_EQ(ErrorNumberOf([&] { reader.GetNextIndex(2, top); }), automation::errors::kOverflow)
        << "the next index past 2147483647 is an error, not a wrap";
    EXPECT_EQ(reader.GetNextIndex(1, 0), 6);
    EXPECT_EQ(account.Count("SELECT count(*) FROM t_SubSystem"), 6);
}

// When a new node's names match several siblings, in one language or across languages, the create
// returns the first of them in sibling order (FIndex), whatever their identifiers, the languages that
// matched or the order they were made in. A node under another parent, or a detail with another class
// parameter, never counts, even at a lower index.
TEST(CatalogWriter, NamesMatchingSeveralSiblingsGiveTheFirstInSiblingOrder) {
    TestAccount account(false);
    CatalogWriter writer(account.Address());
    auto named = [](const CatalogLevel& level, const Text& chs, const Text& cht, const Text& en,
                    const char16_t* classParam = u"P") {
        DictionaryRef data = Dictionary::Create();
        data->SetValue(level.createNameField, chs);
        data->SetValue(LanguageField(level.createNameField, CatalogLanguage::CHT), cht);
        data->SetValue(LanguageField(level.createNameField, CatalogLanguage::EN), en);
        if (level.identityField) data->SetValue(level.identityField, classParam);
        return data;
    };
    int chains = 0;
    // A new parent for the level's nodes: a chain of fresh names down to the level above.
    auto newParent = [&](const CatalogLevel& level) {
        int32_t parent = 0;
        for (const CatalogLevel* up = &kTopClassLevel; up != &level; up = up->Child()) {
            const Text name = u"上级" + automation::Int32ToText(++chains);
            parent = writer.Create(*up, parent, 1, *named(*up, name, name, name));
        }
        return parent;
    };
    struct Probe {
        const char16_t *chs, *cht, *en;
        char sibling;  // 'X', 'Y', 'Z', or 0: a new node
    };
    const Probe probes[] = {
        {u"甲", u"x1", u"Beta", 'Y'},   // X by CHS, Y by EN: Y stands first, X was made first
        {u"乙", u"x2", u"Alpha", 'Y'},  // the same, languages swapped
        {u"丙", u"x3", u"beta", 'Y'},   // Y stands before Z and was made before it
        {u"x4", u"Gamma", u"甲", 'X'},  // each across languages: Z's EN as CHT, X's CHS as EN
        {u"GAMMA", u"x5", u"x5", 'Z'}, {u"x6", u"x6", u"x6", 0},
    };
    for (const CatalogLevel& level : kCatalogLevels) {
        const int32_t parent = newParent(level);
        if (level.parentIdField) {
            writer.Create(level, newParent(level), 0, *named(level, u"甲", u"乙", u"丙"));  // a cousin
        }
        if (level.identityField) {
            writer.Create(level, parent, 0, *named(level, u"甲", u"乙", u"丙", u"Q"));  // another parameter
        }
        std::map<char, int32_t> ids;
        ids['X'] = writer.Create(level, parent, 5, *named(level, u"甲", u"甲", u"Alpha"));
        ids['Y'] = writer.Create(level, parent, 2, *named(level, u"乙", u"乙", u"Beta"));
        ids['Z'] = writer.Create(level, parent, 9, *named(level, u"丙", u"丙", u"Gamma"));
        ASSERT_LT(ids['X'], ids['Y']);
        ASSERT_LT(ids['Y'], ids['Z']);
        for (const Probe& probe : probes) {
            bool created = false;
            const int32_t id =
                writer.Create(level, parent, 1, *named(level, probe.chs, probe.cht, probe.en), &created);
            const std::string what =
                automation::ToUtf8(Text(level.kind) + u" " + probe.chs + u"/" + probe.cht + u"/" + probe.en);
            EXPECT_EQ(created, probe.sibling == 0) << what;
            if (probe.sibling) {
                EXPECT_EQ(id, ids[probe.sibling]) << what;
            } else {
                EXPECT_GT(id, ids['Z']) << what;
            }
        }
    }
}

}  // namespace
}  // namespace orva::components
