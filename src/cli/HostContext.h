#pragma once
// The host context of an orva-deploy run: the command publishes, under its own process ID, the
// shared properties a host program would publish at login ("Language", "PropsString").

#include "cli/Command.h"

namespace orva::cli {

// The properties string the options describe: --props when given, with Language and ConnectString
// added from --language and --catalog where --props does not set them.
std::string ComposePropsString(const HostOptions& host);

// Publishes Language and PropsString for this process. Warnings (for instance about missing
// translation files) go to streams.err once.
void PublishHostContext(const HostOptions& host, Streams& streams);

}  // namespace orva::cli
