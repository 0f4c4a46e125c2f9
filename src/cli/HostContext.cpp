#include "cli/HostContext.h"

#include <optional>
#include <ostream>
#include <string_view>

#include "account/AccountLocation.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "hostctx/ModuleState.h"
#include "hostctx/Texts.h"
#include "services/PoCatalog.h"
#include "services/PropertyStore.h"
#include "services/PropsString.h"
#include "storage/ServerUri.h"

namespace orva::cli {

namespace {

bool IsHostLanguage(automation::TextView code) { return code == u"CHS" || code == u"CHT" || code == u"EN"; }

// Compares bytes: the bytes before an ASCII suffix may end inside a multi-byte character (a Chinese
// file name), which must not be decoded on its own.
bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           automation::EqualsNoAsciiCase(text.substr(text.size() - suffix.size()), suffix);
}

// The ConnectString that --catalog stands for: a server's URI as it is, a file as "sqlite:" + path.
std::string CatalogConnectString(const std::string& catalog) {
    return components::IsPostgresConnectString(catalog) ? catalog : "sqlite:" + catalog;
}

std::string CheckCatalog(const std::string& catalog) {
    // A URI is shown with its password masked, here as everywhere.
    const std::string named = "--catalog \"" + components::MaskedConnectString(catalog) + "\": ";
    if (components::IsPostgresConnectString(catalog)) {
        if (catalog.find(';') != std::string::npos) {
            return named +
                   "a URI holding \";\" cannot be passed on: in the properties string it would start "
                   "another entry";
        }
        // Refused here, before anything connects: libpq would read such a URI otherwise, or not at all.
        if (std::string problem = components::ServerUriProblem(catalog); !problem.empty())
            return named + problem;
        return {};
    }
    if (catalog.find(';') != std::string::npos) {
        return named + "a file name holding \";\" cannot be passed on: in the properties string it would " +
               "start another entry";
    }
    if (catalog.front() == ' ' || catalog.back() == ' ') {
        return named + "blanks at the start or end of a file name are lost in the properties string";
    }
    for (std::string_view suffix : {"?mode=ro", "?mode=rw"}) {
        if (EndsWithNoCase(catalog, suffix)) {
            return named + "a file name ending in \"" + std::string(suffix) +
                   "\" would be read as an access mode of another file";
        }
    }
    return {};
}

std::string CheckProps(const HostOptions& host) {
    using namespace automation;
    Text props = FromUtf8(host.props);
    if (std::optional<Text> language = components::PropsEntry(props, u"Language")) {
        if (!IsHostLanguage(UCase(*language))) {
            return "--props: the Language \"" + ToUtf8(*language) + "\" is not CHS, CHT or EN";
        }
        if (host.languageGiven && UCase(*language) != FromUtf8(host.language)) {
            return "--props sets Language=" + ToUtf8(*language) + " but --language is " + host.language +
                   ": give one of them, or the same value";
        }
    }
    std::optional<Text> connectString = components::PropsEntry(props, u"ConnectString");
    if (connectString && !host.catalog.empty()) {
        std::optional<components::AccountAddress> propsAccount;
        try {
            propsAccount = components::ParseConnectString(*connectString);
            propsAccount->readOnly = false;  // the mode is not part of which account it is
        } catch (const AutomationError&) {
            propsAccount.reset();  // another kind of database: certainly not the one --catalog names
        }
        components::AccountAddress catalogAccount =
            components::ParseConnectString(FromUtf8(CatalogConnectString(host.catalog)));
        if (propsAccount != catalogAccount) {
            // The ConnectString itself is not repeated: a server's connect string may carry a password.
            return "--props has a ConnectString that names another account than --catalog \"" +
                   components::MaskedConnectString(host.catalog) + "\": give one of them";
        }
    }
    return {};
}

}  // namespace

std::string CheckHostOptions(HostOptions& host) {
    using namespace automation;
    Text language = UCase(FromUtf8(host.language));
    if (!IsHostLanguage(language)) {
        return "--language \"" + host.language + "\": the language must be CHS, CHT or EN";
    }
    host.language = ToUtf8(language);
    if (!host.catalog.empty()) {
        if (std::string problem = CheckCatalog(host.catalog); !problem.empty()) return problem;
    }
    return CheckProps(host);
}

std::string ComposePropsString(const HostOptions& host) {
    std::string props = host.props;
    if (!props.empty() && props.back() != ';') props += ';';
    automation::Text text = automation::FromUtf8(props);
    if (!components::PropsEntry(text, u"Language")) props += "Language=" + host.language + ";";
    if (!host.catalog.empty() && !components::PropsEntry(text, u"ConnectString")) {
        props += "ConnectString=" + CatalogConnectString(host.catalog) + ";";
    }
    return props;
}

void PublishHostContext(const HostOptions& host, Streams& streams) {
    using namespace automation;
    Text props, language;
    try {
        props = FromUtf8(ComposePropsString(host));
        language = UCase(Trim(components::PropsEntry(props, u"Language").value_or(FromUtf8(host.language))));
    } catch (const AutomationError& error) {
        streams.err << "orva-deploy: warning: the host context is not published: " << error.what() << "\n";
        return;
    }
    components::PublishOwnProperty(u"Language", language);
    components::PublishOwnProperty(u"PropsString", props);
    // A new login for this thread: the text services learn the language again.
    hostctx::ResetModuleState();

    // Read the translations now, so that a missing or broken file is reported once, before any output.
    components::CatalogFor(hostctx::kResFileBaseName, language);
    for (const std::string& warning : components::TakeCatalogWarnings()) {
        streams.err << "orva-deploy: warning: " << warning << "\n";
    }
}

}  // namespace orva::cli
