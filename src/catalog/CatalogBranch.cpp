#include "catalog/CatalogBranch.h"

#include <optional>
#include <unordered_set>

#include "account/AccountConnections.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogSql.h"
#include "storage/Statement.h"

namespace orva::components {

using namespace automation;

namespace {

using IdSet = std::unordered_set<int32_t>;
using Path = std::array<std::shared_ptr<const BranchNode>, 3>;

// What the walk descends into, per level above the function details (index: level number - 1).
struct Wanted {
    std::array<IdSet, 3> chosen;  // the roots
    std::array<IdSet, 3> above;   // the nodes above a root
};

struct Placement {
    int32_t parentId = 0;  // 0 for a top class
    bool visible = true;
};

std::optional<Placement> PlacementOf(const DatabaseRef& database, const CatalogLevel& level, int32_t id) {
    using catalog_sql::Column;
    std::string parent = level.parentIdField ? Column(level.parentIdField) : "0";
    Statement statement(database, "SELECT " + parent + ", " + Column(kVisibleField) + " FROM " +
                                      Column(level.table) + " WHERE " + Column(level.idField) + " = ?1");
    statement.Bind(1, id);
    if (!statement.Step()) return std::nullopt;
    return Placement{static_cast<int32_t>(statement.ColumnInteger(0)), statement.ColumnInteger(1) != 0};
}

// Checks every root and notes it and the nodes above it; a root that is missing or (unless hidden
// nodes are wanted) hidden, itself or through a node above it, raises 5 naming it.
Wanted Resolve(const DatabaseRef& database, std::span<const BranchRoot> roots, bool includeHidden) {
    Wanted wanted;
    for (const BranchRoot& root : roots) {
        const CatalogLevel* level = FindCatalogLevel(root.level);
        Text label = root.label;
        if (label.empty()) {
            label = (level ? Text(level->kind) : u"level " + Int32ToText(root.level)) + u" " +
                    Int32ToText(root.id);
        }
        if (!level || !level->Child()) {
            Raise(errors::kInvalidCall,
                  label + u": a branch starts at a top class, a subsystem or a sub-function");
        }
        int32_t id = root.id;
        for (const CatalogLevel* at = level; at; at = at->Parent()) {
            std::optional<Placement> placement = PlacementOf(database, *at, id);
            if (!placement)
                Raise(errors::kInvalidCall, label + u": no " + at->kind + u" has the id " + Int32ToText(id));
            if (!placement->visible && !includeHidden) {
                Raise(errors::kInvalidCall, label + u": the " + at->kind + u" " + Int32ToText(id) +
                                                u" is hidden, and hidden nodes were not asked for");
            }
            if (at != level) wanted.above[static_cast<size_t>(at->number - 1)].insert(id);
            id = placement->parentId;
        }
        wanted.chosen[static_cast<size_t>(level->number - 1)].insert(root.id);
    }
    return wanted;
}

// The children query of one level, prepared once per walk and run again for every parent, with the
// positions of the columns a node is read from, found by name once.
class LevelQuery {
public:
    LevelQuery(const DatabaseRef& database, const CatalogLevel& level)
        : m_level(level), m_statement(database, catalog_sql::ListChildren(level, CatalogLanguage::CHS)) {
        m_id = ColumnOf(level.idField);
        for (CatalogLanguage language : kCatalogLanguages)
            m_names[static_cast<size_t>(language)] = ColumnOf(LanguageField(level.nameField, language));
        const std::pair<const char16_t*, Text BranchNode::*> members[] = {
            {kClassNameField, &BranchNode::className},
            {kSubIdField, &BranchNode::subId},
            {kClassParamField, &BranchNode::classParam},
            {kHelpCodeField, &BranchNode::helpCode}};
        for (const CatalogAttribute& attribute : level.Attributes()) {
            for (const auto& [field, member] : members) {
                if (TextView(attribute.field) == field) m_attributes.emplace_back(ColumnOf(field), member);
            }
        }
        m_visible = ColumnOf(kVisibleField);
    }

    // The children of parentId (ignored for top classes) in sibling order, hidden ones only when
    // includeHidden; read whole, and the statement reset, before the walk goes deeper, so that one
    // query is open at a time.
    std::vector<BranchNode> Children(int32_t parentId, bool includeHidden) {
        if (m_level.parentIdField) m_statement.Bind(1, parentId);
        std::vector<BranchNode> nodes;
        try {
            while (m_statement.Step()) {
                const bool visible = m_statement.ColumnInteger(m_visible) != 0;
                if (!visible && !includeHidden) continue;
                BranchNode& node = nodes.emplace_back();
                node.id = static_cast<int32_t>(m_statement.ColumnInteger(m_id));
                for (size_t k = 0; k < m_names.size(); ++k)
                    node.names[k] = m_statement.ColumnText(m_names[k]);
                for (const auto& [column, member] : m_attributes)
                    node.*member = m_statement.ColumnText(column);
                node.visible = visible;
            }
        } catch (...) {
            m_statement.Reset();
            throw;
        }
        m_statement.Reset();
        return nodes;
    }

private:
    int ColumnOf(TextView field) const {
        for (int column = 0; column < m_statement.ColumnCount(); ++column) {
            if (EqualsNoCase(FromUtf8(m_statement.ColumnName(column)), field)) return column;
        }
        Raise(errors::kInvalidCall,
              Text(m_level.table) + u": the catalogue's query has no column " + Text(field));
    }

    const CatalogLevel& m_level;
    Statement m_statement;
    int m_id = 0;
    std::array<int, 3> m_names{};  // by CatalogLanguage
    std::vector<std::pair<int, Text BranchNode::*>> m_attributes;
    int m_visible = 0;
};

class BranchWalk {
public:
    BranchWalk(const DatabaseRef& database, const Wanted& wanted, bool includeHidden)
        : m_levels{LevelQuery(database, kCatalogLevels[0]), LevelQuery(database, kCatalogLevels[1]),
                   LevelQuery(database, kCatalogLevels[2]), LevelQuery(database, kCatalogLevels[3])},
          m_wanted(wanted),
          m_includeHidden(includeHidden) {}

    std::vector<BranchNode> Children(const CatalogLevel& level, int32_t parentId) {
        return m_levels[static_cast<size_t>(level.number - 1)].Children(parentId, m_includeHidden);
    }

    // Notes the chosen sub-functions under parentId at level (1 .. 3), in the catalogue's order.
    void Visit(const CatalogLevel& level, int32_t parentId, bool underRoot, Path& path) {
        const auto at = static_cast<size_t>(level.number - 1);
        for (BranchNode& node : Children(level, parentId)) {
            const bool chosen = underRoot || m_wanted.chosen[at].contains(node.id);
            if (!chosen && !m_wanted.above[at].contains(node.id)) continue;
            path[at] = std::make_shared<const BranchNode>(std::move(node));
            if (level.Child() == &kDetailFuncLevel) {
                m_subFuncs.push_back(path);
            } else {
                Visit(*level.Child(), path[at]->id, chosen, path);
            }
        }
    }

    std::vector<BranchDetail> Details(const BranchProgress& progress) {
        std::vector<BranchDetail> details;
        const auto total = static_cast<int32_t>(m_subFuncs.size());
        for (int32_t k = 0; k < total; ++k) {
            const Path& path = m_subFuncs[static_cast<size_t>(k)];
            for (BranchNode& node : Children(kDetailFuncLevel, path[2]->id))
                details.push_back({path[0], path[1], path[2], std::move(node)});
            if (progress) progress(k + 1, total);
        }
        return details;
    }

private:
    std::array<LevelQuery, 4> m_levels;  // by level number - 1
    const Wanted& m_wanted;
    bool m_includeHidden;
    std::vector<Path> m_subFuncs;
};

}  // namespace

std::vector<BranchDetail> ReadCatalogBranches(const AccountAddress& account,
                                              std::span<const BranchRoot> roots, bool includeHidden,
                                              const BranchProgress& progress) {
    DatabaseRef database = OpenAccount(account);
    Wanted wanted = Resolve(database, roots, includeHidden);
    BranchWalk walk(database, wanted, includeHidden);
    Path path;
    walk.Visit(kTopClassLevel, 0, false, path);
    return walk.Details(progress);
}

}  // namespace orva::components
