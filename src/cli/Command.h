#pragma once
// One orva-deploy subcommand: its name, a one-line description, its options and its run. Commands
// are gathered by MakeCommands() (Commands.cpp); their streams are injected so tests run them
// in-process. All logic stays in the library; a command only parses, calls and prints.

#include <CLI/CLI.hpp>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace orva::cli {

struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
};

// Options every command accepts: they describe the host context the command runs in.
struct HostOptions {
    std::string language = "CHS";
    bool languageGiven = false;  // --language was on the command line (not just the default)
    std::string catalog;         // path of the account database, or a postgresql:// URI
    std::string props;           // a whole properties string; must agree with the two above
    bool quiet = false;          // --quiet: no progress meter on stderr (errors are still printed)
};

// Exit status of a command.
enum ExitStatus : int { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

class Command {
public:
    virtual ~Command() = default;
    virtual std::string Name() const = 0;
    virtual std::string Description() const = 0;
    // Declares the command's options and arguments on its own subcommand; longer help goes into
    // sub.footer().
    virtual void Configure(CLI::App& sub) = 0;
    // Runs after parsing. Prints results to out and errors (naming the file) to err.
    virtual int Execute(const HostOptions& host, Streams& streams) = 0;
};

// Every command, in the order --help lists them.
std::vector<std::unique_ptr<Command>> MakeCommands();

}  // namespace orva::cli
