#include "core/RunUndo.h"

#include <algorithm>
#include <array>
#include <set>
#include <utility>

#include "account/AccountConnections.h"
#include "account/CatalogContract.h"
#include "account/DeployJournal.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogSql.h"
#include "hostctx/Texts.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

using catalog_sql::Column;

// The top level's advisory lock, as the writer takes it before creating a top class.
constexpr const char* kTopLevelLock = "SELECT pg_advisory_xact_lock(1330796097, 1)";

// A node as it stands, in the journal's shape: parent, index, three names, four attributes, FVisible.
std::string SelectNode(const CatalogLevel& level, bool server) {
    std::string sql = "SELECT " + JournaledNodeColumns(level) + " FROM " + Column(level.table) + " WHERE " +
                      Column(level.idField) + " = ?1";
    return server ? sql + " FOR UPDATE" : sql;
}

std::optional<Text> OptionalText(const Statement& row, int column) {
    if (row.TypeOf(column) == ColumnType::Null) return std::nullopt;
    return row.ColumnText(column);
}

// What stands in the way of removing one node of the run.
struct NodeState {
    bool gone = false;
    std::vector<std::pair<const char16_t*, Text>> reasons;  // pattern, second argument
};

class Undo {
public:
    Undo(const AccountAddress& account, VectorRef& messages)
        : m_database(OpenAccount(account)),
          m_server(m_database->Dialect() == SqlDialect::Postgres),
          m_messages(messages),
          m_language(LanguageIndex()) {}

    bool Run(int32_t runId, bool dryRun, const UndoProgress& progress) {
        Transaction transaction(*m_database);
        std::optional<Text> origin = LockRun(runId);
        if (!origin) {
            Say(undo_patterns::kNoSuchRun, {runId});
            return false;
        }
        JournalRunInfo info;
        info.origin = JournalOrigin::Undo;
        info.language = LanguageCode();
        info.undoOf = runId;
        int32_t ownRun = InsertJournalRun(*m_database, info, CurrentJournalActor());
        bool result = Check(runId, *origin) && Remove(runId, progress);
        FinishJournalRun(*m_database, ownRun, result, m_lines);
        // A dry run ends here: the transaction's destructor rolls everything back, its own run too.
        if (!dryRun) transaction.Commit();
        return result;
    }

private:
    static size_t LanguageIndex() {
        Text language = UCase(hostctx::LearnCurrentLanguage());
        for (size_t i = 0; i < std::size(kCatalogLanguageCodes); ++i) {
            if (language == kCatalogLanguageCodes[i]) return i;
        }
        return 0;  // the readers' choice for an unknown language
    }
    Text LanguageCode() const { return kCatalogLanguageCodes[m_language]; }

    void Say(const char16_t* pattern, std::initializer_list<Variant> arguments) {
        Text line = hostctx::FormatText(pattern, arguments);
        m_lines.push_back(line);
        m_messages->Add(line);
    }

    // The run's origin, its row locked on a server so that a second undo of it waits for this one and
    // then finds it undone; nothing when there is no such run.
    std::optional<Text> LockRun(int32_t runId) {
        Statement run(m_database, std::string("SELECT FOrigin FROM t_DeployRun WHERE FRunID = ?1") +
                                      (m_server ? " FOR UPDATE" : ""));
        run.Bind(1, runId);
        if (!run.Step()) return std::nullopt;
        Text origin = run.ColumnText(0);
        while (run.Step()) {
        }
        return origin;
    }

    // The run's own refusals, then each node's; every reason is a line. True when nothing blocks.
    bool Check(int32_t runId, const Text& origin) {
        if (origin == FromUtf8(JournalOriginName(JournalOrigin::Undo))) {
            Say(undo_patterns::kRunIsUndo, {runId});
            return false;
        }
        Statement undone(m_database,
                         "SELECT min(FRunID) FROM t_DeployRun WHERE FUndoOfRunID = ?1 AND FResult = 1");
        undone.Bind(1, runId);
        if (undone.Step() && undone.TypeOf(0) != ColumnType::Null) {
            Say(undo_patterns::kAlreadyUndone, {runId, static_cast<int32_t>(undone.ColumnInteger(0))});
            return false;
        }
        m_nodes = ReadJournalNodes(*m_database, runId);  // by level, then id: the locking order
        for (const JournalNode& node : m_nodes) m_own.emplace(node.level, node.id);
        if (m_server && !m_nodes.empty() && m_nodes.front().level == kTopClassLevel.number) {
            m_database->ExecuteCached(kTopLevelLock);
        }
        bool clear = true;
        for (const JournalNode& node : m_nodes) {
            NodeState state = Inspect(node);
            m_gone.push_back(state.gone);
            for (const auto& [pattern, argument] : state.reasons) {
                Say(pattern, {Name(node), argument});
                clear = false;
            }
        }
        return clear;
    }

    Text Name(const JournalNode& node) const { return node.names[m_language]; }

    NodeState Inspect(const JournalNode& node) {
        const CatalogLevel& level = *FindCatalogLevel(node.level);
        const LevelSql& sql = SqlOf(level);
        NodeState state;
        Statement row(m_database, sql.select);
        row.Bind(1, node.id);
        if (!row.Step()) {
            state.gone = true;
            return state;
        }
        std::array<Text, 3> names{row.ColumnText(2), row.ColumnText(3), row.ColumnText(4)};
        if (names != node.names) state.reasons.emplace_back(undo_patterns::kRenamed, Text());
        if (row.ColumnInteger(0) != node.parentId) state.reasons.emplace_back(undo_patterns::kMoved, Text());
        if (row.ColumnInteger(1) != node.index) state.reasons.emplace_back(undo_patterns::kReindexed, Text());
        bool changed = OptionalText(row, 5) != node.className || OptionalText(row, 6) != node.subId ||
                       OptionalText(row, 7) != node.classParam || OptionalText(row, 8) != node.helpCode ||
                       (row.ColumnInteger(9) != 0) != node.visible;
        if (changed) state.reasons.emplace_back(undo_patterns::kChanged, Text());
        while (row.Step()) {
        }
        if (const CatalogLevel* child = level.Child()) {
            Statement children(m_database, sql.children);
            children.Bind(1, node.id);
            while (children.Step()) {
                auto id = static_cast<int32_t>(children.ColumnInteger(0));
                if (!m_own.contains({child->number, id})) {
                    state.reasons.emplace_back(undo_patterns::kForeignChild, children.ColumnText(1));
                }
            }
        }
        return state;
    }

    // Deepest level first, and within a level the newest node first.
    bool Remove(int32_t runId, const UndoProgress& progress) {
        std::vector<size_t> order(m_nodes.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = m_nodes.size() - 1 - i;
        auto total = static_cast<int32_t>(std::count(m_gone.begin(), m_gone.end(), false));
        int32_t done = 0;
        for (size_t i : order) {
            const JournalNode& node = m_nodes[i];
            if (m_gone[i]) {
                Say(undo_patterns::kGone, {Name(node)});
                continue;
            }
            const CatalogLevel& level = *FindCatalogLevel(node.level);
            Statement remove(m_database, SqlOf(level).remove);
            remove.Bind(1, node.id);
            remove.Step();
            Say(RemovedPattern(level), {Name(node)});
            if (progress) progress(++done, total);
        }
        Say(undo_patterns::kUndone, {runId});
        return true;
    }

    // The statements about the nodes of one level: the node as it stands, its children (with their
    // names in the undo's language), its removal. Made once per level, not once per node.
    struct LevelSql {
        std::string select, children, remove;
    };

    const LevelSql& SqlOf(const CatalogLevel& level) {
        LevelSql& sql = m_sql.at(static_cast<size_t>(level.number - 1));
        if (!sql.select.empty()) return sql;
        sql.select = SelectNode(level, m_server);
        if (const CatalogLevel* child = level.Child()) {
            sql.children = "SELECT " + Column(child->idField) + ", " +
                           Column(child->nameField, kCatalogLanguages[m_language]) + " FROM " +
                           Column(child->table) + " WHERE " + Column(child->parentIdField) +
                           " = ?1 ORDER BY " + Column(child->idField);
        }
        sql.remove = "DELETE FROM " + Column(level.table) + " WHERE " + Column(level.idField) + " = ?1";
        return sql;
    }

    static const char16_t* RemovedPattern(const CatalogLevel& level) {
        static constexpr const char16_t* kPatterns[] = {
            undo_patterns::kTopClassRemoved, undo_patterns::kSubSystemRemoved, undo_patterns::kSubFuncRemoved,
            undo_patterns::kDetailRemoved};
        return kPatterns[level.number - 1];
    }

    DatabaseRef m_database;
    bool m_server;
    VectorRef& m_messages;
    size_t m_language;
    std::vector<Text> m_lines;
    std::vector<JournalNode> m_nodes;
    std::vector<bool> m_gone;                     // parallel to m_nodes
    std::set<std::pair<int32_t, int32_t>> m_own;  // (level, id) of every node of the run
    std::array<LevelSql, 4> m_sql;                // by level number - 1, made as needed
};

}  // namespace

bool UndoJournalRun(const AccountAddress& account, int32_t runId, bool dryRun, VectorRef& messages,
                    const UndoProgress& progress) {
    if (!messages) messages = Vector::Create();
    return Undo(account, messages).Run(runId, dryRun, progress);
}

}  // namespace orva::core
