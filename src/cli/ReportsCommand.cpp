// orva-deploy reports [--subsystem N] [--json]: lists the account's reports with the parameter string
// each one is published with.

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

class ReportsCommand : public Command {
public:
    std::string Name() const override { return "reports"; }
    std::string Description() const override { return "List the reports of an account database"; }

    void Configure(CLI::App& sub) override {
        m_subsystemOption = sub.add_option("--subsystem", m_subsystemValue,
                                           "Only the reports of this business subsystem (see: subsystems)")
                                ->type_name("N");
        sub.add_flag("--json", m_json, "Print JSON: FID, FType, class parameter, FFunctionID and the names");
        sub.footer(
            "\nOne line per report, by FID: FID, FType, the class parameter its query function is published\n"
            "with (CROSSRPT|, NEWCROSSRPT| or SQLRPT| and the FID), business subsystem and the names in "
            "CHS,\n"
            "CHT and EN, separated by tabs. Control and bidirectional characters in names are shown\n"
            "escaped; --json keeps them exact.\n\n"
            "Example:\n  orva-deploy reports --catalog /srv/orva/account.db --subsystem 12 --json");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<ListingContext> context = ListingContextOf(host, streams, Name());
        if (!context) return kExitUsage;
        std::optional<int32_t> subsystem;
        if (m_subsystemOption->count() > 0) subsystem = m_subsystemValue;
        try {
            if (subsystem) RequireBizSubsystem(*context, *subsystem);
            std::shared_ptr<Recordset> reports = QueryReports(context->account, context->language, subsystem);
            Listing listing;
            listing.header = {"FID", "FType", "class parameter", "subsystem", "CHS", "CHT", "EN"};
            for (; !reports->IsEOF(); reports->MoveNext()) {
                int32_t fid = reports->Field(u"FID").ToInt32();
                int32_t type = reports->Field(u"FType").ToInt32();
                int32_t owner = reports->Field(u"FFunctionID").ToInt32();
                Text tag = ReportTag(fid, type);
                listing.rows.push_back({std::to_string(fid), std::to_string(type), TerminalText(tag),
                                        std::to_string(owner),
                                        TerminalText(reports->Field(u"FName_CHS").ToText()),
                                        TerminalText(reports->Field(u"FName_CHT").ToText()),
                                        TerminalText(reports->Field(u"FName_EN").ToText())});
                nlohmann::ordered_json object;
                object["FID"] = fid;
                object["FType"] = type;
                object["FClassParam"] = ToUtf8(tag);
                object["FFunctionID"] = owner;
                for (const char16_t* field : {u"FName", u"FName_CHS", u"FName_CHT", u"FName_EN"})
                    object[ToUtf8(field)] = ToUtf8Lossy(reports->Field(field).ToText());
                listing.items.push_back(std::move(object));
            }
            PrintListing(listing, *context, "reports", subsystem, m_json, streams.out);
            return kExitOk;
        } catch (const AutomationError& error) {
            return ReportFailure(streams, Name(), error);
        }
    }

private:
    int32_t m_subsystemValue = 0;
    CLI::Option* m_subsystemOption = nullptr;
    bool m_json = false;
};

}  // namespace

std::unique_ptr<Command> MakeReportsCommand() { return std::make_unique<ReportsCommand>(); }

}  // namespace orva::cli
