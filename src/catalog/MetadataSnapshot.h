#pragma once
// ScopedMetadataSnapshot: the class types that one filter selects and the bill actions stored for
// them, read from an account in one statement and answered from memory, on this thread, while the
// scope lives. A handler that visits a thousand bill types through the template service and the
// bill-action catalogue (three reads per type, each on its own) makes them one read this way.
//
// While a scope lives, ReadClassType and ReadBillActions (MetadataTables.h) answer a type the
// snapshot holds from the snapshot, for the same account only; every other type and every other
// account is read from the account as before. A scope opened inside another hides the outer one until
// it ends. The snapshot is what the account held when the scope began: open it around work that reads
// but does not write the metadata (a dialog's check handling), never around a write.
//
// Errors: the constructor raises what the account's reads raise (MetadataTables.h); a caller that
// can do without the snapshot ignores the failure, and the reads then go to the account.

#include <cstdint>
#include <unordered_map>

#include "catalog/MetadataTables.h"

namespace orva::components {

class ScopedMetadataSnapshot {
public:
    ScopedMetadataSnapshot(const AccountAddress& account, const ClassTypeFilter& filter);
    ~ScopedMetadataSnapshot();
    ScopedMetadataSnapshot(const ScopedMetadataSnapshot&) = delete;
    ScopedMetadataSnapshot& operator=(const ScopedMetadataSnapshot&) = delete;

    // How many class types the snapshot holds.
    size_t Size() const { return m_types.size(); }

    // The type fid of account as this thread's innermost snapshot holds it, or nullptr when no
    // snapshot is open, it was read from another account, or it does not hold fid.
    static const ClassTypeWithActions* Find(const AccountAddress& account, int32_t fid);

private:
    AccountAddress m_account;
    std::unordered_map<int32_t, ClassTypeWithActions> m_types;
    ScopedMetadataSnapshot* m_outer = nullptr;
};

}  // namespace orva::components
