#pragma once
// Fakes of the components the text services hold, installed through the class registry. Each keeps a
// log of the calls it receives, so tests can check which calls the library makes and in what order.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/Object.h"

namespace orva::testing {

using automation::CallKind;
using automation::ObjectRef;
using automation::Text;
using automation::TextView;
using automation::Variant;

// A string loader that answers "<LanguageID>:<key>" and logs "get ResFileBaseName",
// "let LanguageID=EN", "LoadString(key)", ...
class FakeStringLoader : public automation::Object {
public:
    Text resFileBaseName;
    Text languageId;
    std::vector<std::u16string> log;
    std::function<void()> onLoadString;  // runs before LoadString answers (may raise)

    Text TypeName() const override { return u"FakeStringLoader"; }

    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        bool let = kind == CallKind::PropertyLet;
        if (automation::MemberIs(name, u"ResFileBaseName") || automation::MemberIs(name, u"LanguageID")) {
            Text& property = automation::MemberIs(name, u"LanguageID") ? languageId : resFileBaseName;
            if (let) {
                property = args[0].ToText();
                log.push_back(u"let " + Text(name) + u"=" + property);
                return {};
            }
            log.push_back(u"get " + Text(name));
            return property;
        }
        if (automation::MemberIs(name, u"LoadString")) {
            Text key = args[0].ToText();
            log.push_back(u"LoadString(" + key + u")");
            if (onLoadString) onLoadString();
            return languageId + u":" + key;
        }
        automation::RaiseNoSuchMember(*this, name);
    }

    // Log entries other than the property reads and writes.
    std::vector<std::u16string> Lookups() const {
        std::vector<std::u16string> lookups;
        for (const auto& entry : log) {
            if (entry.starts_with(u"LoadString")) lookups.push_back(entry);
        }
        return lookups;
    }
};

// Installs a factory for progId that hands out one fixed object and counts the creations.
template <typename T>
class InstalledFake {
public:
    InstalledFake(TextView progId, std::shared_ptr<T> object)
        : m_object(std::move(object)), m_override(progId, [this] {
              ++m_creations;
              return ObjectRef(m_object);
          }) {}

    T& operator*() const { return *m_object; }
    T* operator->() const { return m_object.get(); }
    const std::shared_ptr<T>& Object() const { return m_object; }
    int Creations() const { return m_creations; }

private:
    std::shared_ptr<T> m_object;
    int m_creations = 0;
    automation::ScopedClassOverride m_override;
};

// A generic object whose members are handled by a function; logs every call's name.
class ScriptedObject : public automation::Object {
public:
    using Handler = std::function<Variant(TextView name, CallKind kind, std::span<Variant> args)>;
    explicit ScriptedObject(Handler handler) : m_handler(std::move(handler)) {}
    std::vector<std::u16string> calls;

    Text TypeName() const override { return u"ScriptedObject"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        calls.emplace_back(name);
        return m_handler(name, kind, args);
    }

private:
    Handler m_handler;
};

}  // namespace orva::testing
