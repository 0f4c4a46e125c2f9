#pragma once
// Reading the deployment journal (account/DeployJournal.h): the runs newest first, and one run with
// its message list and the nodes it created. What `orva-deploy history` shows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "account/AccountLocation.h"
#include "account/DeployJournal.h"
#include "automation/Text.h"

namespace orva::components {

struct HistoryRun {
    int32_t run = 0;
    automation::Text started;
    std::optional<automation::Text> finished;  // nothing while running, or after a kill
    automation::Text origin, user, host, program;
    std::optional<automation::Text> packetFile, packetSha256;
    automation::Text language;
    std::optional<bool> result;       // nothing while unfinished
    int64_t created = 0;              // nodes the run created
    std::optional<int32_t> undoneBy;  // the undo run that removed its nodes
    std::optional<int32_t> undoOf;    // an undo run: the run it undid (or tried to)
};

struct HistoryRunDetail {
    HistoryRun run;
    std::vector<automation::Text> messages;
    std::vector<JournalNode> nodes;  // by level, then identifier
};

// The runs newest first (start time, then id), at most limit of them when given (limit >= 0).
// Raises what OpenAccount raises and kDatabaseError.
std::vector<HistoryRun> ListJournalRuns(const AccountAddress& account, std::optional<int64_t> limit);

// One run, or nothing when the journal has no such run. Raises as ListJournalRuns.
std::optional<HistoryRunDetail> ReadJournalRun(const AccountAddress& account, int32_t run);

}  // namespace orva::components
