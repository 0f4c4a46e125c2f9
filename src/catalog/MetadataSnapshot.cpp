#include "catalog/MetadataSnapshot.h"

namespace orva::components {

namespace {

thread_local ScopedMetadataSnapshot* t_innermost = nullptr;

}  // namespace

ScopedMetadataSnapshot::ScopedMetadataSnapshot(const AccountAddress& account, const ClassTypeFilter& filter)
    : m_account(account) {
    std::vector<ClassTypeWithActions> types = ReadClassTypesWithActions(account, filter);
    m_types.reserve(types.size());
    for (ClassTypeWithActions& type : types) {
        const int32_t fid = type.type.fid;
        m_types.emplace(fid, std::move(type));
    }
    // Only a snapshot that was read completely is published.
    m_outer = t_innermost;
    t_innermost = this;
}

ScopedMetadataSnapshot::~ScopedMetadataSnapshot() { t_innermost = m_outer; }

const ClassTypeWithActions* ScopedMetadataSnapshot::Find(const AccountAddress& account, int32_t fid) {
    const ScopedMetadataSnapshot* snapshot = t_innermost;
    if (!snapshot || !(snapshot->m_account == account)) return nullptr;
    auto type = snapshot->m_types.find(fid);
    return type == snapshot->m_types.end() ? nullptr : &type->second;
}

}  // namespace orva::components
