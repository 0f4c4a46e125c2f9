// A deployment into an account on a server whose connection is cut while a create waits for its lock
// (the backend ended with pg_terminate_backend): nothing already created is lost, the message list
// says which entry failed and why, the run reports false, and a second run completes it without
// creating anything twice.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "automation/TextHelpers.h"
#include "core/DeploymentEngine.h"
#include "core/PacketTestData.h"
#include "storage/ServerDatabase.h"
#include "support/CatalogueDump.h"
#include "support/TestAccount.h"
#include "support/TestBackend.h"

namespace orva::core {
namespace {

using namespace automation;
using namespace components;

// Makes the test accounts of this scope server databases, whatever the run's backend is.
class ScopedServerAccounts {
public:
    ScopedServerAccounts() {
        const char* previous = std::getenv("ORVA_TEST_BACKEND");
        m_previous = previous ? previous : "";
        setenv("ORVA_TEST_BACKEND", "postgres", 1);
    }
    ~ScopedServerAccounts() {
        if (m_previous.empty()) {
            unsetenv("ORVA_TEST_BACKEND");
        } else {
            setenv("ORVA_TEST_BACKEND", m_previous.c_str(), 1);
        }
    }

private:
    std::string m_previous;
};

VectorRef TwelveFunctionsUnderOneSubFunction() {
    auto selections = Vector::Create();
    for (int i = 1; i <= 12; ++i) {
        Text n = Int32ToText(i);
        selections->Add(testdata::Selection(u"77", u"功能" + n, u"Base|" + n, u"T", u"S", u"F"));
    }
    return BuildDeployPacket(*selections);
}

TEST(ServerDeployment, AConnectionCutDuringACreateLosesNothingAndASecondRunCompletesTheRest) {
    ORVA_REQUIRE_POSTGRES();
    ScopedServerAccounts onServer;
    orva::testing::TestAccount account(false, "CHS");
    VectorRef packet = TwelveFunctionsUnderOneSubFunction();

    // After the fifth entry, a second connection locks the sub-function's row, so the sixth create
    // waits for it; a third one ends the waiting backend.
    std::unique_ptr<Database> locker;
    std::thread killer;
    std::atomic<int> ended = 0;
    DeployProgress progress = [&](int32_t done, int32_t) {
        if (done != 5 || locker) return;
        locker = OpenServerDatabase(account.Path(), false);
        locker->Execute("BEGIN; SELECT 1 FROM t_SubFunc FOR UPDATE");
        killer = std::thread([&, uri = account.Path()] {
            auto admin = OpenServerDatabase(uri, false);
            for (int attempt = 0; attempt < 500 && ended == 0; ++attempt) {
                ended = static_cast<int>(
                    admin->QueryInteger("SELECT count(pg_terminate_backend(pid)) FROM pg_stat_activity "
                                        "WHERE datname = current_database() AND wait_event_type = 'Lock'"));
                if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        });
    };
    VectorRef messages = Vector::Create();
    bool ok = DeployPacketToCatalogue(packet, messages, progress);
    if (killer.joinable()) killer.join();
    if (locker) locker->Execute("ROLLBACK");
    ASSERT_EQ(ended, 1) << "no create waited for the lock";

    EXPECT_FALSE(ok);
    int failed = 0;
    for (const Variant& line : *messages) {
        Text text = line.ToText();
        if (text.find(u"connection to the server was lost") == Text::npos) continue;
        ++failed;
        EXPECT_TRUE(text.starts_with(u"[功能6]")) << ToUtf8(text);
    }
    EXPECT_EQ(failed, 1) << "the line of the entry the cut ended";
    auto paths = orva::testing::CataloguePaths(account.Path());
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(paths.count(u"T/S/F/功能" + Int32ToText(i) + u"|Base|" + Int32ToText(i)), 1u);

    messages = Vector::Create();
    EXPECT_TRUE(DeployPacketToCatalogue(packet, messages));
    paths = orva::testing::CataloguePaths(account.Path());
    for (int i = 1; i <= 12; ++i) {
        EXPECT_EQ(paths.count(u"T/S/F/功能" + Int32ToText(i) + u"|Base|" + Int32ToText(i)), 1u) << i;
    }
    EXPECT_EQ(paths.size(), 15u) << "one top class, subsystem and sub-function, twelve functions";
}

}  // namespace
}  // namespace orva::core
