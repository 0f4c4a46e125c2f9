#pragma once
// What the listing commands (types, reports, subsystems) share: the account and language the host
// options name, the check of a --subsystem value, and the printing of one listing as tab-separated
// lines for people or as exact JSON for scripts.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "catalog/MetadataTables.h"
#include "cli/Command.h"

namespace orva::cli {

struct ListingContext {
    components::AccountAddress account;
    components::CatalogLanguage language = components::CatalogLanguage::CHS;
};

// The account and language of the host options; nothing, after printing "orva-deploy: <command>: no
// account database named: give --catalog FILE" to err, when they name no account.
std::optional<ListingContext> ListingContextOf(const HostOptions& host, Streams& streams,
                                               const std::string& command);

// Raises 5 "the account has no business subsystem N" unless the account has it: a mistyped number
// would otherwise list nothing and look like an empty subsystem.
void RequireBizSubsystem(const ListingContext& context, int32_t subsystem);

// One listing: a header and rows of cells for the terminal, objects for JSON.
struct Listing {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;  // UTF-8, already made safe for a terminal
    nlohmann::ordered_json items = nlohmann::ordered_json::array();
};

// Prints the listing: with json, {"language": ..., "subsystem": N or null, <key>: items} (the
// subsystem only when given); otherwise the header and the rows, cells separated by tabs.
void PrintListing(const Listing& listing, const ListingContext& context, const char* key,
                  std::optional<int32_t> subsystem, bool json, std::ostream& out);

// The kind of a class type as a word: "base data" (FBillTypeID 1), "bill" (4), "query" (any other).
const char* ClassKindWord(int32_t billTypeId);

}  // namespace orva::cli
