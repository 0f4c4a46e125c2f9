// Progress of a deployment goes to stderr only when stderr is a terminal; the message lines on
// stdout are the same either way.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "cli/CliRunner.h"
#include "support/TempDir.h"

extern char** environ;

namespace orva::cli {
namespace {

struct Captured {
    std::string out;
    std::string err;
};

std::string Drain(int fd) {
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = read(fd, buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<size_t>(got));
    return text;
}

// Runs orva-deploy with stdout on a pipe and stderr on a pseudo-terminal.
Captured RunWithTerminalStderr(std::vector<std::string> args) {
    int terminal = -1, side = -1;
    EXPECT_EQ(openpty(&terminal, &side, nullptr, nullptr, nullptr), 0);
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
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    close(side);
    Captured captured;
    captured.out = Drain(pipeFds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    captured.err = Drain(terminal);  // the terminal keeps what the child wrote until it is read
    close(pipeFds[0]);
    close(terminal);
    return captured;
}

TEST(DeployProgress, ShowsOnATerminalAndNeverInTheLines) {
    orva::testing::TempDir dir;
    std::string account = (dir / "account.db").string();
    ASSERT_EQ(testing::RunTool({"init", "--catalog", account, "--demo"}).status, 0);
    std::string packet = ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat";

    Captured withTerminal = RunWithTerminalStderr({"deploy", packet, "--catalog", account, "--dry-run"});
    EXPECT_NE(withTerminal.err.find("deploying: 8 of 8 entries"), std::string::npos) << withTerminal.err;
    EXPECT_EQ(withTerminal.out.find("deploying:"), std::string::npos);

    auto piped = testing::RunTool({"deploy", packet, "--catalog", account, "--dry-run"});
    EXPECT_EQ(piped.err.find("deploying:"), std::string::npos);
    EXPECT_EQ(withTerminal.out.substr(withTerminal.out.find('\n')), piped.out.substr(piped.out.find('\n')));
}

}  // namespace
}  // namespace orva::cli
