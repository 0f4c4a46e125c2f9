#include <gtest/gtest.h>

#include <array>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "core/DeploymentEngine.h"
#include "core/PacketTestData.h"
#include "support/CatalogueDump.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::core {
namespace {

using namespace automation;
using namespace components;

// A packet entry as the wizard hands it over; identifiers are those of another catalogue.
DictionaryRef Entry(const Text& topClass, const Text& subSystem, const Text& subFunc, const Text& funcName,
                    const Text& classParam) {
    auto selections = Vector::Create();
    selections->Add(testdata::Selection(u"77", funcName, classParam, topClass, subSystem, subFunc));
    return AsDictionary(BuildDeployPacket(*selections)->Item(1));
}

VectorRef Packet(std::initializer_list<DictionaryRef> entries) {
    auto packet = Vector::Create();
    for (const auto& entry : entries) packet->Add(entry);
    return packet;
}

std::vector<Text> Lines(const VectorRef& messages) {
    std::vector<Text> lines;
    for (const Variant& line : *messages) lines.push_back(line.ToText());
    return lines;
}

Text No(const DictionaryRef& entry) { return entry->Value(u"No").ToText(); }

using orva::testing::CataloguePaths;

class DeploymentEngine : public ::testing::Test {
protected:
    orva::testing::TestAccount m_account;
};

TEST_F(DeploymentEngine, AnEmptyPacketOnlyReportsTheEnd) {
    VectorRef messages;
    EXPECT_TRUE(DeployPacketToCatalogue(Vector::Create(), messages));
    ASSERT_NE(messages, nullptr);  // created and handed back
    EXPECT_EQ(Lines(messages), std::vector<Text>{u"功能发布完毕！"});
}

TEST_F(DeploymentEngine, NoPacketAtAllIsOneFailureLine) {
    auto messages = Vector::Create();
    messages->Add(u"earlier line");
    EXPECT_FALSE(DeployPacketToCatalogue(Variant(nullptr), messages));
    ASSERT_EQ(messages->Count(), 2);
    Text line = messages->Item(2).ToText();
    EXPECT_TRUE(line.starts_with(u"功能发布失败(")) << ToUtf8(line);
    EXPECT_TRUE(line.ends_with(u")!"));
}

TEST_F(DeploymentEngine, CreatesMissingNodesOnceAndReportsEachStep) {
    auto first = Entry(u"质量管理", u"检验管理", u"检验标准", u"质检方案-维护", u"Base|200000001");
    auto second = Entry(u"质量管理", u"检验管理", u"检验标准", u"质检方案-序时簿", u"List|200000001");
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({first, second}), messages));

    EXPECT_EQ(Lines(messages), (std::vector<Text>{
                                   u"创建主系统质量管理成功!",
                                   u"创建子系统检验管理成功!",
                                   u"创建子系统功能检验标准成功!",
                                   No(first) + u"成功！",
                                   No(second) + u"成功！",
                                   u"功能发布完毕！",
                               }));
    // The entries now carry the identifiers of this catalogue, the same for both.
    EXPECT_NE(first->Value(u"FTopClassID").ToText(), u"77");
    EXPECT_EQ(first->Value(u"FSubFuncID"), second->Value(u"FSubFuncID"));
    EXPECT_EQ(CataloguePaths(m_account.Path()),
              (std::multiset<Text>{u"质量管理", u"质量管理/检验管理", u"质量管理/检验管理/检验标准",
                                   u"质量管理/检验管理/检验标准/质检方案-维护|Base|200000001",
                                   u"质量管理/检验管理/检验标准/质检方案-序时簿|List|200000001"}));
}

TEST_F(DeploymentEngine, FindsNodesRegardlessOfCaseAndSurroundingBlanks) {
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(
        Packet({Entry(u"Quality", u"Inspection", u"Plans", u"Plan-Edit", u"Base|1")}), messages));
    messages->Clear();
    // BuildDeployPacket trims displays; an entry from elsewhere may still carry blanks.
    auto shouted = Entry(u"QUALITY", u"inspection", u"PLANS", u"Plan-Query", u"Base|1");
    shouted->SetValue(u"FTopClassName", u"  QUALITY ");
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({shouted}), messages));
    EXPECT_EQ(Lines(messages), (std::vector<Text>{No(shouted) + u"成功！", u"功能发布完毕！"}));
}

TEST_F(DeploymentEngine, AFunctionIsPresentOnlyWithTheSameClassParameter) {
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(
        DeployPacketToCatalogue(Packet({Entry(u"T", u"S", u"F", u"Order-New", u"Bill|71")}), messages));
    messages->Clear();
    auto otherParam = Entry(u"T", u"S", u"F", u"Order-New", u"Bill|72");
    auto otherCase = Entry(u"T", u"S", u"F", u"ORDER-new", u"Bill|71");
    auto paramCase = Entry(u"T", u"S", u"F", u"Order-New", u"bill|71");
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({otherParam, otherCase, paramCase}), messages));
    EXPECT_EQ(Lines(messages), (std::vector<Text>{
                                   No(otherParam) + u"成功！",
                                   No(otherCase) + u"失败，原因在于该功能已在主控台中存在！",
                                   No(paramCase) + u"成功！",
                                   u"功能发布完毕！",
                               }));
}

// A writer that fails its nth function-detail creation and otherwise writes for real.
class FailingWriter : public Object {
public:
    FailingWriter(std::shared_ptr<int> calls, int failAt) : m_calls(std::move(calls)), m_failAt(failAt) {}
    Text TypeName() const override { return u"FailingWriter"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        if (MemberIs(name, u"CreateDetailFunc") && ++*m_calls == m_failAt) {
            Raise(errors::kDeviceIo, u"disk on fire");
        }
        return m_real.Invoke(name, kind, args);
    }

private:
    CatalogWriter m_real;
    std::shared_ptr<int> m_calls;
    int m_failAt;
};

TEST_F(DeploymentEngine, AFaultInTheThirdEntryKeepsWhatTheFirstTwoDid) {
    auto calls = std::make_shared<int>(0);
    ScopedClassOverride failing(u"OrvaData.CatalogWriter",
                                [calls] { return std::make_shared<FailingWriter>(calls, 3); });
    auto a = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    auto b = Entry(u"T", u"S", u"F", u"B-New", u"Bill|2");
    auto c = Entry(u"T", u"S", u"F", u"C-New", u"Bill|3");
    auto d = Entry(u"T", u"S", u"F", u"D-New", u"Bill|4");
    VectorRef messages = Vector::Create();
    EXPECT_FALSE(DeployPacketToCatalogue(Packet({a, b, c, d}), messages));
    EXPECT_EQ(Lines(messages), (std::vector<Text>{
                                   u"创建主系统T成功!",
                                   u"创建子系统S成功!",
                                   u"创建子系统功能F成功!",
                                   No(a) + u"成功！",
                                   No(b) + u"成功！",
                                   No(c) + u"失败(disk on fire)!",
                               }));
    EXPECT_EQ(CataloguePaths(m_account.Path()),
              (std::multiset<Text>{u"T", u"T/S", u"T/S/F", u"T/S/F/A-New|Bill|1", u"T/S/F/B-New|Bill|2"}));
}

// A reader whose recordsets are plain automation objects, reachable by member name only, as a
// reader registered by a host might return them.
class LateBoundRecords : public Object {
public:
    explicit LateBoundRecords(ObjectRef inner) : m_inner(std::move(inner)) {}
    Text TypeName() const override { return u"LateBoundRecords"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        return m_inner->Invoke(name, kind, args);
    }

private:
    ObjectRef m_inner;
};

class LateBoundReader : public Object {
public:
    Text TypeName() const override { return u"LateBoundReader"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        Variant result = m_real.Invoke(name, kind, args);
        if (result.IsObject() && result.ToObject())
            return std::make_shared<LateBoundRecords>(result.ToObject());
        return result;
    }

private:
    CatalogReader m_real;
};

TEST_F(DeploymentEngine, ReadsRecordsetsByNameFromAForeignReader) {
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({Entry(u"T", u"S", u"F", u"A-New", u"Bill|1")}), messages));
    ScopedClassOverride foreign(u"OrvaData.CatalogReader",
                                [] { return std::make_shared<LateBoundReader>(); });
    auto again = Entry(u"t", u"s", u"f", u"a-new", u"Bill|1");
    auto other = Entry(u"T", u"S", u"F2", u"B-New", u"Bill|2");
    messages->Clear();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({again, other}), messages));
    EXPECT_EQ(Lines(messages), (std::vector<Text>{
                                   No(again) + u"失败，原因在于该功能已在主控台中存在！",
                                   u"创建子系统功能F2成功!",
                                   No(other) + u"成功！",
                                   u"功能发布完毕！",
                               }));
}

TEST_F(DeploymentEngine, AnUnusableAccountGivesOneClearErrorLine) {
    auto entry = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");

    m_account.Publish("CHS", "?mode=ro");
    VectorRef messages = Vector::Create();
    EXPECT_FALSE(DeployPacketToCatalogue(Packet({entry}), messages));
    ASSERT_EQ(messages->Count(), 1);
    EXPECT_TRUE(messages->Item(1).ToText().starts_with(No(entry) + u"失败("));
    EXPECT_NE(messages->Item(1).ToText().find(u"readonly"), Text::npos) << ToUtf8(messages->Item(1).ToText());

    std::filesystem::remove(m_account.Path());
    m_account.Publish("CHS");
    messages->Clear();
    EXPECT_FALSE(DeployPacketToCatalogue(Packet({entry}), messages));
    ASSERT_EQ(messages->Count(), 1);
    EXPECT_NE(messages->Item(1).ToText().find(u"account.db"), Text::npos)
        << ToUtf8(messages->Item(1).ToText());
    EXPECT_FALSE(std::filesystem::exists(m_account.Path()));  // never created behind the caller's back
}

TEST_F(DeploymentEngine, MessagesFollowTheHostLanguage) {
    m_account.Publish("EN");
    auto entry = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages));
    std::vector<Text> lines = Lines(messages);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines.front(), u"Created system T.");
    EXPECT_EQ(lines[3], No(entry) + u" succeeded.");
    EXPECT_EQ(lines.back(), u"Publishing of functions completed.");
}

// The lines of a run, without the end line, for runs over the demo catalogue.
std::vector<Text> LinesBeforeTheEnd(const VectorRef& messages) {
    std::vector<Text> lines = Lines(messages);
    if (!lines.empty()) lines.pop_back();
    return lines;
}

TEST(DeploymentEngineReports, OnlyNodesItCreatedAndReusesNodesNamedInAnotherLanguageSilently) {
    // The demo names its nodes differently per language ("供应链" / "Supply Chain"). An English host
    // deploying an entry that names them in Chinese misses in English; the writer then finds each node
    // by its Chinese name, and nothing may be reported as created, on the first run or any later one.
    orva::testing::TestAccount account(true, "EN");
    auto before = CataloguePaths(account.Path());
    auto entry = Entry(u"供应链", u"采购管理", u"基础资料", u"质检方案-维护", u"Base|200000001");
    struct Run {
        const char* what;
        std::vector<Text> lines;
    };
    const Run runs[] = {
        {"first run: only the function is new", {No(entry) + u" succeeded."}},
        {"second run: nothing is new",
         {No(entry) + u" failed, because the function already exists in the main console."}},
    };
    for (const Run& run : runs) {
        VectorRef messages = Vector::Create();
        ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages)) << run.what;
        EXPECT_EQ(LinesBeforeTheEnd(messages), run.lines) << run.what;
        EXPECT_EQ(entry->Value(u"FTopClassID"), Variant(3)) << run.what;  // the demo's 供应链
        EXPECT_EQ(entry->Value(u"FSubSystemID"), Variant(301)) << run.what;
        EXPECT_EQ(entry->Value(u"FSubFuncID"), Variant(1061)) << run.what;
    }
    auto after = CataloguePaths(account.Path());
    EXPECT_EQ(after.size(), before.size() + 1) << "one function detail, no further node";
}

// A writer that creates through the real one, after another deployer has created the same nodes
// and function between this engine's look-up and its create (the race of concurrent deployments).
class RacedWriter : public Object {
public:
    Text TypeName() const override { return u"RacedWriter"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        std::vector<Variant> copy(args.begin(), args.end());
        m_real.Invoke(name, kind, copy);  // the other deployer
        return m_real.Invoke(name, kind, args);
    }

private:
    CatalogWriter m_real;
};

TEST_F(DeploymentEngine, AFunctionAnotherDeployerCreatedFirstIsReportedAsPresent) {
    ScopedClassOverride raced(u"OrvaData.CatalogWriter", [] { return std::make_shared<RacedWriter>(); });
    auto entry = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages));
    EXPECT_EQ(Lines(messages),
              (std::vector<Text>{No(entry) + u"失败，原因在于该功能已在主控台中存在！", u"功能发布完毕！"}));
    EXPECT_EQ(CataloguePaths(m_account.Path()),
              (std::multiset<Text>{u"T", u"T/S", u"T/S/F", u"T/S/F/A-New|Bill|1"}));
}

TEST_F(DeploymentEngine, AFailingItemIsNamedByItsOwnEntryOrByNone) {
    auto good = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    auto nameless = Entry(u"T", u"S", u"F", u" ", u"Bill|2");  // a blank name: the writer refuses it
    struct Case {
        const char* what;
        VectorRef packet;
        Text lastLineStart;
    };
    auto withJunk = Packet({good});
    withJunk->Add(u"junk");
    const Case cases[] = {
        {"an item that is not an entry has no No", withJunk, u"功能发布失败("},
        {"a failing entry after a good one", Packet({good, nameless}), No(nameless) + u"失败("},
    };
    for (const Case& c : cases) {
        PendingError().number = 5;  // left over from an earlier failure
        VectorRef messages = Vector::Create();
        EXPECT_FALSE(DeployPacketToCatalogue(c.packet, messages)) << c.what;
        Text last = messages->Item(messages->Count()).ToText();
        EXPECT_TRUE(last.starts_with(c.lastLineStart)) << c.what << ": " << ToUtf8(last);
        EXPECT_FALSE(last.starts_with(No(good))) << c.what;
        EXPECT_EQ(PendingError().number, 0) << c.what << ": the trapped failure is handled, not left pending";
    }
}

TEST_F(DeploymentEngine, NamesNewNodesInEveryLanguageTheEntryCarries) {
    auto entry = Entry(u"供应链", u"采购", u"资料", u"方案-维护", u"Base|1");
    const std::pair<const char16_t*, std::array<const char16_t*, 3>> names[] = {
        {u"FTopClassName", {u"供应链", u"供應鏈", u"Supply Chain"}},
        {u"FSubSystemName", {u"采购", u"採購", u"Purchasing"}},
        {u"FSubFuncName", {u"资料", u"資料", u"Data"}},
        {u"FFuncName", {u"方案-维护", u"方案-維護", u"Plan-Maintain"}},
    };
    for (const auto& [field, perLanguage] : names) {
        for (size_t i = 0; i < 3; ++i)
            entry->SetValue(Text(field) + u"_" + kPacketLanguages[i], perLanguage[i]);
    }
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages));
    EXPECT_EQ(messages->Item(1), Variant(u"创建主系统供应链成功!"));  // the line names the host's name

    const std::pair<const char*, CatalogLanguage> languages[] = {
        {"CHS", CatalogLanguage::CHS}, {"CHT", CatalogLanguage::CHT}, {"EN", CatalogLanguage::EN}};
    for (size_t i = 0; i < 3; ++i) {
        CatalogReader reader(orva::testing::AccountAt(m_account.Path()), languages[i].second);
        auto top = reader.GetTopClass_All();
        EXPECT_EQ(top->Field(u"FTopClassName"), Variant(names[0].second[i])) << languages[i].first;
        auto sub = reader.GetSubSystem_All(top->Field(u"FTopClassID").ToInt32());
        EXPECT_EQ(sub->Field(u"FName"), Variant(names[1].second[i])) << languages[i].first;
        auto func = reader.GetSubFunc_All(sub->Field(u"FSubSysID").ToInt32());
        EXPECT_EQ(func->Field(u"FFuncName"), Variant(names[2].second[i])) << languages[i].first;
        auto detail = reader.GetDetailFunc_All(func->Field(u"FSubFuncID").ToInt32());
        EXPECT_EQ(detail->Field(u"FFuncName"), Variant(names[3].second[i])) << languages[i].first;
    }
}

// A reader that answers through the real one and records every GetNextIndex call (level, parent).
class RecordingReader : public Object {
public:
    explicit RecordingReader(std::shared_ptr<std::vector<std::pair<int32_t, int32_t>>> calls)
        : m_calls(std::move(calls)) {}
    Text TypeName() const override { return u"RecordingReader"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        if (MemberIs(name, u"GetNextIndex")) m_calls->emplace_back(args[0].ToInt32(), args[1].ToInt32());
        return m_real.Invoke(name, kind, args);
    }

private:
    CatalogReader m_real;
    std::shared_ptr<std::vector<std::pair<int32_t, int32_t>>> m_calls;
};

TEST_F(DeploymentEngine, AsksEachLevelsIndexUnderItsParentAndWritesTheSubsystemsCode) {
    auto calls = std::make_shared<std::vector<std::pair<int32_t, int32_t>>>();
    ScopedClassOverride recording(u"OrvaData.CatalogReader",
                                  [calls] { return std::make_shared<RecordingReader>(calls); });
    // A blank function name with a NewName: the writer names the function by NewName.
    auto entry = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    entry->SetValue(u"FFuncName", u"");
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages));
    int32_t top = entry->Value(u"FTopClassID").ToInt32(), sub = entry->Value(u"FSubSystemID").ToInt32(),
            func = entry->Value(u"FSubFuncID").ToInt32();
    EXPECT_EQ(*calls, (std::vector<std::pair<int32_t, int32_t>>{{1, 0}, {2, top}, {3, sub}, {4, func}}));
    CatalogReader reader(orva::testing::AccountAt(m_account.Path()), CatalogLanguage::CHS);
    auto subsystems = reader.GetSubSystem_All(top);
    EXPECT_EQ(subsystems->Field(u"FSubID"), Variant(u"orvahost"));
    EXPECT_EQ(subsystems->Field(u"FClassName"), Variant(u"OrvaHost.Application"));
    EXPECT_EQ(reader.GetDetailFunc_All(func)->Field(u"FFuncName"), Variant(u"A-New"));

    // Again: the walk misses the blank name, the create finds "A-New" by NewName: already present.
    messages->Clear();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({entry}), messages));
    EXPECT_EQ(Lines(messages),
              (std::vector<Text>{No(entry) + u"失败，原因在于该功能已在主控台中存在！", u"功能发布完毕！"}));
}

TEST_F(DeploymentEngine, ASubFunctionWhoseLastIndexIsTheLargestFailsTheEntryClearly) {
    auto first = Entry(u"T", u"S", u"F", u"A-New", u"Bill|1");
    VectorRef messages = Vector::Create();
    ASSERT_TRUE(DeployPacketToCatalogue(Packet({first}), messages));
    {
        auto database = orva::testing::OpenTestAccount(m_account.Path());
        database->Execute("UPDATE t_DetailFunc SET FIndex = 2147483647");
    }
    auto second = Entry(u"T", u"S", u"F", u"B-New", u"Bill|2");
    messages->Clear();
    EXPECT_FALSE(DeployPacketToCatalogue(Packet({second}), messages));
    ASSERT_EQ(messages->Count(), 1);
    Text line = messages->Item(1).ToText();
    EXPECT_TRUE(line.starts_with(No(second) + u"失败(")) << ToUtf8(line);
    EXPECT_NE(line.find(u"2147483647"), Text::npos) << ToUtf8(line);
    EXPECT_EQ(CataloguePaths(m_account.Path()).count(u"T/S/F/B-New|Bill|2"), 0u)
        << "nothing stored at a wrapped index";
}

}  // namespace
}  // namespace orva::core
