#include "components/Dictionary.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "components/PacketFile.h"

namespace orva::components {

using namespace automation;

const Text& Dictionary::Key(int32_t index) const {
    if (index < 1 || index > Count()) {
        Raise(errors::kSubscriptOutOfRange, u"Subscript out of range: the dictionary has " +
                                                Int32ToText(Count()) + u" keys, key " + Int32ToText(index) +
                                                u" was asked for");
    }
    return m_entries[static_cast<size_t>(index - 1)].key;
}

Variant Dictionary::Value(TextView key) const {
    auto found = m_positions.find(UCase(key));
    return found == m_positions.end() ? Variant() : m_entries[found->second].value;
}

void Dictionary::SetValue(TextView key, Variant value) {
    Text upper = UCase(key);
    auto found = m_positions.find(upper);
    if (found != m_positions.end()) {
        m_entries[found->second].value = std::move(value);
        return;
    }
    m_entries.push_back(Entry{Text(key), std::move(value)});
    m_positions.emplace(std::move(upper), m_entries.size() - 1);
}

bool Dictionary::HasKey(TextView key) const { return m_positions.contains(UCase(key)); }

bool Dictionary::Remove(TextView key) {
    auto found = m_positions.find(UCase(key));
    if (found == m_positions.end()) return false;
    size_t position = found->second;
    m_positions.erase(found);
    m_entries.erase(m_entries.begin() + static_cast<ptrdiff_t>(position));
    for (auto& [upper, at] : m_positions) {
        if (at > position) --at;
    }
    return true;
}

void Dictionary::Save(const Text& path) const {
    SavePacketFile(path, *this);
}

void Dictionary::Load(const Text& path) {
    DictionaryRef loaded = LoadPacketFile(path);
    m_entries = std::move(loaded->m_entries);
    m_positions = std::move(loaded->m_positions);
}

Variant Dictionary::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    if (MemberIs(name, u"Count")) {
        RequireArgCount(args, 0, 0);
        return Count();
    }
    if (MemberIs(name, u"Key")) {
        RequireArgCount(args, 1, 1);
        return Key(args[0].ToInt32());
    }
    if (name.empty() || MemberIs(name, u"Value") || MemberIs(name, u"Item")) {
        if (kind == CallKind::PropertyLet || kind == CallKind::PropertySet) {
            RequireArgCount(args, 2, 2);
            SetValue(args[0].ToText(), args[1]);
            return {};
        }
        RequireArgCount(args, 1, 1);
        return Value(args[0].ToText());
    }
    if (MemberIs(name, u"HasKey")) {
        RequireArgCount(args, 1, 2);
        return HasKey(args[0].ToText());
    }
    if (MemberIs(name, u"Remove")) {
        RequireArgCount(args, 1, 1);
        return Remove(args[0].ToText());
    }
    if (MemberIs(name, u"Save")) {
        RequireArgCount(args, 1, 1);
        Save(args[0].ToText());
        return {};
    }
    if (MemberIs(name, u"Load")) {
        RequireArgCount(args, 1, 1);
        Load(args[0].ToText());
        return {};
    }
    RaiseNoSuchMember(*this, name);
}

DictionaryRef AsDictionary(const Variant& value) { return As<Dictionary>(value.ToObject(), u"Dictionary"); }

}  // namespace orva::components
