#include "components/Registration.h"

#include <mutex>

#include "automation/ClassRegistry.h"
#include "components/CatalogReader.h"
#include "components/CatalogWriter.h"
#include "components/Dictionary.h"
#include "components/FormLoader.h"
#include "components/PropertyStore.h"
#include "components/StringLoader.h"
#include "components/TextFormatter.h"
#include "components/Vector.h"

namespace orva::components {

using automation::ClassRegistry;

void RegisterComponentClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        ClassRegistry& registry = ClassRegistry::Instance();
        registry.Register(Dictionary::kProgId, [] { return Dictionary::Create(); });
        registry.Register(Vector::kProgId, [] { return Vector::Create(); });
        registry.Register(TextFormatter::kProgId, [] { return TextFormatter::Create(); });
        registry.Register(PropertyStore::kProgId, [] { return std::make_shared<PropertyStore>(); });
        registry.Register(CatalogReader::kProgId, [] { return std::make_shared<CatalogReader>(); });
        registry.Register(CatalogWriter::kProgId, [] { return std::make_shared<CatalogWriter>(); });
        registry.Register(StringLoader::kProgId, [] { return StringLoader::Create(); });
        registry.Register(FormLoader::kProgId, [] { return std::make_shared<FormLoader>(); });
    });
}

}  // namespace orva::components
