#pragma once
// Where the account database is: the components find it through the host's properties string, the
// shared property "PropsString" that the host publishes under its process ID, for example
//     "Language=EN;ConnectString=sqlite:/srv/orva/account.db;"
// (entries read by PropsEntry, services/PropsString.h).
// The ConnectString value is read with its letter case kept (paths are case-sensitive). Its forms:
//     sqlite:/path/account.db           the account, read and written
//     sqlite:/path/account.db?mode=ro   the account, read only (writes raise SQLite's error)
//     /path/account.db                  a plain path, same as the sqlite: form
//     postgresql://user@host:5432/db    an account on a PostgreSQL server (also "postgres://", in
//                                       any letter case): read strictly (storage/ServerUri.h), kept
//                                       as written, and handed to libpq as its parts; libpq's
//                                       environment, service and password files supply the rest
// A relative path is taken from the current folder; a value cannot hold ";". Error messages never
// repeat a properties string, and show a server's URI only with its password masked
// (MaskedConnectString).

#include <string>
#include <string_view>

#include "automation/Text.h"

namespace orva::components {

enum class AccountKind {
    SqliteFile,  // a SQLite file
    Postgres,    // a database on a PostgreSQL server
};

struct AccountAddress {
    // SqliteFile: the UTF-8 path, absolute. Postgres: the connection URI as written.
    std::string location;
    bool readOnly = false;  // SQLite only: a server account is opened for reading and writing
    AccountKind kind = AccountKind::SqliteFile;

    bool operator==(const AccountAddress&) const = default;

    bool IsServer() const { return kind == AccountKind::Postgres; }
    // What messages call the account before it is opened: the path, or the URI with its password
    // masked.
    std::string DisplayName() const;
};

// The account a ConnectString value names. Raises 5 for an empty value, a value holding a NUL, another
// kind of database ("mysql://...", "Provider=...") and a server URI that does not read strictly
// (naming the URI with its password masked).
AccountAddress ParseConnectString(automation::TextView connectString);

// True for a "postgresql://" or "postgres://" URI (scheme in any letter case): IsPostgresUri.
bool IsPostgresConnectString(std::string_view value);

// The value fit for a message: MaskPassword (storage/ServerUri.h), the one masker.
std::string MaskedConnectString(std::string_view value);

// The account a whole properties string names. Raises 5, naming the properties string, when it has
// no ConnectString.
AccountAddress AccountFromPropsString(automation::TextView propsString);

// This process's shared property "PropsString" (empty text when the host published none).
automation::Text HostPropsString();

// The host's account, from HostPropsString(). Raises 5 naming "PropsString" when the host published
// no properties string or one without a ConnectString.
AccountAddress HostAccount();

}  // namespace orva::components
