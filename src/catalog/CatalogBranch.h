#pragma once
// Reading branches of the console catalogue: every function detail under chosen top classes,
// subsystems and sub-functions, with the nodes above it, as the tree lists them. What an export of a
// branch into a packet file reads (core/BranchExport.h).

#include <array>
#include <functional>
#include <memory>
#include <span>
#include <vector>

#include "account/AccountLocation.h"
#include "account/CatalogContract.h"
#include "automation/Text.h"

namespace orva::components {

// A node chosen as the root of a branch.
struct BranchRoot {
    int32_t level = 0;  // 1 top class, 2 subsystem, 3 sub-function
    int32_t id = 0;
    // How the caller names the root in error messages (e.g. "--subsystem 12"); when empty, the
    // level's kind and the id ("subsystem 12").
    automation::Text label;
};

// One node as stored: names indexed by CatalogLanguage; the attributes the level has (the others
// stay empty).
struct BranchNode {
    int32_t id = 0;
    std::array<automation::Text, 3> names;
    automation::Text className;
    automation::Text subId;
    automation::Text classParam;
    automation::Text helpCode;
    bool visible = true;
};

// A function detail with the nodes above it; the upper nodes are shared between their details.
struct BranchDetail {
    std::shared_ptr<const BranchNode> topClass;
    std::shared_ptr<const BranchNode> subSystem;
    std::shared_ptr<const BranchNode> subFunc;
    BranchNode detail;
};

// Called after the details of each sub-function are read: sub-functions done, and their total.
using BranchProgress = std::function<void(int32_t done, int32_t total)>;

// Every function detail under the roots, in the order the catalogue lists them (siblings by FIndex,
// then identifier, from the top class down), whatever the order of the roots: a root given twice, or
// lying under another root, contributes its details once. Hidden nodes (FVisible 0) and everything
// under them are left out unless includeHidden is true.
// Raises 5 naming the root (its label) when it is no level 1 to 3, when no node of its level has its
// id, or when it is hidden or lies under a hidden node and includeHidden is false: a named branch is
// never left out silently. Raises what OpenAccount and the account's queries raise.
std::vector<BranchDetail> ReadCatalogBranches(const AccountAddress& account,
                                              std::span<const BranchRoot> roots, bool includeHidden,
                                              const BranchProgress& progress = nullptr);

}  // namespace orva::components
