#include "cli/MetadataListing.h"

#include <ostream>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "cli/CommandSupport.h"
#include "cli/HostContext.h"

namespace orva::cli {

using namespace automation;
using namespace components;

std::optional<ListingContext> ListingContextOf(const HostOptions& host, Streams& streams,
                                               const std::string& command) {
    Text propsString = FromUtf8(ComposePropsString(host));
    try {
        return ListingContext{AccountFromPropsString(propsString), LanguageFromPropsString(propsString)};
    } catch (const AutomationError& error) {
        ReportNoAccount(streams, command, propsString, error);
        return std::nullopt;
    }
}

void RequireBizSubsystem(const ListingContext& context, int32_t subsystem) {
    if (!ReadBizSubsystem(context.account, subsystem)) {
        Raise(errors::kInvalidCall, u"the account has no business subsystem " + Int32ToText(subsystem));
    }
}

void PrintListing(const Listing& listing, const ListingContext& context, const char* key,
                  std::optional<int32_t> subsystem, bool json, std::ostream& out) {
    if (json) {
        nlohmann::ordered_json root;
        root["language"] = ToUtf8(LanguageCode(context.language));
        if (subsystem) root["subsystem"] = *subsystem;
        root[key] = listing.items;
        out << root.dump(2) << "\n";
        return;
    }
    auto printLine = [&](const std::vector<std::string>& cells) {
        for (size_t i = 0; i < cells.size(); ++i) out << (i ? "\t" : "") << cells[i];
        out << "\n";
    };
    printLine(listing.header);
    for (const auto& row : listing.rows) printLine(row);
}

const char* ClassKindWord(int32_t billTypeId) {
    if (billTypeId == kBaseDataKind) return "base data";
    if (billTypeId == kBillKind) return "bill";
    return "query";
}

}  // namespace orva::cli
