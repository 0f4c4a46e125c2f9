#include "cli/HostContext.h"

#include <optional>
#include <ostream>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "components/PoCatalog.h"
#include "components/PropertyStore.h"
#include "hostctx/ModuleState.h"
#include "hostctx/Texts.h"

namespace orva::cli {

namespace {

// True when the properties string has an entry whose whole name is name (any letter case).
bool HasEntry(const std::string& props, const std::string& name) {
    using namespace automation;
    for (const Text& entry : Split(FromUtf8(props), u";")) {
        size_t equals = entry.find(u'=');
        if (equals != Text::npos && EqualsNoCase(Trim(entry.substr(0, equals)), FromUtf8(name))) return true;
    }
    return false;
}

}  // namespace

std::string ComposePropsString(const HostOptions& host) {
    std::string props = host.props;
    if (!props.empty() && props.back() != ';') props += ';';
    if (!HasEntry(props, "Language")) props += "Language=" + host.language + ";";
    if (!host.catalog.empty() && !HasEntry(props, "ConnectString")) {
        props += "ConnectString=sqlite:" + host.catalog + ";";
    }
    return props;
}

namespace {

using automation::Text;

// The value of the entry named Language in a properties string (the whole name, not a name ending in
// it), or nothing when there is no such entry.
std::optional<Text> LanguageEntry(const Text& props) {
    for (const Text& entry : automation::Split(props, u";")) {
        size_t equals = entry.find(u'=');
        if (equals != Text::npos &&
            automation::EqualsNoCase(automation::Trim(entry.substr(0, equals)), u"Language")) {
            return automation::Trim(entry.substr(equals + 1));
        }
    }
    return std::nullopt;
}

}  // namespace

void PublishHostContext(const HostOptions& host, Streams& streams) {
    using namespace automation;
    Text props, language;
    try {
        props = FromUtf8(ComposePropsString(host));
        language = UCase(LanguageEntry(props).value_or(FromUtf8(host.language)));
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
