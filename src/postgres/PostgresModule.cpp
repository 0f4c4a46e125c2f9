// The entry point of the PostgreSQL backend module (libOrvaPostgres.so), which the library opens
// with dlopen the first time an account on a server is opened (storage/ServerDatabase.h).

#include <string_view>
#include <type_traits>

#include "postgres/PostgresDatabase.h"
#include "storage/ServerDatabase.h"

extern "C" __attribute__((visibility("default"))) void OrvaOpenPostgresDatabase1(
    const std::string& uri, const orva::components::ServerUri& parts, bool readOnly,
    std::unique_ptr<orva::components::Database>* out) {
    *out = orva::components::PostgresDatabase::Open(uri, parts, readOnly);
}

// The exported name and type and the library's expectations must not drift apart.
static_assert(std::string_view(orva::components::kOpenPostgresSymbol) == "OrvaOpenPostgresDatabase1");
static_assert(std::is_same_v<decltype(&OrvaOpenPostgresDatabase1), orva::components::OpenPostgresFunction>);
