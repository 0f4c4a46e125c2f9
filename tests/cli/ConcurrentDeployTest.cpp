// Two administrators deploying overlapping packets into one account at the same moment, as two
// real orva-deploy processes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>

#include <map>

#include "automation/TextHelpers.h"
#include "components/AccountCreation.h"
#include "components/Dictionary.h"
#include "components/Vector.h"
#include "core/DeployPacket.h"
#include "core/KeyedEntry.h"
#include "support/CatalogueDump.h"
#include "support/TempDir.h"

extern char** environ;

namespace orva::cli {
namespace {

using namespace automation;
using namespace components;

// A packet set whose CHS packet holds functions first..last, spread over two top classes, three
// subsystems each and four sub-functions each, all missing from a fresh account.
DictionaryRef OverlappingPacketSet(int first, int last) {
    auto selections = Vector::Create();
    for (int i = first; i <= last; ++i) {
        Text n = Int32ToText(i);
        auto selection = Dictionary::Create();
        selection->SetValue(u"TopClass", core::ComposeKeyedEntry(u"顶层" + Int32ToText(i % 2), u"0"));
        selection->SetValue(u"SubSystem", core::ComposeKeyedEntry(u"子系统" + Int32ToText(i % 3), u"0"));
        selection->SetValue(u"SubFunc", core::ComposeKeyedEntry(u"子功能" + Int32ToText(i % 4), u"0"));
        selection->SetValue(u"FuncDetail", core::ComposeKeyedEntry(u"对象" + n + u"-维护", u"Base|" + n));
        selection->SetValue(u"No", u"[对象" + n + u"-维护]");
        selections->Add(selection);
    }
    auto packetSet = Dictionary::Create();
    packetSet->SetValue(u"CHS", core::BuildDeployPacket(*selections));
    return packetSet;
}

pid_t StartDeploy(const std::string& packet, const std::string& account) {
    std::string tool = ORVA_BINARY_DIR "/bin/orva-deploy";
    std::vector<std::string> args{tool, "deploy", packet, "--catalog", account, "--language", "CHS"};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

int ExitStatusOf(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(ConcurrentDeploy, OverlappingDeploymentsBothFinishAndCreateEveryNodeOnce) {
    orva::testing::TempDir dir;
    std::string account = (dir / "account.db").string();
    CreateAccountFile(account, {});
    std::string packetA = (dir / "a.Dat").string(), packetB = (dir / "b.Dat").string();
    OverlappingPacketSet(1, 300)->Save(FromUtf8(packetA));
    OverlappingPacketSet(151, 450)->Save(FromUtf8(packetB));

    pid_t a = StartDeploy(packetA, account);
    pid_t b = StartDeploy(packetB, account);
    EXPECT_EQ(ExitStatusOf(a), 0);
    EXPECT_EQ(ExitStatusOf(b), 0);

    std::map<Text, int> counts;
    for (const Text& path : orva::testing::CataloguePaths(account)) ++counts[path];
    int details = 0;
    for (const auto& [path, count] : counts) {
        EXPECT_EQ(count, 1) << ToUtf8(path) << " exists " << count << " times";
        if (path.find(u"|") != Text::npos) ++details;
    }
    EXPECT_EQ(details, 450);
    // 2 top classes, 6 subsystems, 12 sub-functions (i % 4 fixes i % 2), 450 function details.
    EXPECT_EQ(counts.size(), 470u);
}

}  // namespace
}  // namespace orva::cli
