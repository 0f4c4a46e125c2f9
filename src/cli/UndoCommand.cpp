// orva-deploy undo RUN [--dry-run]: removes exactly the nodes a journaled run created, or refuses
// with the reasons.

#include <ostream>

#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/HostContext.h"
#include "cli/TerminalProgress.h"
#include "core/RunUndo.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class UndoCommand : public Command {
public:
    std::string Name() const override { return "undo"; }
    std::string Description() const override { return "Remove the nodes a journaled run created"; }

    void Configure(CLI::App& sub) override {
        sub.add_option("run", m_run, "The run to undo (see history)")
            ->type_name("RUN")
            ->required()
            ->check(CLI::Range(1, 2147483647).description(""));
        sub.add_flag("--dry-run", m_dryRun, "Print what the undo would do, without changing the account");
        sub.footer(
            "\nRemoves exactly the nodes the run created (history RUN lists them), deepest level first, in "
            "one\n"
            "transaction, and journals itself as a run of origin \"undo\". It refuses as a whole, removing\n"
            "nothing, when the run is an undo itself or was undone already, or when one of its nodes has\n"
            "since gained a child that is not the run's, or was renamed, moved, given another index or\n"
            "otherwise changed (class parameter, class name, visibility): one line per reason. Nodes that\n"
            "were removed already are reported as gone and do not block. Lines are in the language of\n"
            "--language, names escaped as in deploy's output. --dry-run prints exactly what the undo would\n"
            "print and rolls everything back.\n"
            "Exit status: 0 when the undo removed (or would remove) the run's nodes, 1 when it refused or\n"
            "failed, 2 for a wrong command line.\n\n"
            "Example:\n  orva-deploy history --catalog account.db\n"
            "  orva-deploy undo 12 --catalog account.db --dry-run\n"
            "  orva-deploy undo 12 --catalog account.db");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<AccountAddress> found = HostAccount(host, streams, "undo");
        if (!found) return kExitUsage;
        const AccountAddress& account = *found;
        TerminalProgress meter(streams.err, ProgressWanted(host, streams), "removing", ProgressUnit::Nodes);
        VectorRef messages = PrintedMessageList(streams, meter);
        try {
            if (m_dryRun) {
                streams.out << "Dry run on " << TerminalText(account.DisplayName())
                            << " in a transaction that is rolled back: the account itself is not changed.\n";
            }
            bool ok = core::UndoJournalRun(account, m_run, m_dryRun, messages,
                                           meter.AsCallback<core::UndoProgress>());
            meter.Erase();
            return ok ? kExitOk : kExitFailure;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, "undo", error);
        }
    }

private:
    int32_t m_run = 0;
    bool m_dryRun = false;
};

}  // namespace

std::unique_ptr<Command> MakeUndoCommand() { return std::make_unique<UndoCommand>(); }

}  // namespace orva::cli
