#pragma once
// Exporting branches of the console catalogue as a packet set: the function details under chosen top
// classes, subsystems and sub-functions (components/CatalogBranch.h), one deployment entry each, in
// the catalogue's order, so that deploying the packet file into another account builds the same
// branches there.
//
// Entry k of every packet is the same function detail. Each entry has the fields BuildDeployPacket
// writes, in its order: the three identifiers (as decimal texts), the names in the packet's language
// from the catalogue's language columns as stored (blanks and all), NewName = FFuncName, FClassName,
// FClassParam and FHelpCode as stored, and "No" composed as the wizard composes it
// (PublishLinePatterns, with the names in the packet's language). After them come the names in all
// three languages (FTopClassName_CHS ... FFuncName_EN), so that the nodes a deployment creates are
// named in each language even where a single packet is deployed on its own.
// BranchEntry.h lists these fields and where each value comes from. An export writes the packet file
// straight from the details (SaveBranchPacketSet); the packet set as a tree is there for callers that
// work on it.

#include <span>

#include "account/AccountLocation.h"
#include "bag/Dictionary.h"
#include "bag/PacketLayout.h"
#include "catalog/CatalogBranch.h"

namespace orva::core {

// A new packet set ("CHS", "CHT", "EN", in this order) of the details, in their order.
components::DictionaryRef BuildBranchPacketSet(std::span<const components::BranchDetail> details);

// The packet file holding BuildBranchPacketSet(details), written straight from the details without
// building the tree: the same bytes as EncodePacket of that tree, and what loading them charges (as
// EncodePacketCharged gives). Raises what EncodePacket raises for it, with the same message: 5 for a
// name holding a lone UTF-16 surrogate (naming the key path, "$/CHT[2]/FSubSystemName"), 5 for a file
// that loading would refuse for its memory.
components::EncodedPacket EncodeBranchPacketSet(std::span<const components::BranchDetail> details);

// SavePacketFile(path, *BuildBranchPacketSet(details)), without building the tree: the same file,
// written crash-safely by the same writer (WriteFileAtomically's steps) in pieces as they are encoded,
// and the same errors (the refusals above prefixed "<path>: "). The target is checked before the
// encoding starts, so a path that cannot be written is reported even where the details would be
// refused too. On an error no file is written and an earlier one at path stays as it was.
void SaveBranchPacketSet(const automation::Text& path, std::span<const components::BranchDetail> details);

// ReadCatalogBranches (its errors included), then BuildBranchPacketSet.
components::DictionaryRef ExportCatalogBranches(const components::AccountAddress& account,
                                                std::span<const components::BranchRoot> roots,
                                                bool includeHidden,
                                                const components::BranchProgress& progress = nullptr);

}  // namespace orva::core
