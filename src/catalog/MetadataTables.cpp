#include "catalog/MetadataTables.h"

#include <algorithm>
#include <unordered_map>

#include "account/AccountConnections.h"
#include "automation/TextHelpers.h"
#include "catalog/MetadataSnapshot.h"
#include "catalog/StatementRecordset.h"
#include "storage/Statement.h"

namespace orva::components {

using namespace automation;

namespace {

constexpr const char* kClassTypeColumns =
    "SELECT FID, FName_CHS, FName_CHT, FName_EN, FBillTypeID, FFunctionID FROM t_ClassType";

LanguageNames NamesAt(const Statement& statement, int first) {
    return {statement.ColumnText(first), statement.ColumnText(first + 1), statement.ColumnText(first + 2)};
}

int32_t Int32At(const Statement& statement, int column) {
    // The schema's CHECKs keep every stored number within 32 bits.
    return static_cast<int32_t>(statement.ColumnInteger(column));
}

ClassTypeRow ClassTypeAt(const Statement& statement) {
    return {Int32At(statement, 0), NamesAt(statement, 1), Int32At(statement, 4), Int32At(statement, 5)};
}

BillActionRow BillActionAt(const Statement& statement, int first) {
    return {statement.ColumnText(first), NamesAt(statement, first + 1), Int32At(statement, first + 4)};
}

// lower() of the SQL both backends run: ASCII letters only (action keys are ASCII).
Text AsciiLower(Text text) {
    for (char16_t& unit : text) {
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    }
    return text;
}

void BindFilter(Statement& statement, const ClassTypeFilter& filter) {
    int parameter = 0;
    for (const ClassTypeCondition& condition : filter.conditions)
        statement.Bind(++parameter, condition.value);
}

BizSubsystemRow BizSubsystemAt(const Statement& statement) {
    return {Int32At(statement, 0), NamesAt(statement, 1)};
}

}  // namespace

const Text& NameIn(const LanguageNames& names, CatalogLanguage language) {
    return names[static_cast<size_t>(language)];
}

const char16_t* LanguageCode(CatalogLanguage language) {
    switch (language) {
        case CatalogLanguage::CHT:
            return u"CHT";
        case CatalogLanguage::EN:
            return u"EN";
        case CatalogLanguage::CHS:
            break;
    }
    return u"CHS";
}

CatalogLanguage HostLanguage() {
    // Components ask for the language at every answer; each thread remembers its last one, as
    // HostAccount does.
    thread_local Text lastProps;
    thread_local CatalogLanguage lastLanguage = LanguageFromPropsString(u"");
    Text propsString = HostPropsString();
    if (propsString != lastProps) {
        lastLanguage = LanguageFromPropsString(propsString);
        lastProps = std::move(propsString);
    }
    return lastLanguage;
}

Text ClassTypeRow::MultiLanguageName() const { return names[0] + u"|" + names[1] + u"|" + names[2]; }

std::vector<BizSubsystemRow> ReadBizSubsystems(const AccountAddress& account) {
    Statement statement(OpenAccount(account),
                        "SELECT FFunctionID, FName_CHS, FName_CHT, FName_EN FROM t_BizSubSystem "
                        "ORDER BY FFunctionID");
    std::vector<BizSubsystemRow> rows;
    while (statement.Step()) rows.push_back(BizSubsystemAt(statement));
    return rows;
}

std::optional<BizSubsystemRow> ReadBizSubsystem(const AccountAddress& account, int32_t functionId) {
    Statement statement(OpenAccount(account),
                        "SELECT FFunctionID, FName_CHS, FName_CHT, FName_EN FROM t_BizSubSystem "
                        "WHERE FFunctionID = ?1");
    statement.Bind(1, functionId);
    if (!statement.Step()) return std::nullopt;
    return BizSubsystemAt(statement);
}

std::vector<ClassTypeRow> ReadClassTypes(const AccountAddress& account, const ClassTypeFilter& filter) {
    // Columns and operators come from fixed tables; every number is a bound parameter.
    Statement statement(OpenAccount(account), std::string(kClassTypeColumns) + " WHERE 1 = 1" +
                                                  FilterConditionsSql(filter, "") + " ORDER BY FID");
    BindFilter(statement, filter);
    std::vector<ClassTypeRow> rows;
    while (statement.Step()) rows.push_back(ClassTypeAt(statement));
    return rows;
}

std::optional<ClassTypeRow> ReadClassType(const AccountAddress& account, int32_t fid) {
    if (const ClassTypeWithActions* known = ScopedMetadataSnapshot::Find(account, fid)) return known->type;
    Statement statement(OpenAccount(account), std::string(kClassTypeColumns) + " WHERE FID = ?1");
    statement.Bind(1, fid);
    if (!statement.Step()) return std::nullopt;
    return ClassTypeAt(statement);
}

std::vector<BillActionRow> ReadBillActions(const AccountAddress& account, int32_t classTypeId) {
    if (const ClassTypeWithActions* known = ScopedMetadataSnapshot::Find(account, classTypeId))
        return known->actions;
    // Keys are unique without regard to letter case, and ordered so: SQLite's column compares them
    // with NOCASE, a server's byte by byte; lower() gives both the same order (the keys are ASCII).
    Statement statement(OpenAccount(account),
                        "SELECT FKey, FName_CHS, FName_CHT, FName_EN, FEnvironment FROM t_BillAction "
                        "WHERE FClassTypeID = ?1 ORDER BY FOrder, lower(FKey)");
    statement.Bind(1, classTypeId);
    std::vector<BillActionRow> rows;
    while (statement.Step()) rows.push_back(BillActionAt(statement, 0));
    return rows;
}

std::vector<ClassTypeWithActions> ReadClassTypesWithActions(const AccountAddress& account,
                                                            const ClassTypeFilter& filter) {
    // A type without actions comes once, with nulls in the action's columns. No ORDER BY: sorting
    // every action of a subsystem in the database costs more than ordering each type's few here.
    Statement statement(OpenAccount(account),
                        "SELECT c.FID, c.FName_CHS, c.FName_CHT, c.FName_EN, c.FBillTypeID, c.FFunctionID, "
                        "a.FKey, a.FName_CHS, a.FName_CHT, a.FName_EN, a.FEnvironment, a.FOrder "
                        "FROM t_ClassType c LEFT JOIN t_BillAction a ON a.FClassTypeID = c.FID WHERE 1 = 1" +
                            FilterConditionsSql(filter, "c."));
    BindFilter(statement, filter);
    struct Read {
        ClassTypeWithActions type;
        std::vector<std::pair<int64_t, Text>> order;  // FOrder and lower-case key, by action
    };
    std::unordered_map<int32_t, Read> read;
    while (statement.Step()) {
        const int32_t fid = Int32At(statement, 0);
        auto [entry, added] = read.try_emplace(fid);
        if (added) entry->second.type.type = ClassTypeAt(statement);
        if (statement.TypeOf(6) == ColumnType::Null) continue;
        entry->second.type.actions.push_back(BillActionAt(statement, 6));
        entry->second.order.emplace_back(statement.ColumnInteger(11),
                                         AsciiLower(entry->second.type.actions.back().key));
    }
    std::vector<ClassTypeWithActions> types;
    types.reserve(read.size());
    for (auto& item : read) {
        // A named reference, not a structured binding: clang 14 cannot capture one in a lambda.
        auto& entry = item.second;
        // The order ReadBillActions reads: FOrder, then the key without regard to letter case.
        std::vector<size_t> slots(entry.order.size());
        for (size_t i = 0; i < slots.size(); ++i) slots[i] = i;
        std::sort(slots.begin(), slots.end(),
                  [&](size_t a, size_t b) { return entry.order[a] < entry.order[b]; });
        std::vector<BillActionRow> actions;
        actions.reserve(slots.size());
        for (size_t slot : slots) actions.push_back(std::move(entry.type.actions[slot]));
        entry.type.actions = std::move(actions);
        types.push_back(std::move(entry.type));
    }
    std::sort(types.begin(), types.end(),
              [](const auto& a, const auto& b) { return a.type.fid < b.type.fid; });
    return types;
}

std::shared_ptr<Recordset> QueryReports(const AccountAddress& account, CatalogLanguage language,
                                        std::optional<int32_t> subsystem) {
    // The language picks one of three fixed column names.
    std::string nameColumn = language == CatalogLanguage::CHT  ? "FName_CHT"
                             : language == CatalogLanguage::EN ? "FName_EN"
                                                               : "FName_CHS";
    std::string sql = "SELECT FID, " + nameColumn +
                      " AS FName, FName_CHS, FName_CHT, FName_EN, FType, FFunctionID FROM t_Report" +
                      (subsystem ? " WHERE FFunctionID = ?1" : "") + " ORDER BY FID";
    auto statement = std::make_unique<Statement>(OpenAccount(account), sql);
    if (subsystem) statement->Bind(1, *subsystem);
    return std::make_shared<StatementRecordset>(std::move(statement));
}

Text ReportTag(int32_t fid, int32_t type) {
    const char16_t* prefix = type == 1000 ? u"CROSSRPT|" : type == 1002 ? u"NEWCROSSRPT|" : u"SQLRPT|";
    return prefix + Int32ToText(fid);
}

}  // namespace orva::components
