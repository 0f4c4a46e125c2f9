#include "automation/OnDemandLibrary.h"

#include <dlfcn.h>

#include "automation/AutomationError.h"

namespace orva::automation {

OnDemandLibrary::OnDemandLibrary(std::string soname, std::string package, std::string role)
    : m_soname(std::move(soname)), m_package(std::move(package)), m_role(std::move(role)) {}

void OnDemandLibrary::Fail(const std::string& problem) const {
    Raise(errors::kFileNotFound,
          FromUtf8Lossy(m_role + " " + m_soname + " " + problem + ": install the package " + m_package));
}

void* OnDemandLibrary::Find(const char* symbol) {
    std::lock_guard lock(m_mutex);
    if (m_handle == nullptr) {
        // Local binding: the library's symbols stay out of the process's global scope, as a linked
        // library's would not, so that a host linking its own copy is not disturbed.
        m_handle = dlopen(m_soname.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (m_handle == nullptr) {
            const char* reason = dlerror();
            Fail(std::string("could not be loaded (") + (reason != nullptr ? reason : "no reason given") +
                 ")");
        }
    }
    void* address = dlsym(m_handle, symbol);
    if (address == nullptr) Fail(std::string("is of another version (it has no ") + symbol + ")");
    return address;
}

}  // namespace orva::automation
