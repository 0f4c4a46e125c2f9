#include "api/Registration.h"

#include <mutex>

#include "api/clsDeploywizard.h"
#include "api/clsPromulgator.h"
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

namespace orva::api {

namespace {

// The components the library carries, which the public classes create by program ID.
void RegisterComponentClasses(automation::ClassRegistry& registry) {
    using namespace components;
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
}

}  // namespace

void RegisterLibraryClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        automation::ClassRegistry& registry = automation::ClassRegistry::Instance();
        RegisterComponentClasses(registry);
        registry.Register(clsDeploywizard::kProgId, [] { return std::make_shared<clsDeploywizard>(); });
        registry.Register(clsPromulgator::kProgId, [] { return std::make_shared<clsPromulgator>(); });
    });
}

namespace {
// Loading the library makes its classes creatable, as registering an in-process server would.
[[maybe_unused]] const bool kRegisteredAtLoad = (RegisterLibraryClasses(), true);
}  // namespace

}  // namespace orva::api
