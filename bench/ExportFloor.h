#pragma once
// The floor the branch export is measured against: a minimal program straight on SQLite that issues
// the export's statements and reads every column of every row, and nothing else: the look-up of each
// root and the nodes above it, then the children of every node of the chosen branches, level by
// level, in sibling order, each statement prepared once and reset between parents. It makes no
// packets and writes no file.

#include <cstdint>
#include <string>
#include <vector>

namespace orva::bench {

// Reads the branches under the top classes topClassIds of the account file path; returns the number
// of function details read. Aborts the program on any SQLite failure (a benchmark, not a product path).
int64_t ReadBranchesFloor(const std::string& path, const std::vector<int64_t>& topClassIds);

}  // namespace orva::bench
