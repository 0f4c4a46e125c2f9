#pragma once
// OrvaMeta.ClassCatalog: the class types of an account that a filter selects, as the publish dialog
// reads them to build its tree of base-data types and bill types.
//
// GetClassType answers a new vector (Vector.h) of new dictionaries, one per class type in FID order,
// each holding FID, FName (in the language of the properties string), FName_CHS, FName_CHT, FName_EN,
// FMName (the three names joined by "|", as a caller of the wizard hands a chosen type over),
// FBillTypeID and FFunctionID. The filter is parsed strictly (ClassTypeFilter.h) and never becomes
// SQL text.
//
// By name: GetClassType(propsString, filter); the filter is taken by reference, as the dialog passes
// it, and left unchanged.
//
// Errors: 5 naming the filter for a filter outside the grammar (nothing is read then); 5 when the
// properties string names no account; what the account's reads raise (MetadataTables.h).

#include "automation/Object.h"
#include "bag/Vector.h"
#include "catalog/ClassTypeFilter.h"
#include "catalog/MetadataTables.h"

namespace orva::components {

class ClassCatalog : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaMeta.ClassCatalog";

    // The account and language come from propsString (AccountLocation.h, LanguageFromPropsString).
    VectorRef GetClassType(automation::TextView propsString, automation::TextView filter) const;

    automation::Text TypeName() const override { return u"ClassCatalog"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

// The class types of account that filter selects, as GetClassType answers them.
VectorRef ClassTypeDictionaries(const AccountAddress& account, CatalogLanguage language,
                                const ClassTypeFilter& filter);

}  // namespace orva::components
