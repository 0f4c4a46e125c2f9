#pragma once
// The host context of an orva-deploy run: the command publishes, under its own process ID, the
// shared properties a host program would publish at login ("Language", "PropsString").

#include "cli/Command.h"

namespace orva::cli {

// Checks that the options can be carried by a properties string exactly as given and that they agree,
// and upper-cases host.language. The properties string has no escape, so a value holding ";" would
// start an entry of its own (another account, another language) and is refused, as is a --catalog
// that the account reader would take for another file (blanks at its ends, a "?mode=" suffix), a
// language other than CHS, CHT and EN (any letter case), and a --props whose Language or
// ConnectString differs from an explicit --language or --catalog (equal values are accepted; for the
// account, equal means the same file). Returns the message for a wrong command line, or "" when the
// options are sound. Expects valid UTF-8 (RunCli checks every argument first).
std::string CheckHostOptions(HostOptions& host);

// The properties string the options describe: --props when given, with Language and ConnectString
// added from --language and --catalog where --props does not set them. Expects checked options.
std::string ComposePropsString(const HostOptions& host);

// Publishes Language and PropsString for this process. Warnings (for instance about missing
// translation files) go to streams.err once.
void PublishHostContext(const HostOptions& host, Streams& streams);

}  // namespace orva::cli
