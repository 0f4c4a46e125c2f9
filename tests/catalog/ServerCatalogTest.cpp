#include <gtest/gtest.h>

#include <barrier>
#include <chrono>
#include <future>
#include <map>
#include <thread>

#include "account/AccountConnections.h"
#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "catalog/ClassTypeFilter.h"
#include "catalog/MetadataTables.h"
#include "storage/ServerDatabase.h"
#include "support/AccountFixture.h"
#include "support/PostgresServer.h"
#include "support/TestBackend.h"

namespace orva::components {
namespace {

using automation::AutomationError;
using automation::Text;
using automation::ToUtf8Lossy;
using automation::Variant;
using orva::testing::ScratchPostgresDatabase;
using namespace std::chrono_literals;

AccountAddress ServerAddress(const std::string& uri) { return {uri, false, AccountKind::Postgres}; }

DictionaryRef Named(const char16_t* field, const Text& name) {
    DictionaryRef data = Dictionary::Create();
    data->SetValue(field, name);
    return data;
}

std::string Shown(const Variant& value) {
    return std::to_string(static_cast<int>(value.Type())) + ":" + ToUtf8Lossy(value.ToText());
}

// Every answer of the reading services on one account, as text: the catalogue walked level by level
// with every field in each language, the next indexes and the look-ups by name key, and the metadata
// tables with filters.
std::string Transcript(const AccountAddress& account) {
    std::string out;
    for (CatalogLanguage language : kCatalogLanguages) {
        CatalogReader reader(account, language);
        std::function<void(const CatalogLevel&, int32_t)> walk = [&](const CatalogLevel& level,
                                                                     int32_t parent) {
            out += "next " + std::to_string(reader.GetNextIndex(level.number, parent)) + "\n";
            for (auto rows = reader.GetChildren(level, parent); !rows->IsEOF(); rows->MoveNext()) {
                std::vector<Text> fields = {level.idField, level.nameField, kIndexField, kVisibleField};
                if (level.parentIdField) fields.push_back(level.parentIdField);
                for (CatalogLanguage each : kCatalogLanguages)
                    fields.push_back(LanguageField(level.nameField, each));
                for (const CatalogAttribute& attribute : level.Attributes())
                    fields.push_back(attribute.field);
                for (const Text& field : fields) out += Shown(rows->Field(field)) + " ";
                int32_t id = rows->Field(level.idField).ToInt32();
                if (level.Child()) {
                    std::optional<int32_t> found = reader.FindChildByKey(
                        level.number, parent, CatalogNameKey(rows->Field(level.nameField).ToText()));
                    out += "found " + std::to_string(found.value_or(0)) + "\n";
                    walk(*level.Child(), id);
                } else {
                    out +=
                        reader.HasDetailByKey(parent, CatalogNameKey(rows->Field(level.nameField).ToText()),
                                              rows->Field(level.identityField).ToText())
                            ? "has\n"
                            : "missing\n";
                }
            }
        };
        walk(kTopClassLevel, 0);
        for (std::optional<int32_t> subsystem : {std::optional<int32_t>(), std::optional<int32_t>(12)}) {
            for (auto rows = QueryReports(account, language, subsystem); !rows->IsEOF(); rows->MoveNext()) {
                for (const char16_t* field :
                     {u"FID", u"FName", u"FName_CHS", u"FName_EN", u"FType", u"FFunctionID"})
                    out += Shown(rows->Field(field)) + " ";
                out += "\n";
            }
        }
    }
    for (const BizSubsystemRow& row : ReadBizSubsystems(account))
        out += std::to_string(row.functionId) + ToUtf8Lossy(row.names[2]) + "\n";
    for (const char16_t* filter :
         {u"", u"FID >= 200000000", u"FBillTypeID = 4 and FFunctionID <> 12", u"FID < 0"}) {
        for (const ClassTypeRow& row : ReadClassTypes(account, ParseClassTypeFilter(filter))) {
            out += std::to_string(row.fid) + ToUtf8Lossy(row.MultiLanguageName()) + "\n";
            for (const BillActionRow& action : ReadBillActions(account, row.fid))
                out += "  " + ToUtf8Lossy(action.key + action.names[1]) + std::to_string(action.environment) +
                       "\n";
        }
    }
    return out;
}

// Actions whose keys differ in letter case and order differently byte by byte than without case.
constexpr const char* kMixedCaseActions =
    "INSERT INTO t_ClassType VALUES (300000001, 'x', 'x', 'x', 4, 12); "
    "INSERT INTO t_BillAction VALUES (300000001, 'Zeta', 1, 'z', 'z', 'z', 64), "
    "(300000001, 'alpha', 1, 'a', 'a', 'a', 64), (300000001, 'Beta', 1, 'b', 'b', 'b', 64), "
    "(300000001, '_u', 1, 'u', 'u', 'u', 64)";

TEST(ServerCatalog, EveryReadingServiceAnswersAsOnAFile) {
    ORVA_REQUIRE_POSTGRES();
    testing::TestAccount file(true, true);
    ScratchPostgresDatabase scratch;
    CreateServerAccount(scratch.Uri(), {.demo = true});
    SqliteDatabase::Open(file.FileName(), SqliteDatabase::OpenMode::ReadWrite)->Execute(kMixedCaseActions);
    OpenServerDatabase(scratch.Uri(), false)->Execute(kMixedCaseActions);
    std::string expected = Transcript(file.Address());
    ASSERT_NE(expected.find("_u"), std::string::npos);
    EXPECT_EQ(Transcript(ServerAddress(scratch.Uri())), expected);
}

class ServerWrites : public ::testing::Test {
protected:
    void SetUp() override {
        ORVA_REQUIRE_POSTGRES();
        m_scratch = std::make_unique<ScratchPostgresDatabase>();
        CreateServerAccount(m_scratch->Uri(), {.demo = false});
        m_account = ServerAddress(m_scratch->Uri());
        CatalogWriter writer(m_account);
        m_top = writer.CreateTopClass(1, *Named(u"FTopClassName", u"Top"));
        for (const char16_t* name : {u"Sub A", u"Sub B"})
            m_subs.push_back(writer.CreateSubSys(m_top, static_cast<int32_t>(m_subs.size()) + 1,
                                                 *Named(u"FSysName", name)));
    }
    int64_t Count(const std::string& sql) const {
        return OpenServerDatabase(m_scratch->Uri(), true)->QueryInteger(sql);
    }

    std::unique_ptr<ScratchPostgresDatabase> m_scratch;
    AccountAddress m_account;
    int32_t m_top = 0;
    std::vector<int32_t> m_subs;
};

TEST_F(ServerWrites, CreatesUnderOneParentFromManyThreadsMakeEachNodeOnceAtItsOwnIndex) {
    constexpr int kThreads = 6;
    constexpr int kShared = 12;
    std::barrier start(kThreads);
    std::vector<std::map<int, int32_t>> ids(kThreads);
    std::vector<int> createdCount(kShared);
    std::mutex mutex;
    std::atomic<int> failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            start.arrive_and_wait();
            try {
                CatalogWriter writer(m_account);
                for (int i = 0; i < kShared; ++i) {
                    // Every thread asks for the same index and names (in its own letter case), and
                    // adds one name of its own: index ties, name ties and real news at once.
                    Text name = u"Func " + automation::Int32ToText(i);
                    if (t % 2) name = automation::UCase(name);
                    bool created = false;
                    ids[t][i] = writer.CreateSubFunc(m_subs[0], 1, *Named(u"FFuncName", name), &created);
                    writer.CreateSubFunc(
                        m_subs[0], 1, *Named(u"FFuncName", u"Own " + automation::Int32ToText(t * 100 + i)));
                    std::lock_guard lock(mutex);
                    createdCount[i] += created ? 1 : 0;
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
    for (int i = 0; i < kShared; ++i) EXPECT_EQ(createdCount[i], 1) << "a false report for Func " << i;
    EXPECT_EQ(Count("SELECT count(*) FROM t_SubFunc"), kShared + kThreads * kShared);
    EXPECT_EQ(Count("SELECT count(DISTINCT FIndex) FROM t_SubFunc"), kShared + kThreads * kShared);
}

// Blocks the creates under one parent from another connection, as a slow create there would.
class ParentHeld {
public:
    ParentHeld(const std::string& uri, const std::string& lockSql)
        : m_connection(OpenServerDatabase(uri, false)) {
        m_connection->Execute("BEGIN");
        m_connection->Execute(lockSql);
    }
    void Release() { m_connection->Execute("COMMIT"); }

private:
    std::unique_ptr<Database> m_connection;
};

TEST_F(ServerWrites, ACreateWaitsOnlyForCreatesUnderItsOwnParent) {
    struct Case {
        const char* name;
        std::string lock;  // what a create in progress elsewhere holds
        std::function<int32_t(CatalogWriter&)> blocked, free;
    };
    const std::vector<Case> cases = {
        {"sub-functions under two subsystems",
         "SELECT 1 FROM t_SubSystem WHERE FSubSysID = " + std::to_string(m_subs[0]) + " FOR UPDATE",
         [&](CatalogWriter& w) { return w.CreateSubFunc(m_subs[0], 1, *Named(u"FFuncName", u"Waits")); },
         [&](CatalogWriter& w) { return w.CreateSubFunc(m_subs[1], 1, *Named(u"FFuncName", u"Runs")); }},
        {"top classes and subsystems", "SELECT pg_advisory_xact_lock(1330796097, 1)",
         [&](CatalogWriter& w) { return w.CreateTopClass(2, *Named(u"FTopClassName", u"Waits")); },
         [&](CatalogWriter& w) { return w.CreateSubSys(m_top, 3, *Named(u"FSysName", u"Runs")); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ParentHeld held(m_scratch->Uri(), c.lock);
        auto blocked = std::async(std::launch::async, [&] {
            CatalogWriter writer(m_account);
            return c.blocked(writer);
        });
        auto free = std::async(std::launch::async, [&] {
            CatalogWriter writer(m_account);
            return c.free(writer);
        });
        EXPECT_EQ(free.wait_for(20s), std::future_status::ready) << "a create under another parent waited";
        EXPECT_EQ(blocked.wait_for(300ms), std::future_status::timeout) << "a create under a held parent ran";
        held.Release();
        EXPECT_GT(blocked.get(), 0);
        EXPECT_GT(free.get(), 0);
    }
}

TEST_F(ServerWrites, ANodeAWriterOutsideTheLocksAddedIsReturnedNotDuplicated) {
    // Another program inserts the same top class without taking the lock, and commits while the
    // create waits on the unique index: the create finds that node instead of failing.
    auto other = OpenServerDatabase(m_scratch->Uri(), false);
    other->Execute(
        "BEGIN; INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, "
        "FNameKey_CHS, FNameKey_CHT, FNameKey_EN) VALUES (7, 'Race', 'Race', 'Race', 'RACE', 'RACE', "
        "'RACE')");
    int32_t theirs =
        static_cast<int32_t>(other->QueryInteger("SELECT FTopClassID FROM t_TopClass WHERE FIndex = 7"));
    auto create = std::async(std::launch::async, [&] {
        bool created = true;
        int32_t id = CatalogWriter(m_account).CreateTopClass(7, *Named(u"FTopClassName", u"race"), &created);
        return std::make_pair(id, created);
    });
    EXPECT_EQ(create.wait_for(300ms), std::future_status::timeout);
    other->Execute("COMMIT");
    EXPECT_EQ(create.get(), std::make_pair(theirs, false));
    EXPECT_EQ(Count("SELECT count(*) FROM t_TopClass"), 2);
}

}  // namespace
}  // namespace orva::components
