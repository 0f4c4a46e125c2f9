// orva-deploy register [--user|--system] [--registry DIR] [--list]
// orva-deploy unregister [--user|--system] [--registry DIR]
// Write, list and remove the library's entries in a registry of in-process servers.

#include <algorithm>
#include <ostream>
#include <vector>

#include "api/ServerRegistration.h"
#include "automation/Text.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"

namespace orva::cli {

namespace {

constexpr const char* kLocationHelp =
    "\nThe registry folder is --registry DIR when given, else the folder named by the environment\n"
    "variable ORVA_REGISTRY, else the user's ($XDG_DATA_HOME/orva/registry, by default\n"
    "~/.local/share/orva/registry; --user, the default) or the system's (/etc/orva/registry; --system).\n"
    "Each public class has one file there (docs/registry.md).";

// The options both commands share: which registry folder.
class RegistryCommand : public Command {
public:
    void Configure(CLI::App& sub) override {
        auto* user = sub.add_flag("--user", m_user, "The user's registry (the default)");
        auto* system = sub.add_flag("--system", m_system, "The system-wide registry");
        user->excludes(system);
        sub.add_option("--registry", m_folder, "Another registry folder")
            ->type_name("FOLDER")
            ->excludes(user)
            ->excludes(system);
    }

protected:
    std::filesystem::path Folder() const {
        return api::RegistryFolderFor(m_system ? api::RegistryScope::System : api::RegistryScope::User,
                                      m_folder);
    }

    bool m_user = false;
    bool m_system = false;
    std::string m_folder;
};

class RegisterCommand : public RegistryCommand {
public:
    std::string Name() const override { return "register"; }
    std::string Description() const override {
        return "Register the library's classes so that hosts can create them by program ID";
    }

    void Configure(CLI::App& sub) override {
        RegistryCommand::Configure(sub);
        sub.add_flag("--list", m_list,
                     "Only list the registry's entries, flagging those not trusted or whose library file is "
                     "missing or not trusted");
        sub.footer(std::string(kLocationHelp) +
                   "\nRegistering again changes nothing; an entry of the same program ID that another\n"
                   "library wrote is replaced.\n\nExample:\n  orva-deploy register --system");
    }

    int Execute(const HostOptions&, Streams& streams) override {
        try {
            std::filesystem::path folder = Folder();
            if (m_list) return List(folder, streams);
            std::filesystem::path library = api::RegisteredLibraryPath();
            std::vector<std::filesystem::path> unchanged;
            std::vector<std::filesystem::path> files = api::RegisterServer(folder, library, &unchanged);
            for (const std::filesystem::path& file : files) {
                streams.out << "Registered " << TerminalText(file.string()) << " -> "
                            << TerminalText(library.string());
                if (std::find(unchanged.begin(), unchanged.end(), file) != unchanged.end())
                    streams.out << " (unchanged)";
                streams.out << "\n";
            }
            if (unchanged.size() == files.size()) {
                streams.out << "Nothing changed: the library was registered in "
                            << TerminalText(folder.string()) << " already\n";
            }
            return kExitOk;
        } catch (const automation::AutomationError& error) {
            return ReportFailure(streams, "register", error);
        }
    }

private:
    static int List(const std::filesystem::path& folder, Streams& streams) {
        bool sound = true;
        std::vector<api::ListedEntry> entries = api::ListRegistry(folder);
        if (entries.empty()) {
            // On stderr: the entry lines on stdout stay the whole of stdout, for scripts that count them.
            std::error_code error;
            streams.err << "register: no entries in " << TerminalText(folder.string())
                        << (std::filesystem::exists(folder, error) ? "" : " (the folder does not exist)")
                        << "\n";
        }
        for (const api::ListedEntry& listed : entries) {
            if (listed.untrusted) {
                // The problem names the file: "<file>: not trusted: <reason>".
                streams.out << TerminalText(listed.problem) << "\n";
                sound = false;
                continue;
            }
            if (!listed.problem.empty()) {
                streams.out << TerminalText(listed.file.string())
                            << ": unreadable: " << TerminalText(listed.problem) << "\n";
                sound = false;
                continue;
            }
            streams.out << TerminalText(listed.entry.progId) << " " << listed.entry.version << " "
                        << TerminalText(listed.entry.library);
            if (listed.libraryMissing) {
                streams.out << "  [library missing: creation fails until it is registered again]";
                sound = false;
            } else if (!listed.libraryProblem.empty()) {
                streams.out << "  [library not trusted: " << TerminalText(listed.libraryProblem) << "]";
                sound = false;
            }
            streams.out << "\n";
        }
        return sound ? kExitOk : kExitFailure;
    }

    bool m_list = false;
};

class UnregisterCommand : public RegistryCommand {
public:
    std::string Name() const override { return "unregister"; }
    std::string Description() const override { return "Remove the registry entries this library wrote"; }

    void Configure(CLI::App& sub) override {
        RegistryCommand::Configure(sub);
        sub.footer(std::string(kLocationHelp) +
                   "\nOnly entries naming this library file are removed; entries that another library or\n"
                   "installation wrote stay.");
    }

    int Execute(const HostOptions&, Streams& streams) override {
        try {
            api::UnregisterOutcome outcome = api::UnregisterServer(Folder(), api::RegisteredLibraryPath());
            for (const auto& file : outcome.removed)
                streams.out << "Removed " << TerminalText(file.string()) << "\n";
            for (const auto& file : outcome.keptForeign) {
                streams.out << "Kept " << TerminalText(file.string()) << " (written for another library)\n";
            }
            for (const std::string& problem : outcome.keptUntrusted) {
                streams.out << "Kept " << TerminalText(problem) << "\n";
            }
            return kExitOk;
        } catch (const automation::AutomationError& error) {
            return ReportFailure(streams, "unregister", error);
        }
    }
};

}  // namespace

std::unique_ptr<Command> MakeRegisterCommand() { return std::make_unique<RegisterCommand>(); }
std::unique_ptr<Command> MakeUnregisterCommand() { return std::make_unique<UnregisterCommand>(); }

}  // namespace orva::cli
