#include "account/DeployJournal.h"

#include <errno.h>
#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <ctime>

#include "account/AccountConnections.h"
#include "account/CatalogContract.h"
#include "automation/AutomationError.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"

namespace orva::components {

using namespace automation;

namespace {

// The innermost run scope of this thread; scopes of other accounts are reached through m_previous.
thread_local JournalRun* t_innermost = nullptr;

// A connection that is only borrowed for the statements of one call.
DatabaseRef Borrowed(Database& database) {
    return DatabaseRef(&database, [](Database*) {});
}

void BindOptional(Statement& statement, int index, const std::optional<Text>& value) {
    if (value) {
        statement.Bind(index, *value);
    } else {
        statement.BindNull(index);
    }
}

}  // namespace

const char* JournalOriginName(JournalOrigin origin) {
    switch (origin) {
        case JournalOrigin::Deploy:
            return "deploy";
        case JournalOrigin::Host:
            return "host";
        case JournalOrigin::Publish:
            return "publish";
        case JournalOrigin::Undo:
            return "undo";
        case JournalOrigin::Init:
            return "init";
    }
    return "host";
}

JournalActor CurrentJournalActor() {
    JournalActor actor;
    // The effective user is who the account's files are written as; $USER only when the password
    // database does not know the id (a container's made-up user).
    uid_t uid = geteuid();
    if (const passwd* entry = getpwuid(uid); entry && entry->pw_name) {
        actor.user = entry->pw_name;
    } else if (const char* user = std::getenv("USER"); user && *user) {
        actor.user = user;
    } else {
        actor.user = std::to_string(uid);
    }
    char host[256] = {};
    if (gethostname(host, sizeof host - 1) == 0) actor.host = host;
    actor.program = program_invocation_short_name ? program_invocation_short_name : "";
    return actor;
}

std::string JournalTimestamp() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

int32_t InsertJournalRun(Database& database, const JournalRunInfo& info, const JournalActor& actor) {
    Statement insert(Borrowed(database),
                     "INSERT INTO t_DeployRun (FStarted, FOrigin, FUser, FHost, FProgram, FPacketFile, "
                     "FPacketSha256, FLanguage, FUndoOfRunID) VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9) "
                     "RETURNING FRunID");
    insert.Bind(1, FromUtf8(JournalTimestamp()))
        .Bind(2, FromUtf8(JournalOriginName(info.origin)))
        .Bind(3, FromUtf8Lossy(actor.user))
        .Bind(4, FromUtf8Lossy(actor.host))
        .Bind(5, FromUtf8Lossy(actor.program))
        .Bind(8, info.language);
    BindOptional(insert, 6, info.packetFile);
    BindOptional(insert, 7,
                 info.packetSha256 ? std::optional<Text>(FromUtf8(*info.packetSha256)) : std::nullopt);
    if (info.undoOf) {
        insert.Bind(9, *info.undoOf);
    } else {
        insert.BindNull(9);
    }
    insert.Step();
    auto id = static_cast<int32_t>(insert.ColumnInteger(0));
    while (insert.Step()) {
    }
    return id;
}

void FinishJournalRun(Database& database, int32_t runId, bool result, const std::vector<Text>& messages) {
    DatabaseRef connection = Borrowed(database);
    Statement update(connection, "UPDATE t_DeployRun SET FFinished = ?1, FResult = ?2 WHERE FRunID = ?3");
    update.Bind(1, FromUtf8(JournalTimestamp())).Bind(2, result ? 1 : 0).Bind(3, runId);
    update.Step();
    Statement line(connection, "INSERT INTO t_DeployRunMessage (FRunID, FLine, FText) VALUES (?1, ?2, ?3)");
    for (size_t i = 0; i < messages.size(); ++i) {
        line.Bind(1, runId).Bind(2, static_cast<int64_t>(i + 1)).Bind(3, messages[i]);
        line.Step();
        line.Reset();
    }
}

std::string JournalRunRows(std::string_view run) {
    // The product is a 64-bit integer on both backends; the cast types a server's parameter.
    std::string first = "CAST(" + std::string(run) + " AS integer) * 4294967296";
    return "FEntryID BETWEEN " + first + " + 1 AND " + first + " + 4294967295";
}

std::string NextJournalEntry(std::string_view run) {
    return "(SELECT coalesce(max(FEntryID), CAST(" + std::string(run) +
           " AS integer) * 4294967296) + 1 FROM t_DeployRunNode WHERE " + JournalRunRows(run) + ")";
}

std::string JournaledNodeColumns(const CatalogLevel& level) {
    std::string columns =
        (level.parentIdField ? ToUtf8(level.parentIdField) : std::string("0")) + ", " + ToUtf8(kIndexField);
    for (CatalogLanguage language : kCatalogLanguages)
        columns += ", " + ToUtf8(LanguageField(level.nameField, language));
    for (const char16_t* field : {kClassNameField, kSubIdField, kClassParamField, kHelpCodeField}) {
        bool has = false;
        for (const CatalogAttribute& attribute : level.Attributes())
            has = has || TextView(attribute.field) == field;
        columns += ", " + (has ? ToUtf8(field) : std::string("CAST(NULL AS text)"));
    }
    return columns + ", " + ToUtf8(kVisibleField);
}

std::string JournalRowValues(const CatalogLevel& level, std::string_view entry, std::string_view run) {
    return std::string(entry) + ", " + std::string(run) + ", " + std::to_string(level.number) + ", " +
           ToUtf8(level.idField) + ", " + JournaledNodeColumns(level);
}

void RecordJournalNode(Database& database, int32_t runId, const JournalNode& node) {
    static const std::string sql = std::string("INSERT INTO t_DeployRunNode (") + kJournalNodeColumns +
                                   ") VALUES (" + NextJournalEntry("?1") +
                                   ", ?1, ?2, ?3, ?4, ?5, ?6, ?7, ?8, ?9, ?10, ?11, ?12, ?13)";
    Statement insert(Borrowed(database), sql);
    insert.Bind(1, runId).Bind(2, node.level).Bind(3, node.id).Bind(4, node.parentId).Bind(5, node.index);
    for (int i = 0; i < 3; ++i) insert.Bind(6 + i, node.names[static_cast<size_t>(i)]);
    BindOptional(insert, 9, node.className);
    BindOptional(insert, 10, node.subId);
    BindOptional(insert, 11, node.classParam);
    BindOptional(insert, 12, node.helpCode);
    insert.Bind(13, node.visible ? 1 : 0);
    insert.Step();
}

std::vector<JournalNode> ReadJournalNodes(Database& database, int32_t runId) {
    Statement rows(Borrowed(database),
                   "SELECT FLevel, FNodeID, FParentID, FIndex, FName_CHS, FName_CHT, FName_EN, FClassName, "
                   "FSubID, FClassParam, FHelpCode, FVisible FROM t_DeployRunNode WHERE " +
                       JournalRunRows("?1") + " ORDER BY FLevel, FNodeID");
    rows.Bind(1, runId);
    auto optional = [&](int column) {
        return rows.TypeOf(column) == ColumnType::Null ? std::nullopt
                                                       : std::optional<Text>(rows.ColumnText(column));
    };
    std::vector<JournalNode> nodes;
    while (rows.Step()) {
        JournalNode node;
        node.level = static_cast<int32_t>(rows.ColumnInteger(0));
        node.id = static_cast<int32_t>(rows.ColumnInteger(1));
        node.parentId = static_cast<int32_t>(rows.ColumnInteger(2));
        node.index = static_cast<int32_t>(rows.ColumnInteger(3));
        for (int i = 0; i < 3; ++i) node.names[static_cast<size_t>(i)] = rows.ColumnText(4 + i);
        node.className = optional(7);
        node.subId = optional(8);
        node.classParam = optional(9);
        node.helpCode = optional(10);
        node.visible = rows.ColumnInteger(11) != 0;
        nodes.push_back(std::move(node));
    }
    return nodes;
}

void JournalWholeCatalogue(Database& database, TextView language) {
    JournalRunInfo info;
    info.origin = JournalOrigin::Init;
    info.language = Text(language);
    int32_t runId = InsertJournalRun(database, info, CurrentJournalActor());
    const std::string run = std::to_string(runId);
    for (const CatalogLevel& level : kCatalogLevels) {
        // The level's rows take the places after those of the levels before, in identifier order.
        const int64_t next = database.QueryInteger("SELECT " + NextJournalEntry(run));
        database.Execute(std::string("INSERT INTO t_DeployRunNode (") + kJournalNodeColumns + ") SELECT " +
                         JournalRowValues(level,
                                          std::to_string(next - 1) + " + row_number() OVER (ORDER BY " +
                                              ToUtf8(level.idField) + ")",
                                          run) +
                         " FROM " + ToUtf8(level.table));
    }
    FinishJournalRun(database, runId, true, {});
}

JournalRun::JournalRun(const AccountAddress& account, const JournalRunInfo& info) : m_account(account) {
    if (CurrentJournalRun(account)) {
        m_joined = true;
        return;
    }
    DatabaseRef database = OpenAccount(account);
    Transaction transaction(*database);
    m_id = InsertJournalRun(*database, info, CurrentJournalActor());
    transaction.Commit();
    m_previous = t_innermost;
    t_innermost = this;
}

JournalRun::~JournalRun() {
    if (m_joined) return;
    // Scopes end in the reverse order of their start; this one is the innermost.
    t_innermost = m_previous;
    if (m_finished) return;
    // Ignored: a run that could not be closed stays unfinished in the journal, as a kill leaves it.
    RunIgnoring([&] {
        DatabaseRef database = OpenAccount(m_account);
        Transaction transaction(*database);
        FinishJournalRun(*database, m_id, false, {});
        transaction.Commit();
    });
}

void JournalRun::Finish(bool result, const std::vector<Text>& messages) {
    if (m_joined || m_finished) return;
    DatabaseRef database = OpenAccount(m_account);
    Transaction transaction(*database);
    FinishJournalRun(*database, m_id, result, messages);
    transaction.Commit();
    m_finished = true;
}

std::optional<int32_t> CurrentJournalRun(const AccountAddress& account) {
    for (JournalRun* run = t_innermost; run; run = run->m_previous) {
        if (run->Account() == account) return run->Id();
    }
    return std::nullopt;
}

}  // namespace orva::components
