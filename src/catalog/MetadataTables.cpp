#include "catalog/MetadataTables.h"

#include "account/AccountConnections.h"
#include "automation/TextHelpers.h"
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

CatalogLanguage HostLanguage() { return LanguageFromPropsString(HostPropsString()); }

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
    std::string sql = std::string(kClassTypeColumns) + " WHERE 1 = 1";
    int parameter = 0;
    for (const ClassTypeCondition& condition : filter.conditions) {
        sql += std::string(" AND ") + FilterColumn(condition.field) + " " + FilterOperatorSql(condition.op) +
               " ?" + std::to_string(++parameter);
    }
    sql += " ORDER BY FID";
    Statement statement(OpenAccount(account), sql);
    parameter = 0;
    for (const ClassTypeCondition& condition : filter.conditions)
        statement.Bind(++parameter, condition.value);
    std::vector<ClassTypeRow> rows;
    while (statement.Step()) rows.push_back(ClassTypeAt(statement));
    return rows;
}

std::optional<ClassTypeRow> ReadClassType(const AccountAddress& account, int32_t fid) {
    Statement statement(OpenAccount(account), std::string(kClassTypeColumns) + " WHERE FID = ?1");
    statement.Bind(1, fid);
    if (!statement.Step()) return std::nullopt;
    return ClassTypeAt(statement);
}

std::vector<BillActionRow> ReadBillActions(const AccountAddress& account, int32_t classTypeId) {
    // Keys are unique without regard to letter case, and ordered so: SQLite's column compares them
    // with NOCASE, a server's byte by byte; lower() gives both the same order (the keys are ASCII).
    Statement statement(OpenAccount(account),
                        "SELECT FKey, FName_CHS, FName_CHT, FName_EN, FEnvironment FROM t_BillAction "
                        "WHERE FClassTypeID = ?1 ORDER BY FOrder, lower(FKey)");
    statement.Bind(1, classTypeId);
    std::vector<BillActionRow> rows;
    while (statement.Step()) {
        rows.push_back({statement.ColumnText(0), NamesAt(statement, 1), Int32At(statement, 4)});
    }
    return rows;
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
