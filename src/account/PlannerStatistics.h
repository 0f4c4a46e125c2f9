#pragma once
// Fresh planner statistics for an account on a PostgreSQL server after it has grown. A new account's
// statistics describe its demo catalogue (some 60 function details); the server plans the
// statements of a deployment, and keeps its prepared statements' generic plans, from them until it
// analyses the tables again, which autovacuum does only a while after a run. A big first deployment
// into a fresh account therefore runs on plans made for a table a hundred times smaller. So a run
// asks, now and then and at its end, for the tables that have grown well past the size they were
// analysed at, and analyses just those (which also makes the server plan the cached statements
// again).
//
// SQLite accounts keep no statistics (no sqlite_stat tables): SQLite plans from its indexes alone,
// so there is nothing to go stale, and nothing is written into the file.

#include <string>
#include <vector>

#include "account/AccountLocation.h"
#include "storage/Database.h"

namespace orva::components {

// A table is analysed again once the rows written to it since its last analysis exceed the rows it
// had then by more than this: it has about doubled, and by enough rows for a plan to change.
inline constexpr int64_t kReanalyseFloorRows = 500;

// Analyses every table of database's schema that has grown past the rule above; returns their
// names. Does nothing on SQLite and inside a transaction (a dry run's writes are rolled back, and
// the server does not count them yet). Raises kDatabaseError for the server's failures; a table the
// login may not analyse is skipped by the server with a notice.
std::vector<std::string> AnalyseGrownTables(Database& database);

// The same for the account at address, through a pooled connection; drops every AutomationError
// (fresh statistics are a help, never a condition of a run) and opens nothing for a SQLite file.
void AnalyseGrownTables(const AccountAddress& address);

}  // namespace orva::components
