#include "catalog/CatalogWriter.h"

#include <array>
#include <limits>
#include <string>
#include <variant>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "account/AccountConnections.h"
#include "storage/SqliteStatement.h"
#include "storage/SqliteTransaction.h"

namespace orva::components {

using namespace automation;

namespace {

constexpr const char16_t* kRuntimeHost = u"OrvaHost.Application";
constexpr std::array<const char16_t*, 3> kLanguages{u"_CHS", u"_CHT", u"_EN"};

// One level of the catalogue as the writer stores it. The SQL is built once per level from these
// names; nothing from a caller reaches it.
struct Level {
    int number;  // 1 top class .. 4 function detail
    const char* table;
    const char* idColumn;
    const char* parentColumn;  // nullptr for top classes
    const char* parentTable;
    const char16_t* parentKind;
    const char* nameStem;      // FTopClassName, FName, FFuncName
    const char* extraColumns;  // columns after the names and keys, in binding order from ?9
    int extraCount;
    bool byClassParam;  // function details: equal only with an equal class parameter (the first extra)
};

constexpr Level kTopClass{.number = 1,
                          .table = "t_TopClass",
                          .idColumn = "FTopClassID",
                          .parentColumn = nullptr,
                          .parentTable = nullptr,
                          .parentKind = nullptr,
                          .nameStem = "FTopClassName",
                          .extraColumns = "FVisible",
                          .extraCount = 1,
                          .byClassParam = false};
constexpr Level kSubSystem{.number = 2,
                           .table = "t_SubSystem",
                           .idColumn = "FSubSysID",
                           .parentColumn = "FTopClassID",
                           .parentTable = "t_TopClass",
                           .parentKind = u"top class",
                           .nameStem = "FName",
                           .extraColumns = "FClassName, FSubID, FVisible",
                           .extraCount = 3,
                           .byClassParam = false};
constexpr Level kSubFunc{.number = 3,
                         .table = "t_SubFunc",
                         .idColumn = "FSubFuncID",
                         .parentColumn = "FSubSysID",
                         .parentTable = "t_SubSystem",
                         .parentKind = u"subsystem",
                         .nameStem = "FFuncName",
                         .extraColumns = "FClassName, FVisible",
                         .extraCount = 2,
                         .byClassParam = false};
constexpr Level kDetailFunc{.number = 4,
                            .table = "t_DetailFunc",
                            .idColumn = "FDetailFuncID",
                            .parentColumn = "FSubFuncID",
                            .parentTable = "t_SubFunc",
                            .parentKind = u"sub-function",
                            .nameStem = "FFuncName",
                            .extraColumns = "FClassParam, FClassName, FHelpCode, FVisible",
                            .extraCount = 4,
                            .byClassParam = true};

// The statements of one level. Parameters: ?1 parent (bound for every level; unused by top classes),
// ?2 index, ?3..?5 names CHS/CHT/EN, ?6..?8 keys CHS/CHT/EN, ?9.. the extra columns.
struct LevelSql {
    std::string parentExists, find, indexTaken, lastIndex, insert;

    explicit LevelSql(const Level& level) {
        std::string table = level.table;
        std::string underParent = level.parentColumn ? std::string(level.parentColumn) + " = ?1 AND " : "";
        if (level.parentColumn) {
            parentExists =
                std::string("SELECT 1 FROM ") + level.parentTable + " WHERE " + level.parentColumn + " = ?1";
        }
        // One look-up per language column, each through its (parent, key) index, then the first in
        // sibling order. (A single WHERE with OR would let SQLite walk the (parent, FIndex) index to
        // spare the sort, visiting every sibling.)
        std::string byParam = level.byClassParam ? " AND FClassParam = ?9" : "";
        std::string id = level.idColumn;
        std::string branches;
        for (const char* column : {"FNameKey_CHS", "FNameKey_CHT", "FNameKey_EN"}) {
            if (!branches.empty()) branches += " UNION ALL ";
            branches += "SELECT " + id + ", FIndex FROM " + table + " WHERE " + underParent + column +
                        " IN (?6, ?7, ?8)" + byParam;
        }
        find = "SELECT " + id + " FROM (" + branches + ") ORDER BY FIndex, " + id + " LIMIT 1";
        std::string whereParent =
            level.parentColumn ? std::string(" WHERE ") + level.parentColumn + " = ?1" : "";
        indexTaken = "SELECT 1 FROM " + table + " WHERE " + underParent + "FIndex = ?2";
        lastIndex = "SELECT FIndex FROM " + table + whereParent + " ORDER BY FIndex DESC LIMIT 1";
        std::string stem = level.nameStem;
        std::string values = level.parentColumn ? "?1, " : "";
        values += "?2, ?3, ?4, ?5, ?6, ?7, ?8";
        for (int i = 0; i < level.extraCount; ++i) values += ", ?" + std::to_string(9 + i);
        insert = "INSERT INTO " + table + " (" +
                 (level.parentColumn ? std::string(level.parentColumn) + ", " : "") + "FIndex, " + stem +
                 "_CHS, " + stem + "_CHT, " + stem + "_EN, FNameKey_CHS, FNameKey_CHT, " + "FNameKey_EN, " +
                 level.extraColumns + ") VALUES (" + values + ")";
    }
};

// A node's names in the three languages: the field with the language's suffix when it is not blank,
// else the plain field (else the fallback field).
std::array<Text, 3> Names(const Dictionary& data, const char16_t* field, const char16_t* fallback = nullptr) {
    Text plain = data.Value(field).ToText();
    if (Trim(plain).empty() && fallback) plain = data.Value(fallback).ToText();
    std::array<Text, 3> names;
    for (size_t i = 0; i < kLanguages.size(); ++i) {
        Text own = data.Value(Text(field) + kLanguages[i]).ToText();
        names[i] = Trim(own).empty() ? plain : own;
        if (Trim(names[i]).empty()) {
            Raise(errors::kInvalidCall,
                  Text(u"the node's name (") + field + u" or " + field + kLanguages[i] + u") is empty");
        }
    }
    return names;
}

Text OptionalText(const Dictionary& data, const char16_t* field, const char16_t* fallback) {
    Variant value = data.Value(field);
    return value.IsEmpty() ? Text(fallback) : value.ToText();
}

int64_t Visible(const Dictionary& data) {
    Variant value = data.Value(u"FVisible");
    return value.IsEmpty() || value.ToBool() ? 1 : 0;
}

void CheckIndex(int32_t index) {
    if (index < 0) Raise(errors::kInvalidCall, u"the sibling index " + Int32ToText(index) + u" is negative");
}

// The values of the extra columns, bound from ?9 in the level's order.
using Extras = std::vector<std::variant<Text, int64_t>>;

// The idempotent create: inside one write transaction, a sibling with one of the new node's name keys
// (and, for details, the same class parameter) is returned as it is; only when there is none is a new
// node inserted, at the given index or, when a sibling holds that one, at the next free one.
int32_t CreateOnce(const AccountAddress& account, const Level& level, int32_t parentId, int32_t index,
                   const std::array<Text, 3>& names, const Extras& extras, bool* created) {
    static const LevelSql kSql[] = {LevelSql(kTopClass), LevelSql(kSubSystem), LevelSql(kSubFunc),
                                    LevelSql(kDetailFunc)};
    const LevelSql& sql = kSql[level.number - 1];
    CheckIndex(index);
    std::array<Text, 3> keys;
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = CatalogNameKey(names[i]);

    SqliteDatabaseRef database = OpenAccount(account);
    SqliteTransaction transaction(*database);
    if (level.parentColumn) {
        SqliteStatement exists(database, sql.parentExists);
        exists.Bind(1, parentId);
        if (!exists.Step()) {
            Raise(errors::kInvalidCall, DatabaseErrorText(database->FileName(), "") + u"there is no " +
                                            level.parentKind + u" with the identifier " +
                                            Int32ToText(parentId));
        }
    }
    {
        SqliteStatement find(database, sql.find);
        if (level.parentColumn) find.Bind(1, parentId);
        for (int i = 0; i < 3; ++i) find.Bind(6 + i, keys[i]);
        if (level.byClassParam) find.Bind(9, std::get<Text>(extras.at(0)));
        if (find.Step()) {
            if (created) *created = false;
            return static_cast<int32_t>(find.ColumnInteger(0));
        }
    }
    {
        SqliteStatement taken(database, sql.indexTaken);
        if (level.parentColumn) taken.Bind(1, parentId);
        taken.Bind(2, index);
        if (taken.Step()) {
            SqliteStatement last(database, sql.lastIndex);
            if (level.parentColumn) last.Bind(1, parentId);
            last.Step();
            int64_t largest = last.ColumnInteger(0);
            if (largest >= std::numeric_limits<int32_t>::max()) {
                Raise(errors::kOverflow, DatabaseErrorText(database->FileName(), "") +
                                             u"no free sibling index: the index " + Int32ToText(index) +
                                             u" is taken and the largest one is already 2147483647");
            }
            index = static_cast<int32_t>(largest + 1);
        }
    }
    {
        SqliteStatement insert(database, sql.insert);
        if (level.parentColumn) insert.Bind(1, parentId);
        insert.Bind(2, index);
        for (int i = 0; i < 3; ++i) insert.Bind(3 + i, names[i]).Bind(6 + i, keys[i]);
        for (size_t i = 0; i < extras.size(); ++i) {
            int parameter = static_cast<int>(9 + i);
            if (const Text* text = std::get_if<Text>(&extras[i])) {
                insert.Bind(parameter, *text);
            } else {
                insert.Bind(parameter, std::get<int64_t>(extras[i]));
            }
        }
        insert.Step();
    }
    auto id = static_cast<int32_t>(database->LastInsertRowId());
    transaction.Commit();
    if (created) *created = true;
    return id;
}

}  // namespace

Text CatalogNameKey(TextView name) { return Trim(UCase(name)); }

CatalogWriter::CatalogWriter(AccountAddress account) : m_account(std::move(account)) {}

AccountAddress CatalogWriter::Account() const { return m_account ? *m_account : HostAccount(); }

int32_t CatalogWriter::CreateTopClass(int32_t index, const Dictionary& data, bool* created) {
    auto names = Names(data, u"FTopClassName");
    return CreateOnce(Account(), kTopClass, 0, index, names, {Visible(data)}, created);
}

int32_t CatalogWriter::CreateSubSys(int32_t topClassId, int32_t index, const Dictionary& data,
                                    bool* created) {
    auto names = Names(data, u"FSysName");
    Extras extras{OptionalText(data, u"FClassName", kRuntimeHost), OptionalText(data, u"FSubID", u""),
                  Visible(data)};
    return CreateOnce(Account(), kSubSystem, topClassId, index, names, extras, created);
}

int32_t CatalogWriter::CreateSubFunc(int32_t subSysId, int32_t index, const Dictionary& data, bool* created) {
    auto names = Names(data, u"FFuncName");
    Extras extras{OptionalText(data, u"FClassName", kRuntimeHost), Visible(data)};
    return CreateOnce(Account(), kSubFunc, subSysId, index, names, extras, created);
}

int32_t CatalogWriter::CreateDetailFunc(int32_t subFuncId, int32_t index, const Dictionary& data,
                                        bool* created) {
    auto names = Names(data, u"FFuncName", u"NewName");
    Extras extras{OptionalText(data, u"FClassParam", u""), OptionalText(data, u"FClassName", kRuntimeHost),
                  OptionalText(data, u"FHelpCode", u""), Visible(data)};
    return CreateOnce(Account(), kDetailFunc, subFuncId, index, names, extras, created);
}

namespace {

// Creates called by name: the data dictionary is shared with the caller, so FCreated written into it
// reaches the caller's argument. The trailing Boolean is optional and unused (see the header).
Variant CreateTopClassByName(CatalogWriter& writer, Args args) {
    DictionaryRef data = AsDictionary(args[1]);
    bool created = false;
    int32_t id = writer.CreateTopClass(args[0].ToInt32(), *data, &created);
    data->SetValue(kCreatedField, created);
    return id;
}

template <int32_t (CatalogWriter::*kCreate)(int32_t, int32_t, const Dictionary&, bool*)>
Variant CreateChildByName(CatalogWriter& writer, Args args) {
    DictionaryRef data = AsDictionary(args[2]);
    bool created = false;
    int32_t id = (writer.*kCreate)(args[0].ToInt32(), args[1].ToInt32(), *data, &created);
    data->SetValue(kCreatedField, created);
    return id;
}

}  // namespace

Variant CatalogWriter::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<CatalogWriter> kMembers[] = {
        {.name = u"CreateTopClass", .minArgs = 2, .maxArgs = 3, .call = CreateTopClassByName},
        {.name = u"CreateSubSys", .minArgs = 3, .maxArgs = 4,
         .call = CreateChildByName<&CatalogWriter::CreateSubSys>},
        {.name = u"CreateSubFunc", .minArgs = 3, .maxArgs = 4,
         .call = CreateChildByName<&CatalogWriter::CreateSubFunc>},
        {.name = u"CreateDetailFunc", .minArgs = 3, .maxArgs = 4,
         .call = CreateChildByName<&CatalogWriter::CreateDetailFunc>},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
