#pragma once
// Where the account database is: the components find it through the host's properties string, the
// shared property "PropsString" that the host publishes under its process ID, for example
//     "Language=EN;ConnectString=sqlite:/srv/orva/account.db;"
// (entries read by PropsEntry, services/PropsString.h).
// The ConnectString value is read with its letter case kept (paths are case-sensitive). Its forms:
//     sqlite:/path/account.db           the account, read and written
//     sqlite:/path/account.db?mode=ro   the account, read only (writes raise SQLite's error)
//     /path/account.db                  a plain path, same as the sqlite: form
// A relative path is taken from the current folder; a path cannot hold ";". Error messages never
// repeat a properties string or a connect string, which may carry passwords.

#include <string>

#include "automation/Text.h"

namespace orva::components {

struct AccountAddress {
    std::string fileName;  // UTF-8 path, absolute
    bool readOnly = false;

    bool operator==(const AccountAddress&) const = default;
};

// The account a ConnectString value names. Raises 5 for an empty value and for another kind of
// database ("postgresql:...", "Provider=...").
AccountAddress ParseConnectString(automation::TextView connectString);

// The account a whole properties string names. Raises 5, naming the properties string, when it has
// no ConnectString.
AccountAddress AccountFromPropsString(automation::TextView propsString);

// This process's shared property "PropsString" (empty text when the host published none).
automation::Text HostPropsString();

// The host's account, from HostPropsString(). Raises 5 naming "PropsString" when the host published
// no properties string or one without a ConnectString.
AccountAddress HostAccount();

}  // namespace orva::components
