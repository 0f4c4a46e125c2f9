#pragma once
// The whole console catalogue of an account as paths "top/sub/subfunc/detail|param", one per node,
// counted (a node that exists twice appears twice), for exact comparisons in tests.

#include <set>
#include <string>

#include "automation/Text.h"

namespace orva::testing {

// accountPath: a file's path, or a server database's postgresql:// URI.
std::multiset<automation::Text> CataloguePaths(const std::string& accountPath);

}  // namespace orva::testing
