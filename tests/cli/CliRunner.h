#pragma once
// Runs orva-deploy in-process with captured streams, or the built program as a child process.

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace orva::cli::testing {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult RunTool(const std::vector<std::string>& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    Streams streams{in, out, err};
    int status = RunCli(args, streams);
    return {status, out.str(), err.str()};
}

// Starts the built orva-deploy with args (the program's name is added) as a child process whose
// stream (STDOUT_FILENO or STDERR_FILENO) goes to the file at path, created or emptied. Returns the
// child's pid, or -1 when it could not start.
inline pid_t StartToolProcess(const std::vector<std::string>& args, int stream, const std::string& path) {
    std::string tool = ORVA_BINARY_DIR "/bin/orva-deploy";
    std::vector<std::string> all{tool};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all) argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, stream, path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    const bool started = posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    return started ? pid : -1;
}

// Waits for a child process: its exit status, or -1 when it did not exit normally.
inline int ExitStatusOf(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace orva::cli::testing
