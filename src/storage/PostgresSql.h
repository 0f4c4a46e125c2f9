#pragma once
// The text work PostgresDatabase does on SQL and connection strings before they reach the server:
// SQLite's numbered parameters rewritten to PostgreSQL's, result column names spelled as the SQL
// spells them, and SQLSTATEs mapped onto the result codes callers act on (connection URIs and their
// passwords: ServerUri.h). Pure functions, no connection needed.

#include <cstdint>
#include <string>
#include <string_view>

namespace orva::components {

// SQL ready for PQprepare.
struct PostgresSql {
    std::string text;        // ?N written as $N
    int parameterCount = 0;  // the highest parameter number used
};

// Rewrites SQLite's parameters ?1, ?2, ... (and a bare ?, which takes the number after the highest so
// far, as SQLite numbers it) to $1, $2, ...; a ? inside a '...' string, a "..." identifier or a
// comment (-- or /* */) stays as it is.
PostgresSql RewriteParameters(std::string_view sql);

// How sql spells the identifier that the server reports as name: the server folds unquoted names to
// lower case, so "SELECT FTopClassID" comes back as "ftopclassid". Returns the first whole-word
// occurrence of name in sql outside strings and comments, compared without ASCII case; name itself
// when sql does not hold it (an expression's "?column?", a column read through *).
std::string SpellingInSql(std::string_view sql, std::string_view name);

// The result code (one of SQLite's extended codes, see db_codes) for a server error's SQLSTATE:
// unique 2067, foreign key 787, check 275, not null 1299, another integrity violation 19; a
// serialization failure, deadlock, lock not granted or cancelled statement 5 (busy); a write in a
// read-only transaction 8; anything else 1.
int32_t ResultCodeOfSqlState(std::string_view sqlState);

}  // namespace orva::components
