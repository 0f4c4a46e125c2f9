#include "components/Registration.h"

#include <mutex>

#include "automation/ClassRegistry.h"
#include "bag/Dictionary.h"
#include "bag/TextFormatter.h"
#include "bag/Vector.h"
#include "catalog/BillActionCatalog.h"
#include "catalog/CatalogReader.h"
#include "catalog/CatalogWriter.h"
#include "catalog/ClassCatalog.h"
#include "catalog/ReportCatalog.h"
#include "catalog/TemplateService.h"
#include "services/FormLoader.h"
#include "services/PropertyStore.h"
#include "services/StringLoader.h"

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
        registry.Register(BillActionCatalog::kProgId, [] { return std::make_shared<BillActionCatalog>(); });
        registry.Register(TemplateService::kProgId, [] { return std::make_shared<TemplateService>(); });
        registry.Register(ClassCatalog::kProgId, [] { return std::make_shared<ClassCatalog>(); });
        registry.Register(ReportCatalog::kProgId, [] { return std::make_shared<ReportCatalog>(); });
    });
}

}  // namespace orva::components
