#include "cli/HostContext.h"

#include <optional>
#include <ostream>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "components/AccountLocation.h"
#include "components/PoCatalog.h"
#include "components/PropertyStore.h"
#include "hostctx/ModuleState.h"
#include "hostctx/Texts.h"

namespace orva::cli {

std::string ComposePropsString(const HostOptions& host) {
    std::string props = host.props;
    if (!props.empty() && props.back() != ';') props += ';';
    automation::Text text = automation::FromUtf8(props);
    if (!components::PropsEntry(text, u"Language")) props += "Language=" + host.language + ";";
    if (!host.catalog.empty() && !components::PropsEntry(text, u"ConnectString")) {
        props += "ConnectString=sqlite:" + host.catalog + ";";
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
