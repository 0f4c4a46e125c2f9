#include "automation/ClassRegistry.h"

#include <mutex>
#include <unordered_map>

#include "automation/AutomationError.h"

namespace orva::automation {

namespace {

Text Key(TextView progId) {
    Text key(progId);
    for (char16_t& c : key) {
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    }
    return key;
}

[[noreturn]] void CannotCreate(TextView progId) {
    Raise(errors::kCannotCreateObject, u"ActiveX component can't create object: " + Text(progId));
}

}  // namespace

struct ClassRegistry::Factories {
    mutable std::mutex mutex;
    std::unordered_map<Text, ClassFactory> byKey;  // keyed by upper-cased program ID
};

ClassRegistry::ClassRegistry() : m_factories(std::make_unique<Factories>()) {}
ClassRegistry::~ClassRegistry() = default;

ClassRegistry& ClassRegistry::Instance() {
    static ClassRegistry registry;
    return registry;
}

void ClassRegistry::Register(TextView progId, ClassFactory factory) {
    std::lock_guard lock(m_factories->mutex);
    m_factories->byKey[Key(progId)] = std::move(factory);
}

void ClassRegistry::Unregister(TextView progId) {
    std::lock_guard lock(m_factories->mutex);
    m_factories->byKey.erase(Key(progId));
}

bool ClassRegistry::IsRegistered(TextView progId) const {
    std::lock_guard lock(m_factories->mutex);
    return m_factories->byKey.contains(Key(progId));
}

std::optional<ClassFactory> ClassRegistry::Find(TextView progId) const {
    std::lock_guard lock(m_factories->mutex);
    auto found = m_factories->byKey.find(Key(progId));
    if (found == m_factories->byKey.end()) return std::nullopt;
    return found->second;
}

ObjectRef ClassRegistry::Create(TextView progId) const {
    std::optional<ClassFactory> factory = Find(progId);
    if (!factory || !*factory) CannotCreate(progId);
    ObjectRef object = (*factory)();  // outside the lock: factories may create other objects
    if (!object) CannotCreate(progId);
    return object;
}

ObjectRef CreateObject(TextView progId) { return ClassRegistry::Instance().Create(progId); }

ScopedClassOverride::ScopedClassOverride(TextView progId, ClassFactory factory)
    : m_progId(progId), m_previous(ClassRegistry::Instance().Find(progId)) {
    ClassRegistry::Instance().Register(progId, std::move(factory));
}

ScopedClassOverride::~ScopedClassOverride() {
    if (m_previous) {
        ClassRegistry::Instance().Register(m_progId, std::move(*m_previous));
    } else {
        ClassRegistry::Instance().Unregister(m_progId);
    }
}

}  // namespace orva::automation
