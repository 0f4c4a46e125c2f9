#include "bag/Dictionary.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PacketFile.h"

namespace orva::components {

using namespace automation;

const Text& Dictionary::Key(int32_t index) const {
    if (index < 1 || index > Count()) {
        Raise(errors::kSubscriptOutOfRange, u"Subscript out of range: the dictionary has " +
                                                Int32ToText(Count()) + u" keys, key " + Int32ToText(index) +
                                                u" was asked for");
    }
    return *m_entries[static_cast<size_t>(index - 1)].key;
}

namespace {

// Equal without regard to letter case, with a fast path for ASCII, the usual case of keys.
bool SameKey(TextView a, TextView b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x == y) continue;
        if (x >= 0x80 || y >= 0x80) return UCase(a) == UCase(b);
        char16_t lowerX = x | 0x20;
        if (lowerX != (y | 0x20) || lowerX < u'a' || lowerX > u'z') return false;
    }
    return true;
}

}  // namespace

size_t Dictionary::Find(TextView key) const {
    if (m_entries.size() <= kLinearLimit) {
        for (size_t i = 0; i < m_entries.size(); ++i) {
            if (SameKey(*m_entries[i].key, key)) return i;
        }
        return kNotFound;
    }
    auto found = m_positions->find(UCase(key));
    return found == m_positions->end() ? kNotFound : found->second;
}

void Dictionary::IndexLast() {
    if (m_entries.size() == kLinearLimit + 1) {
        Reindex();
    } else if (m_entries.size() > kLinearLimit + 1) {
        m_positions->emplace(UCase(*m_entries.back().key), m_entries.size() - 1);
    }
}

void Dictionary::Reindex() {
    m_positions.reset();
    if (m_entries.size() <= kLinearLimit) return;
    m_positions = std::make_unique<std::unordered_map<Text, size_t>>();
    for (size_t i = 0; i < m_entries.size(); ++i) m_positions->emplace(UCase(*m_entries[i].key), i);
}

Variant Dictionary::Value(TextView key) const {
    size_t at = Find(key);
    return at == kNotFound ? Variant() : m_entries[at].value;
}

void Dictionary::SetValue(TextView key, Variant value) {
    size_t at = Find(key);
    if (at != kNotFound) {
        m_entries[at].value = std::move(value);
        return;
    }
    m_entries.push_back(Entry{SharedText(Text(key)), std::move(value)});
    IndexLast();
}

bool Dictionary::AddNew(SharedText key, Variant value) {
    if (Find(*key) != kNotFound) return false;
    AppendUnique(std::move(key), std::move(value));
    return true;
}

void Dictionary::AppendUnique(SharedText key, Variant value) {
    m_entries.push_back(Entry{std::move(key), std::move(value)});
    IndexLast();
}

bool Dictionary::HasKey(TextView key) const { return Find(key) != kNotFound; }

bool Dictionary::Remove(TextView key) {
    size_t position = Find(key);
    if (position == kNotFound) return false;
    m_entries.erase(m_entries.begin() + static_cast<ptrdiff_t>(position));
    Reindex();
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
