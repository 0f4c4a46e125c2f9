// orva-deploy register / unregister on a registry folder of a test's own.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::CliResult;
using testing::RunTool;

TEST(RegisterCommand, RegistersListsAndUnregistersOnlyItsOwnEntries) {
    orva::testing::TempDir dir;
    const std::string folder = (dir / "registry").string();

    // An empty registry is named, on stderr, so that stdout holds entry lines only.
    CliResult empty = RunTool({"register", "--list", "--registry", folder});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");
    EXPECT_EQ(empty.err, "register: no entries in " + folder + " (the folder does not exist)\n");

    CliResult first = RunTool({"register", "--registry", folder});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("orvaclassdeploy.clsdeploywizard.entry -> /"), std::string::npos) << first.out;
    EXPECT_EQ(first.out.find("unchanged"), std::string::npos) << first.out;
    // Registering again is harmless, and says that it changed nothing.
    CliResult again = RunTool({"register", "--registry", folder});
    EXPECT_NE(again.out.find("orvaclassdeploy.clsdeploywizard.entry -> /"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find(" (unchanged)\n"), again.out.rfind(" (unchanged)\n"))
        << "both classes: " << again.out;
    EXPECT_NE(again.out.find("Nothing changed: the library was registered in " + folder + " already\n"),
              std::string::npos)
        << again.out;

    CliResult listed = RunTool({"register", "--list", "--registry", folder});
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("OrvaClassDeploy.clsPromulgator 0.1.0 /"), std::string::npos) << listed.out;

    // Another vendor's entry whose library is gone: listed and flagged, and unregistering leaves it.
    std::ofstream(dir / "registry" / "other.thing.entry")
        << "OrvaRegistryEntry/1\nProgID=Other.Thing\nLibrary=/nonexistent/libOther.so.1\n";
    std::filesystem::permissions(dir / "registry" / "other.thing.entry", std::filesystem::perms(0644));
    listed = RunTool({"register", "--list", "--registry", folder});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("Other.Thing  /nonexistent/libOther.so.1  [library missing"), std::string::npos)
        << listed.out;

    // One entry put right again: the other is reported unchanged, and something did change.
    std::filesystem::remove(dir / "registry" / "orvaclassdeploy.clspromulgator.entry");
    again = RunTool({"register", "--registry", folder});
    ASSERT_NE(again.out.find(" (unchanged)\n"), std::string::npos) << again.out;
    EXPECT_EQ(again.out.find(" (unchanged)\n"), again.out.rfind(" (unchanged)\n")) << again.out;
    EXPECT_EQ(again.out.find("Nothing changed"), std::string::npos) << again.out;

    CliResult removed = RunTool({"unregister", "--registry", folder});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_NE(removed.out.find("Removed "), removed.out.rfind("Removed ")) << "both classes: " << removed.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "registry" / "other.thing.entry"));
    EXPECT_FALSE(std::filesystem::exists(dir / "registry" / "orvaclassdeploy.clsdeploywizard.entry"));

    EXPECT_EQ(RunTool({"register", "--user", "--system"}).status, 2);
    EXPECT_EQ(RunTool({"unregister", "--system", "--registry", folder}).status, 2);
}

TEST(RegisterCommand, ListFlagsWhatAHostWouldNotTrustAndRegisteringLeavesAPlantedLinksTargetAlone) {
    orva::testing::TempDir dir;
    const std::filesystem::path folder = dir / "registry";
    ASSERT_EQ(RunTool({"register", "--registry", folder.string()}).status, 0);
    const std::filesystem::path wizard = folder / "orvaclassdeploy.clsdeploywizard.entry";
    const std::filesystem::path promulgator = folder / "orvaclassdeploy.clspromulgator.entry";

    // A link planted at an entry's name: registering again replaces the link, not what it leads to.
    std::ofstream(dir / "victim") << "precious\n";
    std::filesystem::remove(promulgator);
    std::filesystem::create_symlink(dir / "victim", promulgator);
    CliResult again = RunTool({"register", "--registry", folder.string()});
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_FALSE(std::filesystem::is_symlink(promulgator));
    std::ifstream victim(dir / "victim");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(victim), {}), "precious\n");

    ASSERT_EQ(::chmod(wizard.c_str(), 0666), 0);
    ASSERT_EQ(::mkfifo((folder / "waiting.entry").c_str(), 0644), 0);
    std::ofstream(dir / "libOpen.so.1") << "anyone may change this";
    ASSERT_EQ(::chmod((dir / "libOpen.so.1").c_str(), 0666), 0);
    std::ofstream(folder / "open.thing.entry")
        << "OrvaRegistryEntry/1\nProgID=Open.Thing\nLibrary=" << (dir / "libOpen.so.1").string() << "\n";
    ASSERT_EQ(::chmod((folder / "open.thing.entry").c_str(), 0644), 0);

    CliResult listed = RunTool({"register", "--list", "--registry", folder.string()});
    EXPECT_EQ(listed.status, 1);
    for (const std::string& line : {
             "Open.Thing  " + (dir / "libOpen.so.1").string() + "  [library not trusted: the library " +
                 (dir / "libOpen.so.1").string() + " is writable by others]",
             wizard.string() + ": not trusted: the entry is writable by others",
             (folder / "waiting.entry").string() + ": not trusted: the entry is a FIFO",
             std::string("OrvaClassDeploy.clsPromulgator 0.1.0 /"),
         }) {
        EXPECT_NE(listed.out.find(line), std::string::npos) << line << "\n" << listed.out;
    }
}

}  // namespace
}  // namespace orva::cli
