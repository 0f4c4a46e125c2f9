// Progress of deploy, pack, export and undo goes to stderr only when stderr is a terminal, and never with
// --quiet; the lines on stdout are the same either way.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

extern char** environ;

namespace orva::cli {
namespace {

struct Captured {
    int status = -1;
    std::string out;
    std::string err;
    double seconds = 0;
};

// Runs orva-deploy with stdout on a pipe and stderr on a pseudo-terminal (or on a pipe too),
// reading both as it runs.
Captured RunChild(std::vector<std::string> args, bool terminalStderr = true) {
    int terminal = -1, side = -1;
    if (terminalStderr) {
        EXPECT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
    } else {
        int errFds[2];
        EXPECT_EQ(pipe(errFds), 0);
        terminal = errFds[0];
        side = errFds[1];
    }
    int pipeFds[2];
    EXPECT_EQ(pipe(pipeFds), 0);
    std::string tool = ORVA_BINARY_DIR "/bin/orva-deploy";
    args.insert(args.begin(), tool);
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, side, STDERR_FILENO);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    close(side);
    Captured captured;
    pollfd fds[2] = {{pipeFds[0], POLLIN, 0}, {terminal, POLLIN, 0}};
    std::string* targets[2] = {&captured.out, &captured.err};
    for (int open = 2; open > 0;) {
        if (poll(fds, 2, -1) < 0) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) continue;
            char buffer[4096];
            ssize_t got = read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                targets[i]->append(buffer, static_cast<size_t>(got));
            } else {  // end of the pipe; EIO on the terminal once the child has closed it
                close(fds[i].fd);
                fds[i].fd = -1;
                --open;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    captured.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    captured.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return captured;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}

// A packet set of n function details per language under the demo's first sub-function.
std::string BigPacketSet(int n) {
    std::string json = "{";
    for (const char* language : {"CHS", "CHT", "EN"}) {
        json += std::string(language == std::string("CHS") ? "" : ",") + "\"" + language + "\":[";
        for (int i = 0; i < n; ++i) {
            const std::string name = "进度功能" + std::to_string(i);
            json +=
                std::string(i ? "," : "") +
                R"({"FTopClassID":"3","FTopClassName":"供应链","FSubSystemID":"301",)" +
                R"("FSubSystemName":"采购管理","FSubFuncID":"1061","FSubFuncName":"基础资料","NewName":")" +
                name + R"(","FFuncName":")" + name +
                R"(","FClassName":"OrvaHost.Application","FClassParam":"Base|200000001","FHelpCode":"",)" +
                R"("No":"[)" + name + R"(] 发布到: [供应链.采购管理.基础资料]"})";
        }
        json += "]";
    }
    return json + "}";
}

TEST(DeployProgress, RedrawsInPlaceOnATerminalOnlyAndIsErasedAtTheEnd) {
    orva::testing::TempDir dir;
    const std::string account = (dir / "账套.db").string();
    const std::string json = (dir / "部署包.json").string();
    const std::string packet = (dir / "部署包.Dat").string();
    ASSERT_EQ(testing::RunTool({"init", "--catalog", account, "--demo"}).status, 0);
    std::ofstream(json) << BigPacketSet(3000);  // some 3 MB: the JSON reader reports every MiB

    // pack: the bytes of the JSON read.
    Captured pack = RunChild({"pack", json, "-o", packet});
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_NE(pack.err.find("\r\033[Kreading: 0.0 of "), std::string::npos) << pack.err;
    EXPECT_NE(pack.err.find(" MB, "), std::string::npos) << pack.err;
    EXPECT_TRUE(pack.err.ends_with("\r\033[K")) << pack.err;
    EXPECT_EQ(pack.out, "");

    const std::vector<std::string> deploy = {"deploy", packet, "--catalog", account, "--dry-run"};
    Captured shown = RunChild(deploy);
    ASSERT_EQ(shown.status, 0) << shown.err;
    const size_t draws = Count(shown.err, "deploying: ");
    EXPECT_GE(draws, 2u) << shown.err;
    EXPECT_LE(draws, static_cast<size_t>(shown.seconds * 10) + 1) << shown.seconds << " s: " << shown.err;
    EXPECT_EQ(Count(shown.err, "\r\033[Kdeploying: "), draws);           // each one drawn over the last
    EXPECT_NE(shown.err.find(" of 3000 entries, "), std::string::npos);  // the rate: TerminalProgress.*
    EXPECT_TRUE(shown.err.ends_with("\r\033[K")) << shown.err;           // nothing left on the terminal
    EXPECT_EQ(shown.err.find('\n'), std::string::npos);

    Captured quiet = RunChild({"--quiet", "deploy", packet, "--catalog", account, "--dry-run"});
    EXPECT_EQ(quiet.err, "");
    Captured piped = RunChild(deploy, false);
    EXPECT_EQ(piped.err, "");
    // Byte for byte the same lines, after the first, which names the copy of the account.
    auto tail = [](const std::string& out) { return out.substr(out.find('\n')); };
    EXPECT_EQ(tail(shown.out), tail(piped.out));
    EXPECT_EQ(tail(quiet.out), tail(piped.out));
    EXPECT_GT(Count(piped.out, "\n"), 3000u);

    // export and undo of what a real deployment made: run 1 is init's, run 2 the deployment's.
    ASSERT_EQ(testing::RunTool({"--quiet", "deploy", packet, "--catalog", account}).status, 0);
    struct {
        std::vector<std::string> args;
        std::string line;
    } more[] = {{{"export", "--catalog", account, "--top", "3", "-o", (dir / "导出.Dat").string()},
                 "\r\033[Kreading: "},
                {{"undo", "2", "--catalog", account, "--dry-run"}, " of 3000 nodes, "}};
    for (const auto& run : more) {
        Captured withMeter = RunChild(run.args);
        EXPECT_EQ(withMeter.status, 0) << withMeter.err;
        EXPECT_NE(withMeter.err.find(run.line), std::string::npos) << withMeter.err;
        EXPECT_TRUE(withMeter.err.ends_with("\r\033[K")) << withMeter.err;
        EXPECT_EQ(RunChild(run.args, false).err, "");
    }
}

}  // namespace
}  // namespace orva::cli
