// What `init` and `pack -o` do with a target that is not a file they may replace, and with a disk
// that fills up while they write.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iostream>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

namespace orva::cli {
namespace {

using testing::RunTool;
namespace fs = std::filesystem;

TEST(SaveTargets, InitAndPackRefuseAFolderADeviceOrAFifoAndLeaveIt) {
    struct Node {
        const char* kind;
        std::function<bool(const fs::path&)> make;
    };
    // Nodes of the test's own folder, never of /dev: the suite also runs as root.
    const std::vector<Node> nodes = {
        {"a folder", [](const fs::path& p) { return fs::create_directory(p); }},
        {"a FIFO", [](const fs::path& p) { return mkfifo(p.c_str(), 0600) == 0; }},
        {"a character device",
         [](const fs::path& p) { return mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; }},
    };
    for (const Node& node : nodes) {
        orva::testing::TempDir dir;
        std::ofstream(dir / "in.json") << "{\"EN\": []}";
        fs::path target = dir / "target";
        if (!node.make(target)) {
            std::cout << "[ SKIPPED  ] " << node.kind << ": cannot be made here\n";
            continue;
        }
        fs::file_type type = fs::symlink_status(target).type();
        for (const std::vector<std::string>& command :
             {std::vector<std::string>{"init", "--catalog", target.string(), "--force"},
              std::vector<std::string>{"init", "--catalog", target.string()},
              std::vector<std::string>{"pack", (dir / "in.json").string(), "-o", target.string()}}) {
            SCOPED_TRACE(command[0] + " " + command.back() + " onto " + node.kind);
            auto result = RunTool(command);
            EXPECT_EQ(result.status, kExitFailure);
            EXPECT_NE(result.err.find(target.string() + ": cannot be replaced: it is " + node.kind),
                      std::string::npos)
                << result.err;
            EXPECT_EQ(fs::symlink_status(target).type(), type);
        }
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
    }
}

TEST(SaveTargets, InitOnAFullDiskFailsAndPublishesNothing) {
    orva::testing::TempDir dir;
    std::string fileName = (dir / "account.db").string();
    pid_t child = fork();
    if (child == 0) {
        // Past the limit, writes fail with EFBIG as on a full disk.
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit small {
            16384, 16384
        };
        setrlimit(RLIMIT_FSIZE, &small);
        auto result = RunTool({"init", "--catalog", fileName, "--demo"});
        bool honest = result.out.empty() && result.err.find(fileName + ": ") != std::string::npos;
        _exit(honest ? result.status : 99);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitFailure) << "no error naming the account, or a success claimed";
    EXPECT_TRUE(fs::is_empty(dir.Path()));
}

}  // namespace
}  // namespace orva::cli
