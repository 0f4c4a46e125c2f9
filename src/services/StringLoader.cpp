#include "services/StringLoader.h"

#include "automation/MemberTable.h"
#include "services/PoCatalog.h"

namespace orva::components {

using namespace automation;

Text StringLoader::LoadString(TextView key) const {
    // The catalogue is looked up on every call (a map lookup once the file is read), so changing either
    // property takes effect on the next call.
    std::shared_ptr<const PoCatalog> catalog = CatalogFor(m_resFileBaseName, m_languageId);
    const Text* translation = catalog->Find(key);
    return translation != nullptr ? *translation : Text(key);
}

Variant StringLoader::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<StringLoader> kMembers[] = {
        {.name = u"ResFileBaseName",
         .call = [](StringLoader& s, Args) -> Variant { return s.ResFileBaseName(); }},
        {.name = u"ResFileBaseName", .kinds = kAssign, .minArgs = 1, .maxArgs = 1,
         .call = [](StringLoader& s, Args a) -> Variant { s.SetResFileBaseName(a[0].ToText()); return {}; }},
        {.name = u"LanguageID", .call = [](StringLoader& s, Args) -> Variant { return s.LanguageID(); }},
        {.name = u"LanguageID", .kinds = kAssign, .minArgs = 1, .maxArgs = 1,
         .call = [](StringLoader& s, Args a) -> Variant { s.SetLanguageID(a[0].ToText()); return {}; }},
        {.name = u"LoadString", .minArgs = 1, .maxArgs = 1,
         .call = [](StringLoader& s, Args a) -> Variant { return s.LoadString(a[0].ToText()); }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
