#include "catalog/CatalogReader.h"

#include <limits>

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"
#include "account/AccountConnections.h"
#include "catalog/SqliteRecordset.h"
#include "storage/SqliteStatement.h"

namespace orva::components {

using namespace automation;

namespace {

// The language picks one of three fixed column names; nothing from the properties string reaches SQL.
std::string NameColumn(const char* stem, CatalogLanguage language) {
    switch (language) {
        case CatalogLanguage::CHT:
            return std::string(stem) + "_CHT";
        case CatalogLanguage::EN:
            return std::string(stem) + "_EN";
        case CatalogLanguage::CHS:
            break;
    }
    return std::string(stem) + "_CHS";
}

std::string TopClassSql(CatalogLanguage language) {
    return "SELECT FTopClassID, " + NameColumn("FTopClassName", language) +
           " AS FTopClassName, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FIndex, FVisible "
           "FROM t_TopClass ORDER BY FIndex, FTopClassID";
}

std::string SubSystemSql(CatalogLanguage language) {
    return "SELECT FSubSysID, FTopClassID, " + NameColumn("FName", language) +
           " AS FName, FName_CHS, FName_CHT, FName_EN, FClassName, FSubID, FIndex, FVisible "
           "FROM t_SubSystem WHERE FTopClassID = ?1 ORDER BY FIndex, FSubSysID";
}

std::string SubFuncSql(CatalogLanguage language) {
    return "SELECT FSubFuncID, FSubSysID, " + NameColumn("FFuncName", language) +
           " AS FFuncName, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FClassName, FIndex, FVisible "
           "FROM t_SubFunc WHERE FSubSysID = ?1 ORDER BY FIndex, FSubFuncID";
}

std::string DetailFuncSql(CatalogLanguage language) {
    return "SELECT FDetailFuncID, FSubFuncID, " + NameColumn("FFuncName", language) +
           " AS FFuncName, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FClassName, FClassParam, FHelpCode, "
           "FIndex, FVisible FROM t_DetailFunc WHERE FSubFuncID = ?1 ORDER BY FIndex, FDetailFuncID";
}

// The largest FIndex under a parent, read backwards from the (parent, FIndex, id) index: one B-tree
// descent however many siblings there are.
const char* LastIndexSql(int32_t level) {
    switch (level) {
        case 1:
            return "SELECT FIndex FROM t_TopClass ORDER BY FIndex DESC LIMIT 1";
        case 2:
            return "SELECT FIndex FROM t_SubSystem WHERE FTopClassID = ?1 ORDER BY FIndex DESC LIMIT 1";
        case 3:
            return "SELECT FIndex FROM t_SubFunc WHERE FSubSysID = ?1 ORDER BY FIndex DESC LIMIT 1";
        case 4:
            return "SELECT FIndex FROM t_DetailFunc WHERE FSubFuncID = ?1 ORDER BY FIndex DESC LIMIT 1";
        default:
            return nullptr;
    }
}

}  // namespace

CatalogLanguage LanguageFromPropsString(TextView propsString) {
    std::optional<Text> language = PropsEntry(propsString, u"Language");
    if (!language) return CatalogLanguage::CHS;
    Text code = UCase(Trim(*language));
    if (code == u"CHT") return CatalogLanguage::CHT;
    if (code == u"EN") return CatalogLanguage::EN;
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
    auto statement = std::make_unique<SqliteStatement>(OpenAccount(Account()), sql);
    if (parentId) statement->Bind(1, *parentId);
    return std::make_shared<SqliteRecordset>(std::move(statement));
}

std::shared_ptr<Recordset> CatalogReader::GetTopClass_All() { return Query(TopClassSql(Language()), {}); }

std::shared_ptr<Recordset> CatalogReader::GetSubSystem_All(int32_t topClassId) {
    return Query(SubSystemSql(Language()), topClassId);
}

std::shared_ptr<Recordset> CatalogReader::GetSubFunc_All(int32_t subSysId) {
    return Query(SubFuncSql(Language()), subSysId);
}

std::shared_ptr<Recordset> CatalogReader::GetDetailFunc_All(int32_t subFuncId) {
    return Query(DetailFuncSql(Language()), subFuncId);
}

int32_t CatalogReader::GetNextIndex(int32_t level, int32_t parentId) {
    const char* sql = LastIndexSql(level);
    if (!sql) {
        Raise(errors::kInvalidCall, u"GetNextIndex: level " + Int32ToText(level) +
                                        u" is not 1 to 4 (top class to function detail)");
    }
    SqliteStatement statement(OpenAccount(Account()), sql);
    if (level > 1) statement.Bind(1, parentId);
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
    const char* table = level == 1   ? "t_TopClass"
                        : level == 2 ? "t_SubSystem"
                        : level == 3 ? "t_SubFunc"
                                     : nullptr;
    if (!table)
        Raise(errors::kInvalidCall, u"FindChildByKey: level " + Int32ToText(level) + u" is not 1 to 3");
    static const char* const kId[] = {"FTopClassID", "FSubSysID", "FSubFuncID"};
    static const char* const kParent[] = {nullptr, "FTopClassID", "FSubSysID"};
    const char* id = kId[level - 1];
    std::string sql = std::string("SELECT ") + id + " FROM " + table + " WHERE " +
                      (kParent[level - 1] ? std::string(kParent[level - 1]) + " = ?1 AND " : "") +
                      NameColumn("FNameKey", Language()) + " = ?2";
    SqliteStatement statement(OpenAccount(Account()), sql);
    if (level > 1) statement.Bind(1, parentId);
    statement.Bind(2, nameKey);
    if (!statement.Step()) return std::nullopt;
    return static_cast<int32_t>(statement.ColumnInteger(0));
}

bool CatalogReader::HasDetailByKey(int32_t subFuncId, const Text& nameKey, const Text& classParam) {
    std::string sql = "SELECT 1 FROM t_DetailFunc WHERE FSubFuncID = ?1 AND " +
                      NameColumn("FNameKey", Language()) + " = ?2 AND FClassParam = ?3 LIMIT 1";
    SqliteStatement statement(OpenAccount(Account()), sql);
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
