#pragma once
// Typed reads of the suite's metadata in an account: business subsystems, class types, bill actions
// and reports (tables t_BizSubSystem, t_ClassType, t_BillAction, t_Report). The components that hand
// this metadata to the dialogs by name (ClassCatalog, ReportCatalog, TemplateService,
// BillActionCatalog) and the listing commands are built on these.
//
// Every read runs on a pooled connection of the account (AccountConnections.h) and raises what
// OpenAccount raises (53 no such file, 321 not an account) and kDatabaseError for SQLite's failures.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "account/AccountLocation.h"
#include "automation/Text.h"
#include "catalog/CatalogReader.h"
#include "catalog/ClassTypeFilter.h"
#include "catalog/Recordset.h"

namespace orva::components {

// Names in CHS, CHT and EN, indexed by CatalogLanguage.
using LanguageNames = std::array<automation::Text, 3>;

const automation::Text& NameIn(const LanguageNames& names, CatalogLanguage language);
// The language's code: "CHS", "CHT" or "EN".
const char16_t* LanguageCode(CatalogLanguage language);
// The host's language, from this process's shared "PropsString" (CHS when it names none).
CatalogLanguage HostLanguage();

// Which account and language a component reads: the ones it was given, or else the host's, taken
// from this process's shared "PropsString" at every call (so a host that logs into another account or
// language is followed, as the catalogue reader does).
class AccountBinding {
public:
    AccountBinding() = default;
    AccountBinding(AccountAddress account, CatalogLanguage language)
        : m_account(std::move(account)), m_language(language) {}

    // Raises 5 naming "PropsString" when the host published no account (HostAccount).
    AccountAddress Account() const { return m_account ? *m_account : HostAccount(); }
    CatalogLanguage Language() const { return m_language ? *m_language : HostLanguage(); }

private:
    std::optional<AccountAddress> m_account;
    std::optional<CatalogLanguage> m_language;
};

// Kinds of class type (FBillTypeID): 1 base data, 4 bill; every other value is a query object.
inline constexpr int32_t kBaseDataKind = 1;
inline constexpr int32_t kBillKind = 4;

struct BizSubsystemRow {
    int32_t functionId = 0;  // FFunctionID
    LanguageNames names;
};

struct ClassTypeRow {
    int32_t fid = 0;
    LanguageNames names;
    int32_t billTypeId = 0;  // the kind
    int32_t functionId = 0;  // the business subsystem

    // The multi-language name the dialogs split at "|": CHS "|" CHT "|" EN.
    automation::Text MultiLanguageName() const;
};

struct BillActionRow {
    automation::Text key;  // FKey, e.g. "mnuFileNew"
    LanguageNames names;
    int32_t environment = 0;  // FEnvironment bits: 39 bill form, 960 bill list
};

// Every business subsystem, by FFunctionID.
std::vector<BizSubsystemRow> ReadBizSubsystems(const AccountAddress& account);
// The business subsystem functionId, or nothing.
std::optional<BizSubsystemRow> ReadBizSubsystem(const AccountAddress& account, int32_t functionId);

// The class types that meet every condition of filter, by FID.
std::vector<ClassTypeRow> ReadClassTypes(const AccountAddress& account, const ClassTypeFilter& filter);
// The class type fid, or nothing. This and ReadBillActions answer from this thread's metadata
// snapshot when one holds the type (MetadataSnapshot.h).
std::optional<ClassTypeRow> ReadClassType(const AccountAddress& account, int32_t fid);

// The actions stored for a class type, in their order (FOrder, then key); none for an unknown type.
std::vector<BillActionRow> ReadBillActions(const AccountAddress& account, int32_t classTypeId);

// A class type with the actions stored for it, in their order.
struct ClassTypeWithActions {
    ClassTypeRow type;
    std::vector<BillActionRow> actions;
};

// The class types that meet every condition of filter, by FID, each with its actions: one statement,
// so types and actions are read at one moment.
std::vector<ClassTypeWithActions> ReadClassTypesWithActions(const AccountAddress& account,
                                                            const ClassTypeFilter& filter);

// The reports of one business subsystem (every report when subsystem is nothing), by FID, as a live
// recordset with the fields FID, FName (in language), FName_CHS, FName_CHT, FName_EN, FType and
// FFunctionID. The recordset keeps a connection until it reaches EOF or is closed.
std::shared_ptr<Recordset> QueryReports(const AccountAddress& account, CatalogLanguage language,
                                        std::optional<int32_t> subsystem);

// The parameter string of a report's query function: "CROSSRPT|" + FID for FType 1000,
// "NEWCROSSRPT|" + FID for 1002, "SQLRPT|" + FID for every other FType.
automation::Text ReportTag(int32_t fid, int32_t type);

}  // namespace orva::components
