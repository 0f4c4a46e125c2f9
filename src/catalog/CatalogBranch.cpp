#include "catalog/CatalogBranch.h"

#include <optional>
#include <unordered_set>

#include "account/AccountConnections.h"
#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogReader.h"
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
Wanted Resolve(const AccountAddress& account, std::span<const BranchRoot> roots, bool includeHidden) {
    DatabaseRef database = OpenAccount(account);
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

BranchNode ReadNode(const Recordset& records, const CatalogLevel& level) {
    BranchNode node;
    node.id = records.Field(level.idField).ToInt32();
    for (CatalogLanguage language : kCatalogLanguages)
        node.names[static_cast<size_t>(language)] =
            records.Field(LanguageField(level.nameField, language)).ToText();
    for (const CatalogAttribute& attribute : level.Attributes()) {
        TextView field = attribute.field;
        Text value = records.Field(field).ToText();
        if (field == kClassNameField) node.className = std::move(value);
        if (field == kSubIdField) node.subId = std::move(value);
        if (field == kClassParamField) node.classParam = std::move(value);
        if (field == kHelpCodeField) node.helpCode = std::move(value);
    }
    node.visible = records.Field(kVisibleField).ToInt32() != 0;
    return node;
}

class BranchWalk {
public:
    BranchWalk(const AccountAddress& account, const Wanted& wanted, bool includeHidden)
        : m_reader(account, CatalogLanguage::CHS), m_wanted(wanted), m_includeHidden(includeHidden) {}

    // The children of parentId at level, read whole before the walk goes deeper, so that one query is
    // open at a time.
    std::vector<BranchNode> Children(const CatalogLevel& level, int32_t parentId) {
        std::shared_ptr<Recordset> records = m_reader.GetChildren(level, parentId);
        std::vector<BranchNode> nodes;
        for (; !records->IsEOF(); records->MoveNext()) {
            BranchNode node = ReadNode(*records, level);
            if (node.visible || m_includeHidden) nodes.push_back(std::move(node));
        }
        records->Close();
        return nodes;
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
    CatalogReader m_reader;
    const Wanted& m_wanted;
    bool m_includeHidden;
    std::vector<Path> m_subFuncs;
};

}  // namespace

std::vector<BranchDetail> ReadCatalogBranches(const AccountAddress& account,
                                              std::span<const BranchRoot> roots, bool includeHidden,
                                              const BranchProgress& progress) {
    Wanted wanted = Resolve(account, roots, includeHidden);
    BranchWalk walk(account, wanted, includeHidden);
    Path path;
    walk.Visit(kTopClassLevel, 0, false, path);
    return walk.Details(progress);
}

}  // namespace orva::components
