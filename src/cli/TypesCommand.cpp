// orva-deploy types [--subsystem N] [--json]: lists the account's class types, the FIDs that the
// wizard command's --type takes.

#include <ostream>

#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/ClassCatalog.h"
#include "cli/CommandSupport.h"
#include "cli/Commands.h"
#include "cli/MetadataListing.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

class TypesCommand : public Command {
public:
    std::string Name() const override { return "types"; }
    std::string Description() const override { return "List the class types of an account database"; }

    void Configure(CLI::App& sub) override {
        m_subsystemOption = sub.add_option("--subsystem", m_subsystemValue,
                                           "Only the types of this business subsystem (see: subsystems)")
                                ->type_name("N");
        sub.add_flag("--json", m_json, "Print JSON: FID, kind, FBillTypeID, FFunctionID and the names");
        sub.footer(
            "\nOne line per class type, by FID: FID, kind (base data, bill or query), business subsystem "
            "and\n"
            "the names in CHS, CHT and EN, separated by tabs. Control and bidirectional characters in names\n"
            "are shown escaped; --json keeps them exact.\n\n"
            "Example:\n  orva-deploy types --catalog /srv/orva/account.db --subsystem 12");
    }

    int Execute(const HostOptions& host, Streams& streams) override {
        std::optional<ListingContext> context = ListingContextOf(host, streams, Name());
        if (!context) return kExitUsage;
        std::optional<int32_t> subsystem;
        if (m_subsystemOption->count() > 0) subsystem = m_subsystemValue;
        try {
            ClassTypeFilter filter;
            if (subsystem) {
                RequireBizSubsystem(*context, *subsystem);
                filter.conditions.push_back({ClassTypeField::FFunctionID, FilterOperator::Equal, *subsystem});
            }
            VectorRef types = ClassTypeDictionaries(context->account, context->language, filter);
            Listing listing;
            listing.header = {"FID", "kind", "subsystem", "CHS", "CHT", "EN"};
            for (const Variant& item : *types) {
                DictionaryRef type = AsDictionary(item);
                int32_t kind = type->Value(u"FBillTypeID").ToInt32();
                int32_t fid = type->Value(u"FID").ToInt32();
                int32_t owner = type->Value(u"FFunctionID").ToInt32();
                listing.rows.push_back({std::to_string(fid), ClassKindWord(kind), std::to_string(owner),
                                        TerminalText(type->Value(u"FName_CHS").ToText()),
                                        TerminalText(type->Value(u"FName_CHT").ToText()),
                                        TerminalText(type->Value(u"FName_EN").ToText())});
                nlohmann::ordered_json object;
                object["FID"] = fid;
                object["kind"] = ClassKindWord(kind);
                object["FBillTypeID"] = kind;
                object["FFunctionID"] = owner;
                for (const char16_t* field : {u"FName", u"FName_CHS", u"FName_CHT", u"FName_EN"})
                    object[ToUtf8(field)] = ToUtf8Lossy(type->Value(field).ToText());
                listing.items.push_back(std::move(object));
            }
            PrintListing(listing, *context, "types", subsystem, m_json, streams.out);
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

std::unique_ptr<Command> MakeTypesCommand() { return std::make_unique<TypesCommand>(); }

}  // namespace orva::cli
