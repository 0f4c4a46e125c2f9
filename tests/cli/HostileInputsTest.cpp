// What a hostile user hands the tool: play scripts nested or numbered beyond reason, JSON inputs made
// of millions of tiny items, and --screenshot or -o targets that are no files. Each is refused with a
// message naming the file, within memory proportional to the input, without hanging or crashing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <thread>

#include "cli/CliRunner.h"
#include "support/AccountFixture.h"

namespace orva::cli {
namespace {

namespace fs = std::filesystem;
using testing::CliResult;
using testing::RunTool;

std::string Repeat(const std::string& part, size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += part;
    return text;
}

// Both dialogs' commands on the demo account: the wizard on type 1001, the publish dialog on the Sales
// subsystem's base data 200000004.
struct DialogCommands {
    components::testing::TestAccount account;

    fs::path Path(const std::string& name) const { return account.Folder() / name; }

    std::vector<std::string> Args(bool wizard, std::vector<std::string> extra) const {
        std::vector<std::string> args{"--catalog", account.FileName()};
        if (wizard) {
            args.insert(args.end(), {"wizard", "--type", "1001", "-o", Path("out.Dat").string()});
        } else {
            args.insert(args.end(), {"publish", "--subsystem", "12", "--type", "200000004"});
        }
        args.insert(args.end(), extra.begin(), extra.end());
        return args;
    }

    std::string Script(const std::string& steps) const {
        std::ofstream(Path("steps.json"), std::ios::binary) << steps;
        return Path("steps.json").string();
    }
};

TEST(HostileInputs, PlayScriptsBeyondReasonAreStepOrFileErrorsOfBothDialogs) {
    DialogCommands f;
    const std::string x60 = std::string(60, 'x') + "\u2026";
    struct Case {
        std::string steps;
        std::string error;  // after "<script>: "; {dialog} stands for the dialog's name
    };
    const Case cases[] = {
        {Repeat("[", 100000), "nesting deeper than 64 levels at byte 65"},
        {Repeat("[{\"x\": ", 40), "nesting deeper than 64 levels at byte 225"},
        {R"([{"click": "lstTopClass", "index": 1e400}])",
         "step 1: \"index\" must be a whole number of 32 bits, not 1e400"},
        {R"([{"close": true}, {"select": "lvwFuncDetail", "indexes": [1, -1e400]}])",
         "step 2: \"indexes\" must hold whole numbers of 32 bits, not -1e400"},
        {R"([{"input": 1e999, "ok": true}])", "step 1: \"input\" holds a number out of range: 1e999"},
        {R"({"steps": 1e400})", "a number out of range (1e400) at byte 14"},
        {"[{\"click\": \"cmdOK\", \"" + std::string(300, 'x') + "\": 1}]",
         "step 1: \"click\" takes no field \"" + x60 + "\""},
        {"[{\"click\": \"" + std::string(300, 'x') + "\"}]",
         "step 1: no control \"" + x60 + "\" in {dialog}"},
    };
    for (bool wizard : {true, false}) {
        for (const Case& c : cases) {
            SCOPED_TRACE((wizard ? "wizard: " : "publish: ") + c.steps.substr(0, 60));
            const std::string script = f.Script(c.steps);
            CliResult run = RunTool(f.Args(wizard, {"--play", script}));
            std::string error = c.error;
            if (size_t at = error.find("{dialog}"); at != std::string::npos)
                error.replace(at, 8, wizard ? "frmWizard" : "frmPromu");
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, std::string("orva-deploy: ") + (wizard ? "wizard" : "publish") + ": " +
                                   script + ": " + error + "\n");
        }
    }
    EXPECT_FALSE(fs::exists(f.Path("out.Dat")));
}

// Runs the tool in a child process: its status, its error output's first line and how far its
// resident memory grew beyond what it started with, in MiB.
struct ChildRun {
    int status;
    std::string err;
    long grownMiB;
};

// A line of /proc/self/status in KiB: "VmRSS" (resident now) or "VmHWM" (its peak).
long StatusKiB(const std::string& field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
    return 0;
}

ChildRun RunInChild(const std::vector<std::string>& args, const fs::path& errFile) {
    pid_t child = fork();
    if (child == 0) {
        std::ofstream("/proc/self/clear_refs") << "5";  // the peak starts again from what is resident
        const long before = StatusKiB("VmRSS");
        CliResult result = RunTool(args);
        std::ofstream(errFile) << (StatusKiB("VmHWM") - before) / 1024 << "\n" << result.err;
        _exit(result.status);
    }
    int status = 0;
    waitpid(child, &status, 0);
    std::ifstream err(errFile);
    std::string grown, line;
    std::getline(err, grown);
    std::getline(err, line);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, line, std::stol(grown)};
}

TEST(HostileInputs, SwarmsOfTinyItemsAreRefusedWithinMemoryProportionalToTheFile) {
    DialogCommands f;
    const std::string swarm = Repeat("[],", 2'000'000) + "[]";  // 6 MB, some 300 MB as a tree
    struct Case {
        bool info;  // deploy --info, else pack
        std::string json;
        std::string error;  // after "<file>: "
        long maxGrownMiB;
    };
    const Case cases[] = {
        // Keys the shape leaves alone are bounded by the memory they would take (the same reader reads
        // deploy --info).
        {false, "{\"x\": [" + swarm + "]}", "too many small items for the file's size", 16 * 6 + 60},
        // A wrong shape is refused at its first wrong item, before the rest is read.
        {false, "{\"CHS\": [" + swarm + "]}", "$/CHS[1] is an array, not an object (a deployment entry)", 40},
        {true, "{\"ChangeName\": {\"1\": [" + swarm + "]}}",
         "$/ChangeName/1 is an array, not an object of names per language", 40},
        {true, "{\"x\": [" + swarm + "]}",
         "$/x is an array, not a text or a number (the new class identifier)", 40},
        {false, "[" + swarm + "]", "the top-level JSON value must be an object", 40},
    };
    const std::string packet = ORVA_SOURCE_DIR "/data/samples/DeployFunction.Dat";
    for (const Case& c : cases) {
        SCOPED_TRACE((c.info ? "deploy --info " : "pack ") + c.error);
        const std::string input = f.Script(c.json);
        const std::vector<std::string> args =
            c.info ? std::vector<std::string>{"--catalog", f.account.FileName(), "deploy", packet, "--info",
                                              input,       "--dry-run"}
                   : std::vector<std::string>{"pack", input, "-o", f.Path("out.Dat").string()};
        ChildRun run = RunInChild(args, f.Path("err.txt"));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.rfind(std::string("orva-deploy: ") + (c.info ? "deploy" : "pack") + ": " + input +
                                    ": " + c.error,
                                0),
                  0u)
            << run.err;
        EXPECT_LT(run.grownMiB, c.maxGrownMiB);
    }
    EXPECT_FALSE(fs::exists(f.Path("out.Dat")));
}

// Opens what a writer blocked on the FIFO waits for, so that a command that wrongly opened it ends.
void Unblock(const fs::path& fifo) {
    int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    if (reader >= 0) ::close(reader);
}

TEST(HostileInputs, ScreenshotAndOutputTargetsThatAreNoFilesAreRefusedBeforeTheDialogOpens) {
    struct Node {
        const char* kind;
        std::function<bool(const fs::path&)> make;
        std::string message;  // after "<target>: "
    };
    const std::vector<Node> nodes = {
        {"folder", [](const fs::path& p) { return fs::create_directory(p); },
         "cannot be replaced: it is a folder"},
        {"FIFO", [](const fs::path& p) { return mkfifo(p.c_str(), 0600) == 0; },
         "cannot be replaced: it is a FIFO"},
        {"device", [](const fs::path& p) { return mknod(p.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
         "cannot be replaced: it is a character device"},
        {"dangling link",
         [](const fs::path& p) {
             fs::create_symlink(p.parent_path() / "nowhere.png", p);
             return true;
         },
         "is a symbolic link to {dir}/nowhere.png, which does not exist"},
    };
    struct Target {
        bool wizard;
        std::string option;  // --screenshot or -o
        std::string node;    // the name the node gets
    };
    const Target targets[] = {
        {true, "--screenshot", "shot.png"},
        {false, "--screenshot", "shot.png"},
        {true, "--screenshot", "shot-frmInput-2.png"},
        {false, "--screenshot", "shot-frmInput-1.png"},
        {true, "-o", "out.Dat"},
    };
    for (const Node& node : nodes) {
        for (const Target& target : targets) {
            SCOPED_TRACE(std::string(node.kind) + " as " + target.node);
            DialogCommands f;
            const fs::path at = f.Path(target.node);
            if (!node.make(at)) {
                std::cout << "[ SKIPPED  ] a " << node.kind << " cannot be made here\n";
                break;
            }
            const fs::file_type type = fs::symlink_status(at).type();
            // Two answers typed: the wizard's name dialog opens on cmdModify.
            std::string script = f.Script(
                R"([{"click": "lstSubFunc", "text": "会计科目"}, {"input": "甲", "ok": false},
                    {"input": "乙", "ok": true}, {"click": "cmdModify"}, {"click": "cmdModify"}])");
            std::vector<std::string> extra{"--play", script};
            if (target.option == "--screenshot")
                extra.insert(extra.end(), {"--screenshot", f.Path("shot.png").string()});
            std::vector<std::string> args = f.Args(target.wizard, extra);
            if (target.option == "-o") *(std::find(args.begin(), args.end(), "-o") + 1) = at.string();
            auto running = std::async(std::launch::async, [&] { return RunTool(args); });
            if (running.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
                ADD_FAILURE() << "the command waits on the target";
                Unblock(at);
            }
            CliResult run = running.get();
            std::string message = node.message;
            if (size_t dir = message.find("{dir}"); dir != std::string::npos)
                message.replace(dir, 5, f.account.Folder().string());
            EXPECT_EQ(run.status, 2);
            EXPECT_EQ(run.err, std::string("orva-deploy: ") + (target.wizard ? "wizard" : "publish") + ": " +
                                   target.option + ": " + at.string() + ": " + message + "\n");
            EXPECT_EQ(run.out, "") << "refused before the dialog opens";
            EXPECT_EQ(fs::symlink_status(at).type(), type);
        }
    }
}

}  // namespace
}  // namespace orva::cli
