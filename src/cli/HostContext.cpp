#include "cli/HostContext.h"

namespace orva::cli {

std::string ComposePropsString(const HostOptions& host) {
    std::string props = host.props;
    if (!props.empty() && props.back() != ';') props += ';';
    auto has = [&](const std::string& name) {
        std::string upperProps, upperName = name + "=";
        for (char c : props) upperProps += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        for (char& c : upperName) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return upperProps.find(upperName) != std::string::npos;
    };
    if (!has("Language")) props += "Language=" + host.language + ";";
    if (!host.catalog.empty() && !has("ConnectString")) props += "ConnectString=sqlite:" + host.catalog + ";";
    return props;
}

void PublishHostContext(const HostOptions&, Streams&) {
    // The shared-properties store arrives with the host-context services; until then commands run
    // without a published context.
}

}  // namespace orva::cli
