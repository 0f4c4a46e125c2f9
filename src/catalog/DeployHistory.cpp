#include "catalog/DeployHistory.h"

#include "account/AccountConnections.h"
#include "storage/Statement.h"

namespace orva::components {

using namespace automation;

namespace {

// The columns of a run as HistoryRun holds them; ?1 limits the rows where the query takes one.
const std::string& RunColumns() {
    static const std::string columns =
        "SELECT r.FRunID, r.FStarted, r.FFinished, r.FOrigin, r.FUser, r.FHost, r.FProgram, r.FPacketFile, "
        "r.FPacketSha256, r.FLanguage, r.FResult, r.FUndoOfRunID, "
        "(SELECT count(*) FROM t_DeployRunNode n WHERE n." +
        JournalRunRows("r.FRunID") +
        "), "
        "(SELECT min(u.FRunID) FROM t_DeployRun u WHERE u.FUndoOfRunID = r.FRunID AND u.FResult = 1) "
        "FROM t_DeployRun r";
    return columns;
}

std::optional<Text> OptionalText(const Statement& row, int column) {
    if (row.TypeOf(column) == ColumnType::Null) return std::nullopt;
    return row.ColumnText(column);
}

std::optional<int64_t> OptionalInteger(const Statement& row, int column) {
    if (row.TypeOf(column) == ColumnType::Null) return std::nullopt;
    return row.ColumnInteger(column);
}

HistoryRun RunOf(const Statement& row) {
    HistoryRun run;
    run.run = static_cast<int32_t>(row.ColumnInteger(0));
    run.started = row.ColumnText(1);
    run.finished = OptionalText(row, 2);
    run.origin = row.ColumnText(3);
    run.user = row.ColumnText(4);
    run.host = row.ColumnText(5);
    run.program = row.ColumnText(6);
    run.packetFile = OptionalText(row, 7);
    run.packetSha256 = OptionalText(row, 8);
    run.language = row.ColumnText(9);
    if (auto result = OptionalInteger(row, 10)) run.result = *result != 0;
    if (auto undoOf = OptionalInteger(row, 11)) run.undoOf = static_cast<int32_t>(*undoOf);
    run.created = row.ColumnInteger(12);
    if (auto undoneBy = OptionalInteger(row, 13)) run.undoneBy = static_cast<int32_t>(*undoneBy);
    return run;
}

}  // namespace

std::vector<HistoryRun> ListJournalRuns(const AccountAddress& account, std::optional<int64_t> limit) {
    DatabaseRef database = OpenAccount(account);
    std::string sql = RunColumns() + " ORDER BY r.FStarted DESC, r.FRunID DESC";
    if (limit) sql += " LIMIT ?1";
    Statement rows(database, sql);
    if (limit) rows.Bind(1, *limit);
    std::vector<HistoryRun> runs;
    while (rows.Step()) runs.push_back(RunOf(rows));
    return runs;
}

std::optional<HistoryRunDetail> ReadJournalRun(const AccountAddress& account, int32_t run) {
    DatabaseRef database = OpenAccount(account);
    HistoryRunDetail detail;
    {
        Statement row(database, RunColumns() + " WHERE r.FRunID = ?1");
        row.Bind(1, run);
        if (!row.Step()) return std::nullopt;
        detail.run = RunOf(row);
        while (row.Step()) {
        }
    }
    {
        Statement lines(database, "SELECT FText FROM t_DeployRunMessage WHERE FRunID = ?1 ORDER BY FLine");
        lines.Bind(1, run);
        while (lines.Step()) detail.messages.push_back(lines.ColumnText(0));
    }
    detail.nodes = ReadJournalNodes(*database, run);
    return detail;
}

}  // namespace orva::components
