#pragma once
// The class registry: program ID -> factory. It stands in for creation by program ID, so the library
// and its tests create components the same way ("OrvaData.CatalogWriter", ...). Tests replace a
// factory for one scope with ScopedClassOverride to inject fakes or failures. Thread-safe.

#include <functional>
#include <memory>
#include <optional>

#include "automation/Object.h"

namespace orva::automation {

using ClassFactory = std::function<ObjectRef()>;

class ClassRegistry {
public:
    // The process-wide registry.
    static ClassRegistry& Instance();

    // Registers or replaces the factory of a program ID (matched without regard to letter case).
    void Register(TextView progId, ClassFactory factory);
    // Removes a program ID; later creations raise 429.
    void Unregister(TextView progId);
    bool IsRegistered(TextView progId) const;

    // Creates a new object. Raises 429 naming the program ID when it is not registered or its
    // factory returns nothing; an error raised by the factory passes through.
    ObjectRef Create(TextView progId) const;

    // The current factory, if any (used to save and restore overrides).
    std::optional<ClassFactory> Find(TextView progId) const;

private:
    ClassRegistry();
    ~ClassRegistry();
    ClassRegistry(const ClassRegistry&) = delete;
    ClassRegistry& operator=(const ClassRegistry&) = delete;

    // The factories and their lock live in the library, out of the sight of hosts' builds.
    struct Factories;
    std::unique_ptr<Factories> m_factories;
};

// CreateObject(progId) == ClassRegistry::Instance().Create(progId).
ObjectRef CreateObject(TextView progId);

// Replaces the factory of a program ID until the end of the scope, then restores what was there
// (or removes the ID when nothing was). A factory of nullptr makes creation fail with 429.
class ScopedClassOverride {
public:
    ScopedClassOverride(TextView progId, ClassFactory factory);
    ~ScopedClassOverride();
    ScopedClassOverride(const ScopedClassOverride&) = delete;
    ScopedClassOverride& operator=(const ScopedClassOverride&) = delete;

private:
    Text m_progId;
    std::optional<ClassFactory> m_previous;
};

}  // namespace orva::automation
