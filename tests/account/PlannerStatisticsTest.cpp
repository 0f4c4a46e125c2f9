#include <gtest/gtest.h>

#include "account/PlannerStatistics.h"
#include "storage/ServerDatabase.h"
#include "support/PostgresServer.h"

namespace orva::components {
namespace {

// A table is analysed again once it has grown past twice its analysed size plus the floor, only then,
// once, and never from inside a transaction; its name reaches ANALYZE quoted.
TEST(PlannerStatistics, TablesAreAnalysedAgainOnceTheyOutgrowTheirStatistics) {
    ORVA_REQUIRE_POSTGRES();
    orva::testing::ScratchPostgresDatabase scratch;
    DatabaseRef writer = OpenServerDatabase(scratch.Uri(), false);
    DatabaseRef checker = OpenServerDatabase(scratch.Uri(), false);
    const std::string table = "\"明细\"\"表\"";
    // The writer's counts reach the server's statistics at once rather than within a second.
    auto flush = [&] { writer->QueryInteger("SELECT 0 FROM pg_stat_force_next_flush()"); };
    writer->Execute("CREATE TABLE " + table +
                    " (id integer); CREATE TABLE small (id integer);"
                    "INSERT INTO " +
                    table + " SELECT generate_series(1, 60)");
    flush();
    writer->Execute("ANALYZE");
    auto reltuples = [&] {
        return checker->QueryInteger("SELECT reltuples::bigint FROM pg_class WHERE relname = '明细\"表'");
    };
    struct Step {
        int64_t added;       // rows written before the check
        bool inTransaction;  // the check runs inside a transaction of its own
        std::vector<std::string> analysed;
        int64_t reltuplesAfter;
    };
    const Step steps[] = {
        {400, false, {}, 60},               // 400 written since 60 were analysed: not past 60 + 500
        {300, true, {}, 60},                // 700 now, but a transaction's check leaves it alone
        {0, false, {"明细\"表"}, 760},      // the same, outside: analysed at its real size
        {0, false, {}, 760},                // and only once
        {1300, false, {"明细\"表"}, 2060},  // past 760 + 500 again
    };
    for (const Step& step : steps) {
        if (step.added > 0) {
            writer->Execute("INSERT INTO " + table + " SELECT generate_series(1, " +
                            std::to_string(step.added) + "); INSERT INTO small VALUES (1)");
        }
        flush();
        if (step.inTransaction) checker->Execute("BEGIN");
        EXPECT_EQ(AnalyseGrownTables(*checker), step.analysed) << step.added;
        if (step.inTransaction) checker->Execute("ROLLBACK");
        EXPECT_EQ(reltuples(), step.reltuplesAfter) << step.added;
    }
}

}  // namespace
}  // namespace orva::components
