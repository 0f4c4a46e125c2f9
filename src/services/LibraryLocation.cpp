#include "services/LibraryLocation.h"

#include <dlfcn.h>

#include <system_error>

namespace orva::services {

std::filesystem::path LibraryFolder() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&LibraryFolder), &info) == 0 || info.dli_fname == nullptr) {
        return std::filesystem::current_path();
    }
    std::error_code error;
    std::filesystem::path file = std::filesystem::canonical(info.dli_fname, error);
    if (error) file = std::filesystem::absolute(info.dli_fname);
    return file.parent_path();
}

}  // namespace orva::services
