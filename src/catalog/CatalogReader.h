#pragma once
// OrvaData.CatalogReader: reads the console catalogue of an account database (the four-level
// function tree: top class, subsystem, sub-function, function detail).
//
// Each _All method returns a forward-only recordset over a live query: every child of one parent,
// hidden ones included, in sibling order (FIndex, then identifier). Besides the names in all three
// languages (…_CHS, …_CHT, …_EN) each row has the name in the reader's language under the plain field
// name (FTopClassName, FName, FFuncName). Fields (each level's in account/CatalogContract.h):
//   GetTopClass_All()          FTopClassID, FTopClassName[_CHS|_CHT|_EN], FIndex, FVisible
//   GetSubSystem_All(top)      FSubSysID, FTopClassID, FName[_CHS|_CHT|_EN], FClassName, FSubID, FIndex,
//                              FVisible
//   GetSubFunc_All(subsystem)  FSubFuncID, FSubSysID, FFuncName[_CHS|_CHT|_EN], FClassName, FIndex, FVisible
//   GetDetailFunc_All(subfunc) FDetailFuncID, FSubFuncID, FFuncName[_CHS|_CHT|_EN], FClassName,
//                              FClassParam, FHelpCode, FIndex, FVisible
// Identifiers, FIndex and FVisible (1 shown, 0 hidden) are Long, everything else Text. An unknown
// parent gives an empty recordset.
//
// By name: the five methods below, with their arguments as variants (identifiers and levels read as
// 32-bit integers: 13 or 6 when they are not).
//
// Errors: those of OpenAccount (no properties string or ConnectString: 5; no such file: 53; not an
// account: 321) and SQLite's (kDatabaseError, "<file>: <message>").

#include <optional>

#include "account/AccountLocation.h"
#include "account/CatalogContract.h"
#include "automation/Object.h"
#include "catalog/Recordset.h"

namespace orva::components {

// The language of a properties string's "Language" entry ("CHS", "CHT" or "EN" in any letter case,
// blanks around ignored); CHS when there is none or another value.
CatalogLanguage LanguageFromPropsString(automation::TextView propsString);

class CatalogReader : public automation::Object {
public:
    static constexpr const char16_t* kProgId = kCatalogReaderProgId;

    // A reader of the host's account in the host's language, both taken from the host's properties
    // string (AccountLocation.h) at every call.
    CatalogReader() = default;
    // A reader of a given account in a given language.
    CatalogReader(AccountAddress account, CatalogLanguage language);

    // The recordsets keep a connection of the account until they reach EOF or are closed.
    // The children of parentId at a level, as its listMember answers them (parentId is ignored for
    // top classes): one method for walks over the levels.
    std::shared_ptr<Recordset> GetChildren(const CatalogLevel& level, int32_t parentId);
    std::shared_ptr<Recordset> GetTopClass_All();
    std::shared_ptr<Recordset> GetSubSystem_All(int32_t topClassId);
    std::shared_ptr<Recordset> GetSubFunc_All(int32_t subSysId);
    std::shared_ptr<Recordset> GetDetailFunc_All(int32_t subFuncId);

    // The sibling index for a new node: 1 + the largest FIndex among the children of parentId at level
    // (1 top class, parentId ignored; 2 subsystem; 3 sub-function; 4 function detail), 1 for the
    // first child. Raises 5 for another level, 6 when the largest index is already 2147483647.
    int32_t GetNextIndex(int32_t level, int32_t parentId);

    // Finding a child by name without walking its siblings: the identifier of the first child of
    // parentId at level (1 .. 3, as for GetNextIndex), in sibling order, whose name in the reader's
    // language has the name key nameKey (CatalogNameKey, account/CatalogContract.h); nothing when there
    // is none. The same answer as walking the _All recordset and comparing the name field's key,
    // through the stored per-language key and its index. Raises 5 for another level.
    std::optional<int32_t> FindChildByKey(int32_t level, int32_t parentId, const automation::Text& nameKey);
    // True when the sub-function holds a function detail whose name in the reader's language has the
    // key nameKey and whose class parameter equals classParam exactly.
    bool HasDetailByKey(int32_t subFuncId, const automation::Text& nameKey,
                        const automation::Text& classParam);

    automation::Text TypeName() const override { return u"CatalogReader"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    AccountAddress Account() const;
    CatalogLanguage Language() const;
    std::shared_ptr<Recordset> Query(const std::string& sql, std::optional<int32_t> parentId);

    std::optional<AccountAddress> m_account;
    std::optional<CatalogLanguage> m_language;
};

}  // namespace orva::components
