#include "catalog/ClassCatalog.h"

#include "automation/MemberTable.h"
#include "bag/Dictionary.h"

namespace orva::components {

using namespace automation;

VectorRef ClassTypeDictionaries(const AccountAddress& account, CatalogLanguage language,
                                const ClassTypeFilter& filter) {
    std::vector<ClassTypeRow> rows = ReadClassTypes(account, filter);
    VectorRef types = Vector::Create();
    types->Reserve(rows.size());
    for (const ClassTypeRow& row : rows) {
        DictionaryRef type = Dictionary::Create();
        type->SetValue(u"FID", row.fid);
        type->SetValue(u"FName", NameIn(row.names, language));
        type->SetValue(u"FName_CHS", row.names[0]);
        type->SetValue(u"FName_CHT", row.names[1]);
        type->SetValue(u"FName_EN", row.names[2]);
        type->SetValue(u"FMName", row.MultiLanguageName());
        type->SetValue(u"FBillTypeID", row.billTypeId);
        type->SetValue(u"FFunctionID", row.functionId);
        types->Add(type);
    }
    return types;
}

VectorRef ClassCatalog::GetClassType(TextView propsString, TextView filter) const {
    // The filter is checked before the account is touched: a refused filter reads nothing.
    ClassTypeFilter parsed = ParseClassTypeFilter(filter);
    return ClassTypeDictionaries(AccountFromPropsString(propsString), LanguageFromPropsString(propsString),
                                 parsed);
}

Variant ClassCatalog::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr Member<ClassCatalog> kMembers[] = {
        {.name = u"GetClassType",
         .minArgs = 2,
         .maxArgs = 2,
         .call = [](ClassCatalog& c, Args a) -> Variant {
             return c.GetClassType(a[0].ToText(), a[1].ToText());
         }},
    };
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
