#include "services/PropertyStore.h"

#include <unistd.h>

#include <mutex>
#include <unordered_map>

#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

struct SharedPropertyTable::Values {
    mutable std::mutex mutex;
    std::unordered_map<int32_t, std::unordered_map<Text, Variant>> byProcess;  // name upper-cased
};

SharedPropertyTable::SharedPropertyTable() : m_values(std::make_unique<Values>()) {}
SharedPropertyTable::~SharedPropertyTable() = default;

SharedPropertyTable& SharedPropertyTable::Instance() {
    static SharedPropertyTable table;
    return table;
}

void SharedPropertyTable::Publish(int32_t processId, TextView name, Variant value) {
    std::lock_guard lock(m_values->mutex);
    m_values->byProcess[processId][UCase(name)] = std::move(value);
}

void SharedPropertyTable::Withdraw(int32_t processId) {
    std::lock_guard lock(m_values->mutex);
    m_values->byProcess.erase(processId);
}

Variant SharedPropertyTable::Get(int32_t processId, TextView name) const {
    std::lock_guard lock(m_values->mutex);
    auto process = m_values->byProcess.find(processId);
    if (process == m_values->byProcess.end()) return {};
    auto value = process->second.find(UCase(name));
    return value == process->second.end() ? Variant() : value->second;
}

void PublishOwnProperty(TextView name, Variant value) {
    SharedPropertyTable::Instance().Publish(static_cast<int32_t>(getpid()), name, std::move(value));
}

Variant PropertyStore::GetProperty(int32_t processId, TextView name) const {
    return SharedPropertyTable::Instance().Get(processId, name);
}

Variant PropertyStore::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<PropertyStore> kMembers[] = {
        {.name = u"GetProperty", .minArgs = 2, .maxArgs = 2,
         .call = [](PropertyStore& p, Args a) -> Variant {
             return p.GetProperty(a[0].ToInt32(), a[1].ToText());
         }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
