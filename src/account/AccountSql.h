#pragma once
// The account database's SQL, compiled into the library from data/sql at build time
// (EmbedAccountSql.cmake), so an installed library needs no source tree.

#include <cstdint>
#include <span>
#include <string_view>

namespace orva::components {

struct AccountMigration {
    int32_t version;        // the number of the file: migration N sets the schema version to N
    std::string_view name;  // file name, for error messages
    std::string_view sql;   // the file's statements, without BEGIN/COMMIT
};

// Every migration, in ascending version order, numbered 1, 2, ... without gaps.
std::span<const AccountMigration> AccountMigrations();

// The migrations of an account on PostgreSQL, in ascending version order without gaps. The first is
// version 2: it creates the layout SQLite reaches with its migrations 1 and 2 and sets
// orva_account.schema_version to 2; a later version N has a file in both dialects.
std::span<const AccountMigration> PostgresAccountMigrations();

// The demo account's data, for an account of schema version kDemoSchemaVersion that holds no data yet.
std::string_view DemoAccountSql();
inline constexpr int32_t kDemoSchemaVersion = 1;

}  // namespace orva::components
