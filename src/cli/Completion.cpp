#include "cli/Completion.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <optional>
#include <ostream>
#include <set>

#include "account/AccountLocation.h"
#include "automation/TextHelpers.h"
#include "bag/Dictionary.h"
#include "catalog/CatalogReader.h"
#include "catalog/ClassCatalog.h"
#include "catalog/MetadataTables.h"
#include "cli/HostContext.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

// The option types whose values are file names.
const std::set<std::string> kFileTypes = {"FILE", "PACKETFILE", "SCRIPT", "PNG", "JSON", "ACCOUNT", "FOLDER"};

// Where the word being completed stands.
struct LinePosition {
    CLI::App* command = nullptr;           // the innermost command named so far
    const CLI::Option* pending = nullptr;  // the option whose value the word is
    size_t positionals = 0;                // arguments of command given before the word
    HostOptions host;                      // the host options given before the word
};

// The option of command or of a command above it (options fall through) named word.
const CLI::Option* FindOption(const CLI::App* command, const std::string& word) {
    for (; command != nullptr; command = command->get_parent()) {
        for (const CLI::Option* option : command->get_options()) {
            if (!option->get_positional() && option->check_name(word)) return option;
        }
    }
    return nullptr;
}

bool TakesValue(const CLI::Option& option) { return option.get_type_size_max() > 0; }

CLI::App* FindCommand(CLI::App& owner, const std::string& word) {
    for (CLI::App* sub : owner.get_subcommands([](CLI::App*) { return true; })) {
        if (sub->check_name(word)) return sub;
    }
    return nullptr;
}

// Keeps the host options given on the line, to find the account that values come from.
void Remember(HostOptions& host, const CLI::Option& option, const std::string& value) {
    if (option.check_name("--catalog")) host.catalog = value;
    if (option.check_name("--props")) host.props = value;
    if (option.check_name("--language")) {
        host.language = value;
        host.languageGiven = true;
    }
}

// Walks words[1, end).
LinePosition Walk(CLI::App& app, const std::vector<std::string>& words, size_t end) {
    LinePosition at;
    at.command = &app;
    for (size_t i = 1; i < std::min(end, words.size()); ++i) {
        const std::string& word = words[i];
        if (at.pending != nullptr) {
            if (word == "=") continue;  // bash splits "--language=EN" at the "="
            Remember(at.host, *at.pending, word);
            at.pending = nullptr;
        } else if (word.starts_with("--") && word.find('=') != std::string::npos) {
            const size_t equals = word.find('=');
            if (const CLI::Option* option = FindOption(at.command, word.substr(0, equals)))
                Remember(at.host, *option, word.substr(equals + 1));
        } else if (word.size() > 1 && word.starts_with('-')) {
            const CLI::Option* option = FindOption(at.command, word);
            if (option != nullptr && TakesValue(*option)) at.pending = option;
        } else if (CLI::App* sub = FindCommand(*at.command, word); sub != nullptr && at.positionals == 0) {
            at.command = sub;
        } else {
            ++at.positionals;
        }
    }
    return at;
}

// The account of the line's host options, opened read only so that completing never changes a file
// (nor creates one at a mistyped path). Nothing when the line names none.
std::optional<std::pair<AccountAddress, CatalogLanguage>> LineAccount(HostOptions host) {
    try {
        if (!CheckHostOptions(host).empty()) return std::nullopt;
        const Text props = FromUtf8(ComposePropsString(host));
        AccountAddress account = AccountFromPropsString(props);
        if (!account.IsServer()) {
            std::error_code error;
            if (!std::filesystem::is_regular_file(account.location, error)) return std::nullopt;
            account.readOnly = true;
        }
        return std::make_pair(account, LanguageFromPropsString(props));
    } catch (const std::exception&) {
        return std::nullopt;  // no account, no values: completion stays silent
    }
}

// The values of option (or of the positional argument option), or kFileCandidates.
std::vector<std::string> ValuesOf(const CLI::Option& option, const HostOptions& host) {
    if (option.check_name("--language")) return {"CHS", "CHT", "EN"};
    const std::string type = option.get_type_name();
    if (kFileTypes.contains(type)) return {kFileCandidates};
    // A business subsystem's number; a --subsystem of another type (a catalogue node's ID) has none.
    const bool subsystems = option.check_name("--subsystem") && type == "N";
    if (!subsystems && type != "FID") return {};
    auto account = LineAccount(host);
    if (!account) return {};
    std::vector<std::string> values;
    try {
        if (subsystems) {
            for (const BizSubsystemRow& row : ReadBizSubsystems(account->first))
                values.push_back(std::to_string(row.functionId));
        } else if (option.check_name("--report")) {
            auto reports = QueryReports(account->first, account->second, std::nullopt);
            for (; !reports->IsEOF(); reports->MoveNext())
                values.push_back(std::to_string(reports->Field(u"FID").ToInt32()));
        } else {
            VectorRef types = ClassTypeDictionaries(account->first, account->second, {});
            for (const Variant& item : *types)
                values.push_back(std::to_string(AsDictionary(item)->Value(u"FID").ToInt32()));
        }
    } catch (const std::exception&) {
        return {};  // an account that cannot be read completes nothing
    }
    return values;
}

// The options of command and the commands above it, each name once: long names, then short ones.
std::vector<std::string> OptionNames(const CLI::App* command) {
    std::vector<std::string> names;
    std::set<std::string> seen;
    for (const char* dashes : {"--", "-"}) {
        for (const CLI::App* owner = command; owner != nullptr; owner = owner->get_parent()) {
            for (const CLI::Option* option : owner->get_options()) {
                const auto& parts = dashes[1] == '-' ? option->get_lnames() : option->get_snames();
                for (const std::string& name : parts) {
                    if (seen.insert(dashes + name).second) names.push_back(dashes + name);
                }
            }
        }
    }
    return names;
}

std::vector<std::string> Candidates(CLI::App& app, const std::vector<std::string>& words, size_t current,
                                    std::string& prefix) {
    LinePosition at = Walk(app, words, current);
    // The account may be named after the word being completed, too.
    at.host = Walk(app, words, words.size()).host;
    prefix = current < words.size() ? words[current] : "";
    if (at.pending != nullptr) {
        if (prefix == "=") prefix.clear();
        return ValuesOf(*at.pending, at.host);
    }
    if (prefix.starts_with('-')) return OptionNames(at.command);
    if (at.command == &app) {
        std::vector<std::string> names;
        for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; }))
            names.push_back(sub->get_name());
        return names;
    }
    size_t index = 0;
    for (const CLI::Option* option : at.command->get_options()) {
        if (option->get_positional() && index++ == at.positionals) return ValuesOf(*option, at.host);
    }
    return {};
}

}  // namespace

int PrintCompletions(CLI::App& app, const std::vector<std::string>& args, Streams& streams) {
    size_t current = 0;
    if (args.empty() ||
        std::from_chars(args[0].data(), args[0].data() + args[0].size(), current).ec != std::errc{})
        return kExitUsage;
    const std::vector<std::string> words(args.begin() + 1, args.end());
    std::string prefix;
    for (const std::string& candidate : Candidates(app, words, current, prefix)) {
        if (candidate == kFileCandidates || candidate.starts_with(prefix)) streams.out << candidate << "\n";
    }
    return kExitOk;
}

}  // namespace orva::cli
