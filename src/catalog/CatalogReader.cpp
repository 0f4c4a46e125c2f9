#include "catalog/CatalogReader.h"

#include <array>
#include <limits>

#include "account/AccountConnections.h"
#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "catalog/CatalogSql.h"
#include "catalog/StatementRecordset.h"
#include "services/PropsString.h"
#include "storage/Statement.h"

namespace orva::components {

using namespace automation;

namespace {

// The statements of one level, built once per process; the per-language ones indexed by CatalogLanguage.
struct LevelSql {
    std::array<std::string, 3> list;       // the children of a parent (catalog_sql::ListChildren)
    std::array<std::string, 3> findByKey;  // the child of a parent with a name key (and identity)
    std::string lastIndex;

    explicit LevelSql(const CatalogLevel& level) : lastIndex(catalog_sql::LastIndex(level)) {
        for (CatalogLanguage language : kCatalogLanguages) {
            auto at = static_cast<size_t>(language);
            list[at] = catalog_sql::ListChildren(level, language);
            findByKey[at] = "SELECT " + catalog_sql::Column(level.idField) + " FROM " +
                            catalog_sql::Column(level.table) + " WHERE " + catalog_sql::ParentAnd(level) +
                            catalog_sql::Column(kNameKeyStem, language) + " = ?2";
            if (level.identityField) {
                findByKey[at] += " AND " + catalog_sql::Column(level.identityField) + " = ?3 LIMIT 1";
            }
            findByKey[at] = catalog_sql::ForLevel(level, std::move(findByKey[at]));
        }
    }
};

const LevelSql& SqlOf(const CatalogLevel& level) {
    static const std::array<LevelSql, 4> kSql{LevelSql(kCatalogLevels[0]), LevelSql(kCatalogLevels[1]),
                                              LevelSql(kCatalogLevels[2]), LevelSql(kCatalogLevels[3])};
    return kSql.at(static_cast<size_t>(level.number - 1));
}

}  // namespace

CatalogLanguage LanguageFromPropsString(TextView propsString) {
    std::optional<Text> language = PropsEntry(propsString, u"Language");
    if (!language) return CatalogLanguage::CHS;
    Text code = UCase(Trim(*language));
    for (CatalogLanguage each : kCatalogLanguages) {
        if (code == kCatalogLanguageCodes[static_cast<size_t>(each)]) return each;
    }
    return CatalogLanguage::CHS;
}

CatalogReader::CatalogReader(AccountAddress account, CatalogLanguage language)
    : m_account(std::move(account)), m_language(language) {}

AccountAddress CatalogReader::Account() const { return m_account ? *m_account : HostAccount(); }

CatalogLanguage CatalogReader::Language() const {
    if (m_language) return *m_language;
    // Read at every call, parsed only when the host's properties string changed.
    thread_local Text lastProps;
    thread_local CatalogLanguage lastLanguage = LanguageFromPropsString(Text());
    Text props = HostPropsString();
    if (props != lastProps) {
        lastLanguage = LanguageFromPropsString(props);
        lastProps = props;
    }
    return lastLanguage;
}

std::shared_ptr<Recordset> CatalogReader::Query(const std::string& sql, std::optional<int32_t> parentId) {
    auto statement = std::make_unique<Statement>(OpenAccount(Account()), sql);
    if (parentId) statement->Bind(1, *parentId);
    return std::make_shared<StatementRecordset>(std::move(statement));
}

std::shared_ptr<Recordset> CatalogReader::GetChildren(const CatalogLevel& level, int32_t parentId) {
    const std::string& sql = SqlOf(level).list[static_cast<size_t>(Language())];
    return Query(sql, level.parentIdField ? std::optional<int32_t>(parentId) : std::nullopt);
}

std::shared_ptr<Recordset> CatalogReader::GetTopClass_All() { return GetChildren(kTopClassLevel, 0); }

std::shared_ptr<Recordset> CatalogReader::GetSubSystem_All(int32_t topClassId) {
    return GetChildren(kSubSystemLevel, topClassId);
}

std::shared_ptr<Recordset> CatalogReader::GetSubFunc_All(int32_t subSysId) {
    return GetChildren(kSubFuncLevel, subSysId);
}

std::shared_ptr<Recordset> CatalogReader::GetDetailFunc_All(int32_t subFuncId) {
    return GetChildren(kDetailFuncLevel, subFuncId);
}

int32_t CatalogReader::GetNextIndex(int32_t level, int32_t parentId) {
    const CatalogLevel* shape = FindCatalogLevel(level);
    if (!shape) {
        Raise(errors::kInvalidCall, u"GetNextIndex: level " + Int32ToText(level) +
                                        u" is not 1 to 4 (top class to function detail)");
    }
    Statement statement(OpenAccount(Account()), SqlOf(*shape).lastIndex);
    if (shape->parentIdField) statement.Bind(1, parentId);
    if (!statement.Step()) return 1;
    int64_t last = statement.ColumnInteger(0);
    if (last >= std::numeric_limits<int32_t>::max()) {
        Raise(errors::kOverflow,
              u"GetNextIndex: the largest sibling index is already " + Int32ToText(INT32_MAX));
    }
    return static_cast<int32_t>(last + 1);
}

// (parent, key) is unique in each language (schema version 2), so there is at most one such child, and
// the look-up is one search of that index.
std::optional<int32_t> CatalogReader::FindChildByKey(int32_t level, int32_t parentId, const Text& nameKey) {
    const CatalogLevel* shape = FindCatalogLevel(level);
    if (!shape || !shape->Child())
        Raise(errors::kInvalidCall, u"FindChildByKey: level " + Int32ToText(level) + u" is not 1 to 3");
    Statement statement(OpenAccount(Account()), SqlOf(*shape).findByKey[static_cast<size_t>(Language())]);
    if (shape->parentIdField) statement.Bind(1, parentId);
    statement.Bind(catalog_sql::Parameter(*shape, 2), nameKey);
    if (!statement.Step()) return std::nullopt;
    return static_cast<int32_t>(statement.ColumnInteger(0));
}

bool CatalogReader::HasDetailByKey(int32_t subFuncId, const Text& nameKey, const Text& classParam) {
    Statement statement(OpenAccount(Account()),
                        SqlOf(kDetailFuncLevel).findByKey[static_cast<size_t>(Language())]);
    statement.Bind(1, subFuncId).Bind(2, nameKey).Bind(3, classParam);
    return statement.Step();
}

Variant CatalogReader::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<CatalogReader> kMembers[] = {
        {.name = u"GetTopClass_All",
         .call = [](CatalogReader& r, Args) -> Variant { return r.GetTopClass_All(); }},
        {.name = u"GetSubSystem_All", .minArgs = 1, .maxArgs = 1,
         .call = [](CatalogReader& r, Args a) -> Variant { return r.GetSubSystem_All(a[0].ToInt32()); }},
        {.name = u"GetSubFunc_All", .minArgs = 1, .maxArgs = 1,
         .call = [](CatalogReader& r, Args a) -> Variant { return r.GetSubFunc_All(a[0].ToInt32()); }},
        {.name = u"GetDetailFunc_All", .minArgs = 1, .maxArgs = 1,
         .call = [](CatalogReader& r, Args a) -> Variant { return r.GetDetailFunc_All(a[0].ToInt32()); }},
        {.name = u"GetNextIndex", .minArgs = 2, .maxArgs = 2,
         .call = [](CatalogReader& r, Args a) -> Variant {
             return r.GetNextIndex(a[0].ToInt32(), a[1].ToInt32());
         }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
