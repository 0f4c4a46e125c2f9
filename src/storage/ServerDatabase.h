#pragma once
// Opening an account database on a PostgreSQL server. The PostgreSQL backend (PostgresDatabase, over
// libpq) is a module of its own, libOrvaPostgres.so in this library's module folder, opened with
// dlopen the first time a server account is opened: a host or a command that only ever opens SQLite
// files never loads libpq and the forty libraries it pulls in (TLS, Kerberos, LDAP), and a machine
// without them still runs everything but server accounts.
//
// The boundary is one function the module exports under kOpenPostgresSymbol (of type
// OpenPostgresFunction). It takes the URI already read by ParseServerUri, so that a URI that does not
// read is refused before any module is looked for. The symbol's name carries the version of this
// contract: a module of another version lacks it and is refused with a clear error, never called.
// The module stays loaded for the life of the process (its connections may be closed at exit).

#include <filesystem>
#include <memory>
#include <string>

#include "storage/Database.h"
#include "storage/ServerUri.h"

namespace orva::components {

inline constexpr const char* kOpenPostgresSymbol = "OrvaOpenPostgresDatabase1";
// Fills *out with a new connection to the server parts names (uri as written, for messages), or
// raises what PostgresDatabase::Open raises.
using OpenPostgresFunction = void (*)(const std::string& uri, const ServerUri& parts, bool readOnly,
                                      std::unique_ptr<Database>* out);

// A new connection to the PostgreSQL database uri names, read-only when asked (see PostgresDatabase).
// Raises 5 "<uri masked>: <what is wrong>" for a URI that does not read; kDatabaseError with help
// context 14 (SQLite's "cannot open") "<uri masked>: the PostgreSQL backend module <path> is missing:
// install <package> (or the package that ships it)" when the module file is not there, "... could
// not be loaded (<the loader's reason>)" when it is there but does not load (libpq missing), and
// "... is of another version" when it lacks kOpenPostgresSymbol; otherwise whatever the connection
// raises (the server cannot be reached, refuses the login).
std::unique_ptr<Database> OpenServerDatabase(const std::string& uri, bool readOnly);

// Where OpenServerDatabase looks for the module: the override when one is set, else
// <folder of libOrvaClassDeploy.so>/<module folder>/libOrvaPostgres.so.
std::filesystem::path PostgresModulePath();

// Makes OpenServerDatabase look for the module at path instead (empty: where it belongs), for tests
// and for hosts that keep the module elsewhere. A module already loaded from another path stays
// loaded; the next open uses the one at path.
void OverridePostgresModulePath(std::filesystem::path path);

}  // namespace orva::components
