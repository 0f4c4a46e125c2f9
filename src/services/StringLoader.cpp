#include "services/StringLoader.h"

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
    bool write = kind == CallKind::PropertyLet || kind == CallKind::PropertySet;
    if (MemberIs(name, u"ResFileBaseName") || MemberIs(name, u"LanguageID")) {
        Text& property = MemberIs(name, u"LanguageID") ? m_languageId : m_resFileBaseName;
        if (!write) {
            RequireArgCount(args, 0, 0);
            return property;
        }
        RequireArgCount(args, 1, 1);
        property = args[0].ToText();
        return {};
    }
    if (MemberIs(name, u"LoadString") && !write) {
        RequireArgCount(args, 1, 1);
        return LoadString(args[0].ToText());
    }
    RaiseNoSuchMember(*this, name);
}

}  // namespace orva::components
