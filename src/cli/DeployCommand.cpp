// orva-deploy deploy FILE [--info INFO.json] [--dry-run]: writes a packet file into the console
// catalogue the way a host's DeployToLumoMain call does, printing the message list as it grows.

#include <ostream>

#include "account/AccountConnections.h"
#include "account/AccountLocation.h"
#include "account/AccountSnapshot.h"
#include "api/clsDeploywizard.h"
#include "automation/TextHelpers.h"
#include "bag/PropertyBagJson.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"
#include "cli/InputShape.h"
#include "cli/TerminalProgress.h"
#include "services/PropsString.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

// The same host context with the account replaced by another file.
HostOptions WithAccount(HostOptions host, const std::string& path) {
    host.props = ComposePropsString(host);
    Text kept;
    for (const Text& entry : Split(FromUtf8(host.props), u";")) {
        bool isConnect = PropsEntry(entry, u"ConnectString").has_value();
        if (!isConnect && !entry.empty()) kept += entry + u";";
    }
    host.props = ToUtf8(kept);
    host.catalog = path;
    return host;
}

class DeployCommand : public Command {
public:
    std::string Name() const override { return "deploy"; }
    std::string Description() const override { return "Deploy a packet file into the console catalogue"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("file", m_file, "Packet file made by the wizard (DeployFunction.Dat)")
            ->type_name("PACKETFILE")
            ->required();
        sub.add_option("--info", m_info,
                       "JSON deployment information: {\"<old class id>\": \"<new class id>\", ...,\n"
                       "\"ChangeName\": {\"<old class id>\": {\"CHS\": name, \"CHT\": name, \"EN\": name}}}")
            ->type_name("JSON");
        sub.add_flag("--dry-run", m_dryRun,
                     "Report what the deployment would create and refuse, without changing the catalogue");
        sub.footer(
            "\nThe packet of the host's language (--language, or Language= in --props) is deployed into the\n"
            "account given by --catalog (or ConnectString= in --props). Each line of the message list is\n"
            "printed as it is written, with control and bidirectional characters of names shown escaped\n"
            "(\"\\x1b\", \"\\u202e\", a backslash as \"\\\\\"); on a terminal, progress goes to stderr.\n"
            "The --info file must be a regular file of at most 64 MiB, nested at most 64 levels deep.\n"
            "--dry-run deploys into a copy of an account file, or on a server into one transaction that is\n"
            "rolled back at the end.\n"
            "Exit status: 0 when the deployment ran to its end (functions already present included), 1 when\n"
            "an error ended it, 2 for a wrong command line.\n\n"
            "Example:\n  orva-deploy deploy DeployFunction.Dat --catalog account.db --language EN --dry-run");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        DictionaryRef info;
        std::unique_ptr<AccountSnapshot> snapshot;
        std::unique_ptr<PinnedAccountTransaction> trial;
        try {
            if (!m_info.empty()) {
                Variant parsed = ParsePropertyBagJson(ReadInputFile(m_info), FromUtf8(m_info),
                                                      DeploymentInfoShape(FromUtf8(m_info)));
                info = std::dynamic_pointer_cast<Dictionary>(parsed.ToObject());
            }
            if (m_dryRun) {
                AccountAddress account = AccountFromPropsString(FromUtf8(ComposePropsString(host)));
                if (account.IsServer()) {
                    // A server's database cannot be copied aside: the run goes into one transaction,
                    // which is rolled back when it ends.
                    trial = std::make_unique<PinnedAccountTransaction>(account);
                    streams.out << "Dry run on " << trial->Connection().Name()
                                << " in a transaction that is rolled back: the account itself is not "
                                   "changed.\n";
                } else {
                    snapshot = std::make_unique<AccountSnapshot>(account.location);
                    PublishHostContext(WithAccount(host, snapshot->Path().string()), streams);
                    streams.out << "Dry run on a copy of " << account.location
                                << ": the account itself is not changed.\n";
                }
            }
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "deploy", error);
        }

        TerminalProgress meter(streams.err, ProgressWanted(host, streams), "deploying");
        VectorRef messages = PrintedMessageList(streams, meter);
        api::clsDeploywizard wizard;
        bool ok = wizard.DeployToLumoMain(FromUtf8(m_file), info, messages,
                                          meter.AsCallback<core::DeployProgress>(), JournalOrigin::Deploy);
        meter.Erase();
        return ok ? kExitOk : kExitFailure;
    }

private:
    std::string m_file;
    std::string m_info;
    bool m_dryRun = false;
};

}  // namespace

std::unique_ptr<Command> MakeDeployCommand() { return std::make_unique<DeployCommand>(); }

}  // namespace orva::cli
