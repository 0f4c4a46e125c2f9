#include "account/PlannerStatistics.h"

#include "account/AccountConnections.h"
#include "automation/PendingError.h"
#include "automation/Text.h"
#include "storage/Statement.h"

namespace orva::components {

namespace {

// The tables of the connection's schema whose rows written since their last analysis (the server's
// running count; reltuples is what that analysis found, -1 before any) exceed the rows found then
// plus the floor.
constexpr const char* kGrownTables =
    "SELECT s.relname FROM pg_stat_user_tables s JOIN pg_class c ON c.oid = s.relid "
    "WHERE s.schemaname = current_schema() "
    "AND s.n_mod_since_analyze > greatest(c.reltuples, 0) + ?1 ORDER BY s.relname";

// name as a quoted identifier.
std::string Quoted(const std::string& name) {
    std::string quoted = "\"";
    for (char c : name) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return quoted + "\"";
}

}  // namespace

std::vector<std::string> AnalyseGrownTables(Database& database) {
    std::vector<std::string> grown;
    if (database.Dialect() != SqlDialect::Postgres || database.InTransaction()) return grown;
    {
        // A Statement holds its connection shared; this one is borrowed for the query only.
        Statement query(DatabaseRef(&database, [](Database*) {}), kGrownTables);
        query.Bind(1, kReanalyseFloorRows);
        while (query.Step()) grown.push_back(automation::ToUtf8(query.ColumnText(0)));
    }
    for (const std::string& table : grown) database.Execute("ANALYZE " + Quoted(table));
    return grown;
}

void AnalyseGrownTables(const AccountAddress& address) {
    if (!address.IsServer()) return;
    automation::RunIgnoring([&] { AnalyseGrownTables(*OpenAccount(address)); });
}

}  // namespace orva::components
