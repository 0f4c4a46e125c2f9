// orva-deploy register / unregister on a registry folder of a test's own.

#include <gtest/gtest.h>

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

    CliResult first = RunTool({"register", "--registry", folder});
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("orvaclassdeploy.clsdeploywizard.entry -> /"), std::string::npos) << first.out;
    EXPECT_EQ(RunTool({"register", "--registry", folder}).out, first.out) << "registering again is harmless";

    CliResult listed = RunTool({"register", "--list", "--registry", folder});
    EXPECT_EQ(listed.status, 0);
    EXPECT_NE(listed.out.find("OrvaClassDeploy.clsPromulgator 0.1.0 /"), std::string::npos) << listed.out;

    // Another vendor's entry whose library is gone: listed and flagged, and unregistering leaves it.
    std::ofstream(dir / "registry" / "other.thing.entry")
        << "OrvaRegistryEntry/1\nProgID=Other.Thing\nLibrary=/nonexistent/libOther.so.1\n";
    listed = RunTool({"register", "--list", "--registry", folder});
    EXPECT_EQ(listed.status, 1);
    EXPECT_NE(listed.out.find("Other.Thing  /nonexistent/libOther.so.1  [library missing"), std::string::npos)
        << listed.out;

    CliResult removed = RunTool({"unregister", "--registry", folder});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_NE(removed.out.find("Removed "), removed.out.rfind("Removed ")) << "both classes: " << removed.out;
    EXPECT_TRUE(std::filesystem::exists(dir / "registry" / "other.thing.entry"));
    EXPECT_FALSE(std::filesystem::exists(dir / "registry" / "orvaclassdeploy.clsdeploywizard.entry"));

    EXPECT_EQ(RunTool({"register", "--user", "--system"}).status, 2);
    EXPECT_EQ(RunTool({"unregister", "--system", "--registry", folder}).status, 2);
}

}  // namespace
}  // namespace orva::cli
