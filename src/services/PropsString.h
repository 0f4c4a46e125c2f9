#pragma once
// The properties string a host publishes as the shared property "PropsString": entries "name=value"
// separated by ";", for example "Language=EN;ConnectString=sqlite:/srv/orva/account.db;". There is no
// escape character, so a value cannot hold ";".

#include <optional>

#include "automation/Text.h"

namespace orva::components {

// The value of the first entry called name (matched without regard to letter case, blanks around
// the name ignored) in a properties string; the value keeps its letter case and runs to the next ";".
// Nothing when there is no such entry. Whole entry names only: "DefLanguage=" is not "Language".
std::optional<automation::Text> PropsEntry(automation::TextView propsString, automation::TextView name);

}  // namespace orva::components
