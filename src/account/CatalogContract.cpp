#include "account/CatalogContract.h"

#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

Text LanguageField(TextView stem, CatalogLanguage language) {
    return Text(stem) + u"_" + kCatalogLanguageCodes[static_cast<size_t>(language)];
}

std::span<const CatalogAttribute> CatalogLevel::Attributes() const {
    size_t count = 0;
    while (count < attributes.size() && attributes[count].field) ++count;
    return {attributes.data(), count};
}

const CatalogLevel* CatalogLevel::Parent() const { return FindCatalogLevel(number - 1); }

const CatalogLevel* CatalogLevel::Child() const { return FindCatalogLevel(number + 1); }

const CatalogLevel* FindCatalogLevel(int32_t number) {
    if (number < 1 || number > static_cast<int32_t>(std::size(kCatalogLevels))) return nullptr;
    return &kCatalogLevels[number - 1];
}

Text CatalogNameKey(TextView name) { return Trim(UCase(name)); }

bool HasCatalogNameKey(TextView name, TextView key) {
    size_t first = name.find_first_not_of(u' ');
    size_t length = first == TextView::npos ? 0 : name.find_last_not_of(u' ') - first + 1;
    if (length != key.size()) return false;
    return length == 0 || UCase(name.substr(first, length)) == key;
}

}  // namespace orva::components
