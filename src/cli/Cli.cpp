#include "cli/Cli.h"

#include <iostream>
#include <new>
#include <string>

#include "api/Registration.h"
#include "automation/AutomationError.h"
#include "capi/orva_server_abi.h"
#include "cli/CommandSupport.h"
#include "cli/Completion.h"
#include "cli/HostContext.h"

namespace orva::cli {

namespace {

constexpr const char* kFooter = R"(
Every command runs as a host program would run the library: with a language (--language, default
CHS), an account database (--catalog FILE, or --catalog postgresql://user@host:5432/database for an
account on a PostgreSQL server) and, if needed, a whole properties string (--props
"Language=EN;ConnectString=sqlite:/path/account.db;"). Run "orva-deploy COMMAND --help" for the
options of one command.

Exit status: 0 success, 1 the operation failed, 2 the command line was wrong.)";

// "--catalog" for an option, "deploy file" for a positional argument.
std::string OptionLabel(const CLI::App& owner, const CLI::Option& option) {
    std::string name = option.get_name();
    if (name.starts_with('-')) return name;
    return owner.get_parent() ? owner.get_name() + " " + name : name;
}

// "" for valid UTF-8, else where it is not.
std::string Utf8Problem(const std::string& value) {
    try {
        automation::RequireUtf8(value);
        return {};
    } catch (const automation::AutomationError& error) {
        return automation::ToUtf8Lossy(error.Description());
    }
}

// Runs the command after publishing the host context. A failure that the command did not report
// itself still ends in a message and status 1, never in an uncaught exception.
int ExecuteGuarded(Command& command, const HostOptions& host, Streams& streams) {
    const std::string context = "orva-deploy: " + command.Name() + ": ";
    try {
        PublishHostContext(host, streams);
        return command.Execute(host, streams);
    } catch (const automation::AutomationError& error) {
        streams.err << context << TerminalText(error.Description()) << "\n";
    } catch (const std::bad_alloc&) {
        streams.err << context << "not enough memory\n";
    } catch (const std::exception& error) {
        streams.err << context << "unexpected failure: " << TerminalText(error.what()) << "\n";
    } catch (...) {
        streams.err << context << "unexpected failure\n";
    }
    return kExitFailure;
}

}  // namespace

int RunCli(int argc, const char* const* argv, Streams& streams) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return RunCli(args, streams);
}

int RunCli(const std::vector<std::string>& args, Streams& streams) {
    api::RegisterLibraryClasses();

    CLI::App app{
        "orva-deploy: publish business objects into the console catalogue, and inspect packet "
        "files and catalogues.",
        "orva-deploy"};
    app.footer(kFooter);
    // The parser's messages quote arguments as given: escaped like the tool's own messages, so an
    // argument cannot move the cursor, erase or reorder what the terminal shows.
    app.failure_message([](const CLI::App* owner, const CLI::Error& error) {
        std::string message = CLI::FailureMessage::simple(owner, error);
        const std::string raw = error.what();
        if (message.starts_with(raw))
            message = TerminalText(std::string_view(raw)) + message.substr(raw.size());
        return message;
    });
    app.require_subcommand(1);
    app.fallthrough();
    // The interface version is the loaded library's own, the one a host's loader must match.
    app.set_version_flag(
        "-V,--version",
        [] {
            return std::string("orva-deploy " ORVA_TOOL_VERSION "\nautomation interface version ") +
                   std::to_string(OrvaAutomationAbiVersion());
        },
        "Print the version and the automation interface version, and exit");

    HostOptions host;
    CLI::Option* languageOption =
        app.add_option("--language", host.language, "Language of the host's login: CHS, CHT or EN (any case)")
            ->type_name("LANG")
            ->capture_default_str();
    app.add_option("--catalog", host.catalog,
                   "Account database of the console catalogue: a SQLite file, or a postgresql:// URI")
        ->type_name("ACCOUNT");
    app.add_option("--props", host.props, "Whole properties string of the host's login")->type_name("PROPS");
    app.add_flag("--quiet", host.quiet, "Show no progress on stderr, even on a terminal");

    std::vector<std::unique_ptr<Command>> commands = MakeCommands();
    std::vector<std::pair<CLI::App*, Command*>> subs;
    for (auto& command : commands) {
        CLI::App* sub = app.add_subcommand(command->Name(), command->Description());
        command->Configure(*sub);
        subs.emplace_back(sub, command.get());
    }

    if (!args.empty() && args[0] == kCompleteCommand)
        return PrintCompletions(app, std::vector<std::string>(args.begin() + 1, args.end()), streams);

    // CLI11 parses the arguments from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, streams.out, streams.err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, streams.out, streams.err);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e, streams.out, streams.err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, streams.out, streams.err);
        return kExitUsage;
    }

    for (auto& [sub, command] : subs) {
        if (!sub->parsed()) continue;
        // The library holds texts as UTF-16: a value that is not UTF-8 cannot reach it as given.
        for (CLI::App* owner : {&app, sub}) {
            for (const CLI::Option* option : owner->get_options()) {
                for (const std::string& value : option->results()) {
                    if (std::string problem = Utf8Problem(value); !problem.empty()) {
                        streams.err << "orva-deploy: " << OptionLabel(*owner, *option) << ": " << problem
                                    << "\n";
                        return kExitUsage;
                    }
                }
            }
        }
        host.languageGiven = languageOption->count() > 0;
        std::string problem;
        try {
            problem = CheckHostOptions(host);
        } catch (const std::exception& error) {
            problem =
                std::string("the host options cannot be used: ") + error.what();  // e.g. no current folder
        }
        if (!problem.empty()) {
            streams.err << "orva-deploy: " << TerminalText(problem) << "\n";
            return kExitUsage;
        }
        return ExecuteGuarded(*command, host, streams);
    }
    return kExitUsage;
}

}  // namespace orva::cli
