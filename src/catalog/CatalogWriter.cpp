#include "catalog/CatalogWriter.h"

#include <array>
#include <limits>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "account/AccountConnections.h"
#include "account/DeployJournal.h"
#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogSql.h"
#include "storage/Statement.h"
#include "storage/Transaction.h"

namespace orva::components {

using namespace automation;

namespace {

// The insert of the journal row (DeployJournal.h) of the node that the statement "node" inserted, as a
// server runs it after that insert in the same statement: the row's values are the inserted ones,
// the run is parameter ?runParameter; returns the node's identifier.
std::string JournalRowFrom(const CatalogLevel& level, int runParameter) {
    const std::string run = "?" + std::to_string(runParameter);
    return std::string("INSERT INTO t_DeployRunNode (") + kJournalNodeColumns + ") SELECT " +
           JournalRowValues(level, NextJournalEntry(run), run) + " FROM node RETURNING FNodeID";
}

// The statements of one level. Parameters of the insert: ?1 parent, ?2 index, ?3..?5 names
// CHS/CHT/EN, ?6..?8 keys CHS/CHT/EN, ?9.. the attributes in the level's order, then FVisible; of the
// find: ?1 parent, ?2..?4 keys, ?5 the identity attribute (each statement numbers its parameters
// without a gap, which a server needs to learn their types). Top classes have no parent: their
// statements are renumbered from ?1, and bound through catalog_sql::Parameter.
struct LevelSql {
    // parentExists: SQLite, where BEGIN IMMEDIATE has locked the whole file; parentLock: a server,
    // where the parent's row is the lock that serialises the creates under it.
    std::string parentExists, parentLock, find, indexTaken, lastIndex, insert;
    // A server's insert that also writes the node's journal row from the values it inserted, in one
    // statement (one round trip fewer per node); the run's id is parameter runParameter.
    std::string journaledInsert;
    int runParameter = 0;
    int identityAttribute = -1;  // the position of the level's identity attribute; -1 when it has none

    explicit LevelSql(const CatalogLevel& level) {
        using catalog_sql::Column;
        std::string table = Column(level.table);
        std::string id = Column(level.idField);
        std::string index = Column(kIndexField);
        std::string underParent = catalog_sql::ParentAnd(level);
        if (const CatalogLevel* parent = level.Parent()) {
            parentExists =
                "SELECT 1 FROM " + Column(parent->table) + " WHERE " + Column(parent->idField) + " = ?1";
            parentLock = parentExists + " FOR UPDATE";
        }
        std::span<const CatalogAttribute> attributes = level.Attributes();
        // One look-up per language column and key, each an equality on the whole (parent, key[,
        // identity]) unique index, then the first in sibling order. (A single WHERE with OR would let
        // SQLite walk the (parent, FIndex) index to spare the sort, visiting every sibling; a
        // "key IN (?2, ?3, ?4)" lets PostgreSQL's planner rate three probes dearer than one descent on
        // (parent, identity) that filters the names, which also visits every sibling.)
        std::string byIdentity;
        for (size_t i = 0; i < attributes.size(); ++i) {
            if (level.identityField && TextView(attributes[i].field) == level.identityField) {
                identityAttribute = static_cast<int>(i);
                byIdentity = " AND " + Column(level.identityField) + " = ?5";
            }
        }
        std::string branches;
        for (CatalogLanguage language : kCatalogLanguages) {
            for (const char* key : {"?2", "?3", "?4"}) {
                if (!branches.empty()) branches += " UNION ALL ";
                branches += "SELECT " + id + ", " + index + " FROM " + table + " WHERE " + underParent +
                            Column(kNameKeyStem, language) + " = " + key + byIdentity;
            }
        }
        find = "SELECT " + id + " FROM (" + branches + ") AS candidates ORDER BY " + index + ", " + id +
               " LIMIT 1";
        indexTaken = "SELECT 1 FROM " + table + " WHERE " + underParent + index + " = ?2";
        lastIndex = catalog_sql::LastIndex(level);
        std::string columns = level.parentIdField ? Column(level.parentIdField) + ", " : "";
        std::string values = level.parentIdField ? "?1, " : "";
        columns += index;
        values += "?2";
        for (CatalogLanguage language : kCatalogLanguages)
            columns += ", " + Column(level.nameField, language);
        for (CatalogLanguage language : kCatalogLanguages) columns += ", " + Column(kNameKeyStem, language);
        values += ", ?3, ?4, ?5, ?6, ?7, ?8";
        for (const CatalogAttribute& attribute : attributes) columns += ", " + Column(attribute.field);
        columns += ", " + Column(kVisibleField);
        for (size_t i = 0; i <= attributes.size(); ++i) values += ", ?" + std::to_string(9 + i);
        std::string inserted = "INSERT INTO " + table + " (" + columns + ") VALUES (" + values + ")";
        insert = inserted + " RETURNING " + id;
        runParameter = 9 + static_cast<int>(attributes.size()) + 1;
        journaledInsert =
            "WITH node AS (" + inserted + " RETURNING *) " + JournalRowFrom(level, runParameter);
        for (std::string* sql : {&find, &indexTaken, &insert, &journaledInsert})
            *sql = catalog_sql::ForLevel(level, std::move(*sql));
    }
};

// A node's names in the three languages: the field with the language's suffix when it is not blank,
// else the plain field (else the fallback field).
std::array<Text, 3> Names(const Dictionary& data, const char16_t* field, const char16_t* fallback) {
    Text plain = data.Value(field).ToText();
    if (Trim(plain).empty() && fallback) plain = data.Value(fallback).ToText();
    std::array<Text, 3> names;
    for (CatalogLanguage language : kCatalogLanguages) {
        Text ownField = LanguageField(field, language);
        Text own = data.Value(ownField).ToText();
        Text& name = names[static_cast<size_t>(language)];
        name = Trim(own).empty() ? plain : own;
        if (Trim(name).empty()) {
            Raise(errors::kInvalidCall,
                  Text(u"the node's name (") + field + u" or " + ownField + u") is empty");
        }
    }
    return names;
}

Text OptionalText(const Dictionary& data, const char16_t* field, const char16_t* fallback) {
    Variant value = data.Value(field);
    return value.IsEmpty() ? Text(fallback) : value.ToText();
}

int64_t Visible(const Dictionary& data) {
    Variant value = data.Value(kVisibleField);
    return value.IsEmpty() || value.ToBool() ? 1 : 0;
}

void CheckIndex(int32_t index) {
    if (index < 0) Raise(errors::kInvalidCall, u"the sibling index " + Int32ToText(index) + u" is negative");
}

// The values of the attributes and FVisible, bound from ?9 in the level's order.
using Extras = std::vector<std::variant<Text, int64_t>>;

Extras ExtrasOf(const CatalogLevel& level, const Dictionary& data) {
    Extras extras;
    for (const CatalogAttribute& attribute : level.Attributes()) {
        extras.emplace_back(OptionalText(data, attribute.field, attribute.createDefault));
    }
    extras.emplace_back(Visible(data));
    return extras;
}

// The journal row of a node just inserted with these values.
JournalNode JournalNodeOf(const CatalogLevel& level, int32_t id, int32_t parentId, int32_t index,
                          const std::array<Text, 3>& names, const Extras& extras) {
    JournalNode node;
    node.level = level.number;
    node.id = id;
    node.parentId = level.parentIdField ? parentId : 0;
    node.index = index;
    node.names = names;
    std::span<const CatalogAttribute> attributes = level.Attributes();
    for (size_t i = 0; i < attributes.size(); ++i) {
        const Text& value = std::get<Text>(extras[i]);
        TextView field = attributes[i].field;
        if (field == kClassNameField) node.className = value;
        if (field == kSubIdField) node.subId = value;
        if (field == kClassParamField) node.classParam = value;
        if (field == kHelpCodeField) node.helpCode = value;
    }
    node.visible = std::get<int64_t>(extras.back()) != 0;
    return node;
}

// The lock that top classes, which have no parent row, take on a server instead (the first key is the
// account's application id, the second says "the top level").
constexpr const char* kTopLevelLock = "SELECT pg_advisory_xact_lock(1330796097, 1)";

// The idempotent create: inside one write transaction, a sibling with one of the new node's name keys
// (and, for details, the same class parameter) is returned as it is; only when there is none is a new
// node inserted, at the given index or, when a sibling holds that one, at the next free one.
// Creates under one parent are serialised: on SQLite by BEGIN IMMEDIATE; on a server (READ
// COMMITTED, so every statement after the lock sees what the previous holder committed) by locking
// the parent's row, or the top level's advisory lock, so creates under different parents do not wait
// for each other.
int32_t CreateOnce(const AccountAddress& account, const CatalogLevel& level, int32_t parentId, int32_t index,
                   const std::array<Text, 3>& names, const Extras& extras, bool* created) {
    static const LevelSql kSql[] = {LevelSql(kCatalogLevels[0]), LevelSql(kCatalogLevels[1]),
                                    LevelSql(kCatalogLevels[2]), LevelSql(kCatalogLevels[3])};
    const LevelSql& sql = kSql[level.number - 1];
    CheckIndex(index);
    std::array<Text, 3> keys;
    for (size_t i = 0; i < keys.size(); ++i) keys[i] = CatalogNameKey(names[i]);

    auto at = [&](int number) { return catalog_sql::Parameter(level, number); };
    DatabaseRef database = OpenAccount(account);
    bool server = database->Dialect() == SqlDialect::Postgres;
    Transaction transaction(*database);
    if (server && !level.parentIdField) database->ExecuteCached(kTopLevelLock);
    if (level.parentIdField) {
        Statement exists(database, server ? sql.parentLock : sql.parentExists);
        exists.Bind(1, parentId);
        if (!exists.Step()) {
            Raise(errors::kInvalidCall, DatabaseErrorText(database->Name(), "") + u"there is no " +
                                            level.Parent()->kind + u" with the identifier " +
                                            Int32ToText(parentId));
        }
    }
    {
        Statement find(database, sql.find);
        if (level.parentIdField) find.Bind(1, parentId);
        for (int i = 0; i < 3; ++i) find.Bind(at(2 + i), keys[i]);
        if (sql.identityAttribute >= 0) {
            find.Bind(at(5), std::get<Text>(extras.at(static_cast<size_t>(sql.identityAttribute))));
        }
        if (find.Step()) {
            if (created) *created = false;
            return static_cast<int32_t>(find.ColumnInteger(0));
        }
    }
    {
        Statement taken(database, sql.indexTaken);
        if (level.parentIdField) taken.Bind(1, parentId);
        taken.Bind(at(2), index);
        if (taken.Step()) {
            Statement last(database, sql.lastIndex);
            if (level.parentIdField) last.Bind(1, parentId);
            last.Step();
            int64_t largest = last.ColumnInteger(0);
            if (largest >= std::numeric_limits<int32_t>::max()) {
                Raise(errors::kOverflow, DatabaseErrorText(database->Name(), "") +
                                             u"no free sibling index: the index " + Int32ToText(index) +
                                             u" is taken and the largest one is already 2147483647");
            }
            index = static_cast<int32_t>(largest + 1);
        }
    }
    // The node's journal row goes into the node's own transaction: neither exists without the other.
    // A server writes it with the node, in the same statement.
    std::optional<int32_t> run = CurrentJournalRun(account);
    bool journalInInsert = server && run;
    int32_t id = 0;
    {
        Statement insert(database, journalInInsert ? sql.journaledInsert : sql.insert);
        if (level.parentIdField) insert.Bind(1, parentId);
        insert.Bind(at(2), index);
        for (int i = 0; i < 3; ++i) insert.Bind(at(3 + i), names[i]).Bind(at(6 + i), keys[i]);
        for (size_t i = 0; i < extras.size(); ++i) {
            int parameter = at(static_cast<int>(9 + i));
            if (const Text* text = std::get_if<Text>(&extras[i])) {
                insert.Bind(parameter, *text);
            } else {
                insert.Bind(parameter, std::get<int64_t>(extras[i]));
            }
        }
        if (journalInInsert) insert.Bind(at(sql.runParameter), *run);
        insert.Step();
        id = static_cast<int32_t>(insert.ColumnInteger(0));
        // Run to its end, so no statement of the transaction is still active at the commit.
        while (insert.Step()) {
        }
    }
    if (run && !journalInInsert) {
        RecordJournalNode(*database, *run, JournalNodeOf(level, id, parentId, index, names, extras));
    }
    transaction.Commit();
    if (created) *created = true;
    return id;
}

}  // namespace

CatalogWriter::CatalogWriter(AccountAddress account) : m_account(std::move(account)) {}

AccountAddress CatalogWriter::Account() const { return m_account ? *m_account : HostAccount(); }

int32_t CatalogWriter::Create(const CatalogLevel& level, int32_t parentId, int32_t index,
                              const Dictionary& data, bool* created) {
    auto names = Names(data, level.createNameField, level.createNameFallback);
    Extras extras = ExtrasOf(level, data);
    AccountAddress account = Account();
    try {
        return CreateOnce(account, level, parentId, index, names, extras, created);
    } catch (const AutomationError& error) {
        // The locks make this a writer that bypassed them (another program, a hand-made row); the
        // unique indexes refused the duplicate. Once more, under the locks: the find now returns a
        // sibling that took the name, and a sibling that took the index is stepped over.
        if (DatabaseResultCode(error) != db_codes::kConstraint) throw;
    }
    return CreateOnce(account, level, parentId, index, names, extras, created);
}

int32_t CatalogWriter::CreateTopClass(int32_t index, const Dictionary& data, bool* created) {
    return Create(kTopClassLevel, 0, index, data, created);
}

int32_t CatalogWriter::CreateSubSys(int32_t topClassId, int32_t index, const Dictionary& data,
                                    bool* created) {
    return Create(kSubSystemLevel, topClassId, index, data, created);
}

int32_t CatalogWriter::CreateSubFunc(int32_t subSysId, int32_t index, const Dictionary& data, bool* created) {
    return Create(kSubFuncLevel, subSysId, index, data, created);
}

int32_t CatalogWriter::CreateDetailFunc(int32_t subFuncId, int32_t index, const Dictionary& data,
                                        bool* created) {
    return Create(kDetailFuncLevel, subFuncId, index, data, created);
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
