#include "support/TempDir.h"

#include <stdlib.h>

#include <stdexcept>

namespace orva::testing {

TempDir::TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "orva-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    m_path = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(m_path, ignored);
}

}  // namespace orva::testing
