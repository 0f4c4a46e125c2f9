#include "cli/Cli.h"

#include <iostream>

#include "api/Registration.h"
#include "cli/HostContext.h"

namespace orva::cli {

namespace {

constexpr const char* kFooter = R"(
Every command runs as a host program would run the library: with a language (--language, default
CHS), an account database (--catalog FILE) and, if needed, a whole properties string (--props
"Language=EN;ConnectString=sqlite:/path/account.db;"). Run "orva-deploy COMMAND --help" for the
options of one command.

Exit status: 0 success, 1 the operation failed, 2 the command line was wrong.)";

}  // namespace

int RunCli(int argc, const char* const* argv, Streams& streams) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    return RunCli(args, streams);
}

int RunCli(const std::vector<std::string>& args, Streams& streams) {
    api::RegisterLibraryClasses();

    CLI::App app{"orva-deploy: publish business objects into the console catalogue, and inspect packet "
                 "files and catalogues.",
                 "orva-deploy"};
    app.footer(kFooter);
    app.require_subcommand(1);
    app.fallthrough();

    HostOptions host;
    app.add_option("--language", host.language, "Language of the host's login: CHS, CHT or EN")
        ->capture_default_str();
    app.add_option("--catalog", host.catalog, "Account database (SQLite file) of the console catalogue");
    app.add_option("--props", host.props, "Whole properties string of the host's login");

    std::vector<std::unique_ptr<Command>> commands = MakeCommands();
    std::vector<std::pair<CLI::App*, Command*>> subs;
    for (auto& command : commands) {
        CLI::App* sub = app.add_subcommand(command->Name(), command->Description());
        command->Configure(*sub);
        subs.emplace_back(sub, command.get());
    }

    // CLI11 parses the arguments from the back.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e, streams.out, streams.err);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e, streams.out, streams.err);
    } catch (const CLI::ParseError& e) {
        app.exit(e, streams.out, streams.err);
        return kExitUsage;
    }

    for (auto& [sub, command] : subs) {
        if (sub->parsed()) {
            PublishHostContext(host, streams);
            return command->Execute(host, streams);
        }
    }
    return kExitUsage;
}

}  // namespace orva::cli
