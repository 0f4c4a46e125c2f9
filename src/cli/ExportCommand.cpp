// orva-deploy export (--top ID | --subsystem ID | --subfunc ID)... [--hidden] -o FILE: writes the
// function details under chosen catalogue nodes into a packet file that deploy reads.

#include <ostream>

#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"
#include "cli/TerminalProgress.h"
#include "core/BranchExport.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class ExportCommand : public Command {
public:
    std::string Name() const override { return "export"; }
    std::string Description() const override {
        return "Write branches of the console catalogue into a packet file";
    }

    void Configure(CLI::App& sub) override {
        for (Root& root : m_roots) {
            sub.add_option(root.option, root.ids, root.help)
                ->type_name("ID")
                ->expected(1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
        }
        sub.add_flag("--hidden", m_hidden, "Include hidden nodes and the branches under them");
        sub.add_option("-o,--output", m_output, "Packet file to write (replaced safely if it exists)")
            ->type_name("PACKETFILE")
            ->required();
        sub.footer(
            "\nEvery function detail under the chosen nodes goes into the packet file, in the order the\n"
            "console lists them, with one packet per language (CHS, CHT, EN): names from the catalogue's\n"
            "three name columns, class name, class parameter and help code as stored, and the line texts\n"
            "the wizard writes. Deploying the file into another account builds the same branches there,\n"
            "named in all three languages. The ids are those of \"orva-deploy catalog\". The options may\n"
            "repeat and mix; a node named twice, or lying under another named node, is exported once.\n"
            "Hidden nodes are left out unless --hidden is given; naming a hidden node without it is an\n"
            "error. An unknown id is an error too, and then no file is written.\n"
            "Exit status: 0 when the file was written, 1 for an unknown or hidden node or a failed read or\n"
            "write, 2 for a wrong command line.\n\n"
            "Examples:\n"
            "  orva-deploy catalog --catalog account.db\n"
            "  orva-deploy export --catalog account.db --subsystem 302 --subfunc 1011 -o "
            "销售/DeployFunction.Dat\n"
            "  orva-deploy deploy 销售/DeployFunction.Dat --catalog other.db");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::vector<BranchRoot> roots;
        for (const Root& root : m_roots) {
            for (int32_t id : root.ids) {
                roots.push_back({root.level, id, FromUtf8(root.option) + u" " + Int32ToText(id)});
            }
        }
        if (roots.empty()) {
            streams.err << "orva-deploy: export: name at least one node: --top ID, --subsystem ID or "
                           "--subfunc ID\n";
            return kExitUsage;
        }
        std::optional<AccountAddress> found = HostAccount(host, streams, "export");
        if (!found) return kExitUsage;
        const AccountAddress& account = *found;
        try {
            TerminalProgress meter(streams.err, ProgressWanted(host, streams), "reading",
                                   ProgressUnit::SubFunctions);
            // The file is written straight from the details, without building the packet set first.
            std::vector<BranchDetail> details =
                ReadCatalogBranches(account, roots, m_hidden, meter.AsCallback<BranchProgress>());
            core::SaveBranchPacketSet(FromUtf8(m_output), details);
            meter.Erase();
            streams.out << "Exported " << details.size() << " function details to " << TerminalText(m_output)
                        << "\n";
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "export", error);
        }
    }

private:
    struct Root {
        int32_t level;
        std::string option;
        std::string help;
        std::vector<int32_t> ids;
    };
    Root m_roots[3] = {{1, "--top", "A top class to export, by id (may repeat)", {}},
                       {2, "--subsystem", "A subsystem to export, by id (may repeat)", {}},
                       {3, "--subfunc", "A sub-function to export, by id (may repeat)", {}}};
    bool m_hidden = false;
    std::string m_output;
};

}  // namespace

std::unique_ptr<Command> MakeExportCommand() { return std::make_unique<ExportCommand>(); }

}  // namespace orva::cli
