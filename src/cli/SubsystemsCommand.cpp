// orva-deploy subsystems [--json]: lists the account's business subsystems, the numbers that the
// --subsystem options of types, reports and publish take.

#include <ostream>

#include "automation/TextHelpers.h"
#include "catalog/MetadataTables.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/MetadataListing.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class SubsystemsCommand : public Command {
public:
    std::string Name() const override { return "subsystems"; }
    std::string Description() const override { return "List the business subsystems of an account database"; }

    void Configure(CLI::App& sub) override {
        sub.add_flag("--json", m_json, "Print JSON: FFunctionID and the names");
        sub.footer(
            "\nOne line per business subsystem, by number: FFunctionID and the names in CHS, CHT and EN,\n"
            "separated by tabs. These are the suite's modules that own class types and reports, not the\n"
            "subsystems of the console catalogue (see: catalog).\n\n"
            "Example:\n  orva-deploy subsystems --catalog /srv/orva/account.db --json");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<ListingContext> context = ListingContextOf(host, streams, Name());
        if (!context) return kExitUsage;
        try {
            Listing listing;
            listing.header = {"FFunctionID", "CHS", "CHT", "EN"};
            for (const BizSubsystemRow& row : ReadBizSubsystems(context->account)) {
                listing.rows.push_back({std::to_string(row.functionId), TerminalText(row.names[0]),
                                        TerminalText(row.names[1]), TerminalText(row.names[2])});
                nlohmann::ordered_json object;
                object["FFunctionID"] = row.functionId;
                object["FName"] = ToUtf8Lossy(NameIn(row.names, context->language));
                object["FName_CHS"] = ToUtf8Lossy(row.names[0]);
                object["FName_CHT"] = ToUtf8Lossy(row.names[1]);
                object["FName_EN"] = ToUtf8Lossy(row.names[2]);
                listing.items.push_back(std::move(object));
            }
            PrintListing(listing, *context, "subsystems", std::nullopt, m_json, streams.out);
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
    }

private:
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeSubsystemsCommand() { return std::make_unique<SubsystemsCommand>(); }

}  // namespace orva::cli
