#pragma once
// The deployment journal (tables t_DeployRun, t_DeployRunMessage, t_DeployRunNode of an account,
// data/sql/schema/003_journal.sql): which run made which nodes, when, where from and with what
// result.
//
// How a run is recorded. A JournalRun is a scope around one run: its constructor inserts and commits
// the run's row (finished and result still NULL), and makes the run the current one of its account on
// this thread; Finish records the end time, the result and the message list as printed. Between the
// two, the catalogue writer (CatalogWriter.cpp) asks CurrentJournalRun for the account it writes into
// and, when it inserts a node, writes the node's journal row in the same transaction as the node: the
// node and its row exist together or not at all, also after a kill. A run killed before Finish keeps
// its row with FFinished NULL, and its nodes are in the journal.
// Scopes nest: one opened while a run of the same account is current on this thread joins that run
// (the command line's deployment goes through the host's deployment call and stays "deploy").
// A dry run records nothing: it runs on a copy of the account file, or inside a server transaction
// that is rolled back, and the run's row lives there too.
// Only our own writer journals: a catalogue writer a host registers in its place writes where we do
// not see it, so such runs have a row (when the account is ours) but no nodes.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "account/AccountLocation.h"
#include "account/JournalOrigin.h"
#include "automation/Text.h"
#include "storage/Database.h"

namespace orva::components {

// Where a run came from, stored as its name ("deploy", "host", "publish", "undo", "init").
const char* JournalOriginName(JournalOrigin origin);

// Who runs this process: the operating-system user (the effective user's name, else $USER, else the
// numeric id), the host name and the program's short name.
struct JournalActor {
    std::string user;
    std::string host;
    std::string program;
};
JournalActor CurrentJournalActor();

// The time now, UTC, as the journal stores it: "2026-12-07T09:30:00Z".
std::string JournalTimestamp();

struct JournalRunInfo {
    JournalOrigin origin = JournalOrigin::Host;
    std::optional<automation::Text> packetFile;  // the packet file's name as given, when one was read
    std::optional<std::string> packetSha256;     // its SHA-256, 64 lower-case hex digits
    automation::Text language;                   // the host's language code ("CHS", "CHT", "EN")
    std::optional<int32_t> undoOf;               // an undo run: the run it undoes
};

// A node as a run created it: its journal row.
struct JournalNode {
    int32_t level = 0;  // 1 top class .. 4 function detail
    int32_t id = 0;
    int32_t parentId = 0;  // 0 for a top class
    int32_t index = 0;
    std::array<automation::Text, 3> names;  // CHS, CHT, EN
    // The level's attributes as stored (nothing where the level has no such column).
    std::optional<automation::Text> className, subId, classParam, helpCode;
    bool visible = true;
};

// Inserts a run's row inside the caller's transaction and returns its id; FFinished and FResult stay
// NULL. Raises kDatabaseError (a read-only account among others).
int32_t InsertJournalRun(Database& database, const JournalRunInfo& info, const JournalActor& actor);
// Records a run's end inside the caller's transaction: end time, result and the message lines in
// order. Raises kDatabaseError.
void FinishJournalRun(Database& database, int32_t runId, bool result,
                      const std::vector<automation::Text>& messages);
// A run's node rows are keyed FEntryID = run * 2^32 + their place in the run (1, 2, ...), so that the
// rows of the newest run are appended at the end of the table and a run's rows are one range of keys
// (data/sql/schema/004_journal_entries.sql). JournalRunRows is the SQL condition on FEntryID that
// selects the rows of run `run` (an SQL expression: a parameter "?N" or a column); NextJournalEntry
// the SQL expression of the key the run's next row takes, to be evaluated inside the row's own
// transaction (a run writes its rows one after another).
std::string JournalRunRows(std::string_view run);
std::string NextJournalEntry(std::string_view run);

struct CatalogLevel;
// The columns of a journal node row, in the order JournalRowValues gives their values.
inline constexpr const char* kJournalNodeColumns =
    "FEntryID, FRunID, FLevel, FNodeID, FParentID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, "
    "FSubID, "
    "FClassParam, FHelpCode, FVisible";
// A node of level as the journal holds it, as SQL over the level's own row: parent (0 for a top
// class), index, the three names, the four attributes (NULL where the level has none), visibility.
std::string JournaledNodeColumns(const CatalogLevel& level);
// The values of the journal row of the level's row being read: entry and run (SQL expressions), the
// level, the node's id, then JournaledNodeColumns.
std::string JournalRowValues(const CatalogLevel& level, std::string_view entry, std::string_view run);

// Writes a node's journal row for run runId inside the caller's transaction. Raises kDatabaseError.
void RecordJournalNode(Database& database, int32_t runId, const JournalNode& node);

// The nodes run runId created, as created, by level and then identifier. Raises kDatabaseError.
std::vector<JournalNode> ReadJournalNodes(Database& database, int32_t runId);

// Records every node of the catalogue as created by one finished run of origin "init", in the
// caller's transaction: the demo data of a new account. Raises kDatabaseError.
void JournalWholeCatalogue(Database& database, automation::TextView language);

class JournalRun;
// The id of the run current on this thread for account, or nothing.
std::optional<int32_t> CurrentJournalRun(const AccountAddress& account);

class JournalRun {
public:
    // Starts a run on account: inserts its row in a transaction of its own, committed (on a pinned
    // trial connection: inside the trial, rolled back with it), and makes it the account's current run
    // on this thread, unless one is current already, which this scope then joins (Joined()).
    // Raises what OpenAccount raises and kDatabaseError; nothing is current then.
    JournalRun(const AccountAddress& account, const JournalRunInfo& info);
    // Unless Finish ran (or the scope joined another run), records the run as failed with no
    // messages; never raises (a failure leaves FFinished NULL, as a kill would). Ends the scope.
    ~JournalRun();
    JournalRun(const JournalRun&) = delete;
    JournalRun& operator=(const JournalRun&) = delete;

    // Records the end: result and the message list as printed. Does nothing when joined. Raises
    // kDatabaseError (the run's nodes stay recorded; its end does not).
    void Finish(bool result, const std::vector<automation::Text>& messages);

    int32_t Id() const { return m_id; }
    bool Joined() const { return m_joined; }
    const AccountAddress& Account() const { return m_account; }

private:
    friend std::optional<int32_t> CurrentJournalRun(const AccountAddress& account);

    AccountAddress m_account;
    int32_t m_id = 0;
    bool m_joined = false;
    bool m_finished = false;
    JournalRun* m_previous = nullptr;
};

}  // namespace orva::components
