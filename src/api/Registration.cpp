#include "api/Registration.h"

#include <mutex>

#include "api/clsDeploywizard.h"
#include "api/clsPromulgator.h"
#include "automation/ClassRegistry.h"
#include "components/Registration.h"

namespace orva::api {

void RegisterLibraryClasses() {
    static std::once_flag once;
    std::call_once(once, [] {
        components::RegisterComponentClasses();
        automation::ClassRegistry::Instance().Register(clsDeploywizard::kProgId,
                                                       [] { return std::make_shared<clsDeploywizard>(); });
        automation::ClassRegistry::Instance().Register(clsPromulgator::kProgId,
                                                       [] { return std::make_shared<clsPromulgator>(); });
    });
}

namespace {
// Loading the library makes its classes creatable, as registering an in-process server would.
[[maybe_unused]] const bool kRegisteredAtLoad = (RegisterLibraryClasses(), true);
}  // namespace

}  // namespace orva::api
