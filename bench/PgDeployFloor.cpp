#include "PgDeployFloor.h"

#include <cstdint>
#include <optional>

#include "PgDeployServer.h"

namespace orva::bench {

namespace {

// The statements of one catalogue level, by the level's table and columns.
struct Level {
    const char* name;  // prefix of the prepared statements' names
    const char* table;
    const char* id;
    const char* parentId;    // nullptr for top classes
    const char* lockParent;  // the statement that takes the create's lock
    const char* insertColumns;
    const char* insertValues;  // $1 parent (or nothing for top classes), then index, name, key[, param]
    bool hasParam;             // function details: the class parameter is part of the identity
};

constexpr Level kTop{
    "top",
    "t_TopClass",
    "FTopClassID",
    nullptr,
    "SELECT pg_advisory_xact_lock(1330796097, 1)",
    "FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FNameKey_CHS, FNameKey_CHT, "
    "FNameKey_EN, FVisible",
    "$1, $2, $2, $2, $3, $3, $3, 1",
    false};
constexpr Level kSub{
    "sub",
    "t_SubSystem",
    "FSubSysID",
    "FTopClassID",
    "SELECT 1 FROM t_TopClass WHERE FTopClassID = $1 FOR UPDATE",
    "FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, "
    "FClassName, FSubID, FVisible",
    "$1, $2, $3, $3, $3, $4, $4, $4, 'OrvaHost.Application', 'orvahost', 1",
    false};
constexpr Level kFunc{
    "func",
    "t_SubFunc",
    "FSubFuncID",
    "FSubSysID",
    "SELECT 1 FROM t_SubSystem WHERE FSubSysID = $1 FOR UPDATE",
    "FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey_CHS, FNameKey_CHT, "
    "FNameKey_EN, FClassName, FVisible",
    "$1, $2, $3, $3, $3, $4, $4, $4, 'OrvaHost.Application', 1",
    false};
constexpr Level kDetail{"detail",
                        "t_DetailFunc",
                        "FDetailFuncID",
                        "FSubFuncID",
                        "SELECT 1 FROM t_SubFunc WHERE FSubFuncID = $1 FOR UPDATE",
                        "FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey_CHS, "
                        "FNameKey_CHT, FNameKey_EN, FClassName, FClassParam, FHelpCode, FVisible",
                        "$1, $2, $3, $3, $3, $4, $4, $4, 'OrvaHost.Application', $5, '', 1",
                        true};

std::string Name(const Level& level, const char* statement) {
    return std::string(level.name) + "_" + statement;
}

}  // namespace

class PgFloorDeployer::Statements {
public:
    explicit Statements(const std::string& uri) : m_connection(uri) {
        for (const Level* level : {&kTop, &kSub, &kFunc, &kDetail}) Prepare(*level);
    }

    void Deploy(const WorkloadEntry& entry, FloorResult& result) {
        bool created = false;
        int64_t topId = FindOrCreate(kTop, 0, entry.topClass, {}, created);
        result.nodesCreated += created;
        int64_t subId = FindOrCreate(kSub, topId, entry.subSystem, {}, created);
        result.nodesCreated += created;
        int64_t funcId = FindOrCreate(kFunc, subId, entry.subFunc, {}, created);
        result.nodesCreated += created;
        FindOrCreate(kDetail, funcId, entry.funcName, entry.classParam, created);
        ++(created ? result.detailsCreated : result.detailsPresent);
    }

private:
    // The parameters every statement of a level starts with: the parent (not for top classes).
    static PgParams Under(const Level& level, int64_t parentId) {
        PgParams params;
        if (level.parentId) params.Add(parentId);
        return params;
    }

    void Prepare(const Level& level) {
        // $n numbering: the parent is $1 where there is one.
        int first = level.parentId ? 2 : 1;
        auto parameter = [&](int offset) { return "$" + std::to_string(first + offset); };
        std::string table = level.table;
        std::string underParent = level.parentId ? std::string(level.parentId) + " = $1 AND " : "";
        std::string byParam = level.hasParam ? " AND FClassParam = " + parameter(1) : "";
        m_connection.Prepare(Name(level, "find"), "SELECT " + std::string(level.id) + " FROM " + table +
                                                      " WHERE " + underParent +
                                                      "FNameKey_CHS = " + parameter(0) + byParam);
        m_connection.Prepare(Name(level, "lock"), level.lockParent);
        std::string key = parameter(0);
        // One branch per language's key, each an equality on its whole unique index (an OR of the
        // three lets the planner walk every sibling through one index and filter the names).
        std::string recheck;
        for (const char* column : {"FNameKey_CHS", "FNameKey_CHT", "FNameKey_EN"}) {
            if (!recheck.empty()) recheck += " UNION ALL ";
            recheck += "SELECT " + std::string(level.id) + " FROM " + table + " WHERE " + underParent +
                       column + " = " + key + byParam;
        }
        m_connection.Prepare(Name(level, "recheck"), recheck + " LIMIT 1");
        m_connection.Prepare(
            Name(level, "next"),
            "SELECT coalesce(max(FIndex), 0) + 1 FROM " + table +
                (level.parentId ? " WHERE " + std::string(level.parentId) + " = $1" : std::string()));
        // Insert parameters: [$1 parent,] index, name, key[, class parameter].
        std::string values = level.insertValues;
        m_connection.Prepare(Name(level, "insert"), "INSERT INTO " + table + " (" + level.insertColumns +
                                                        ") VALUES (" + values + ") RETURNING " + level.id);
    }

    int64_t FindOrCreate(const Level& level, int64_t parentId, const std::string& name,
                         const std::string& param, bool& created) {
        created = false;
        std::string key = AsciiNameKey(name);
        PgParams byKey = Under(level, parentId).Add(key);
        if (level.hasParam) byKey.Add(param);
        if (std::optional<int64_t> id = m_connection.QueryInteger(Name(level, "find"), byKey)) return *id;

        m_connection.Exec("BEGIN");
        m_connection.QueryInteger(Name(level, "lock"), Under(level, parentId));
        if (std::optional<int64_t> id = m_connection.QueryInteger(Name(level, "recheck"), byKey)) {
            m_connection.Exec("COMMIT");
            return *id;
        }
        int64_t index = *m_connection.QueryInteger(Name(level, "next"), Under(level, parentId));
        PgParams insert = Under(level, parentId).Add(index).Add(name).Add(key);
        if (level.hasParam) insert.Add(param);
        int64_t id = *m_connection.QueryInteger(Name(level, "insert"), insert);
        m_connection.Exec("COMMIT");
        created = true;
        return id;
    }

    PgConnection m_connection;
};

PgFloorDeployer::PgFloorDeployer(const std::string& uri) : m_statements(std::make_unique<Statements>(uri)) {}

PgFloorDeployer::~PgFloorDeployer() = default;

FloorResult PgFloorDeployer::Deploy(const std::vector<WorkloadEntry>& entries) {
    FloorResult result;
    for (const WorkloadEntry& entry : entries) m_statements->Deploy(entry, result);
    return result;
}

}  // namespace orva::bench
