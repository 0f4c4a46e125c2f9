#include "bag/Dictionary.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
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

const Variant& Dictionary::ValueAt(int32_t index) const {
    Key(index);  // raises outside 1..Count
    return m_entries[static_cast<size_t>(index - 1)].value;
}

Dictionary::~Dictionary() { delete m_positions.load(std::memory_order_acquire); }

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
    const Index& positions = Positions();
    auto found = positions.find(UCase(key));
    return found == positions.end() ? kNotFound : found->second;
}

const Dictionary::Index& Dictionary::Positions() const {
    if (const Index* index = m_positions.load(std::memory_order_acquire)) return *index;
    auto built = std::make_unique<Index>();
    built->reserve(m_entries.size());
    for (size_t i = 0; i < m_entries.size(); ++i) built->emplace(UCase(*m_entries[i].key), i);
    Index* stored = nullptr;
    if (m_positions.compare_exchange_strong(stored, built.get(), std::memory_order_acq_rel))
        return *built.release();
    return *stored;  // another thread's, built from the same entries
}

void Dictionary::IndexLast() {
    // Once built, the index follows every key added; until then the first look-up builds it whole.
    if (Index* index = m_positions.load(std::memory_order_acquire))
        index->emplace(UCase(*m_entries.back().key), m_entries.size() - 1);
}

void Dictionary::DropIndex() { delete m_positions.exchange(nullptr, std::memory_order_acq_rel); }

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
    DropIndex();  // the positions after it moved
    return true;
}

void Dictionary::Save(const Text& path) const { SavePacketFile(path, *this); }

void Dictionary::Load(const Text& path) {
    DictionaryRef loaded = LoadPacketFile(path);
    m_entries = std::move(loaded->m_entries);
    DropIndex();
    m_positions.store(loaded->m_positions.exchange(nullptr), std::memory_order_release);
}

Variant Dictionary::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    static constexpr auto kGetValue = [](Dictionary& d, Args a) -> Variant { return d.Value(a[0].ToText()); };
    static constexpr auto kSetValue = [](Dictionary& d, Args a) -> Variant {
        d.SetValue(a[0].ToText(), a[1]);
        return {};
    };
    // clang-format off
    static constexpr Member<Dictionary> kMembers[] = {
        {.name = u"Count", .call = [](Dictionary& d, Args) -> Variant { return d.Count(); }},
        {.name = u"Key", .minArgs = 1, .maxArgs = 1,
         .call = [](Dictionary& d, Args a) -> Variant { return d.Key(a[0].ToInt32()); }},
        {.name = u"Value", .isDefault = true, .minArgs = 1, .maxArgs = 1, .call = kGetValue},
        {.name = u"Value", .kinds = kAssign, .isDefault = true, .minArgs = 2, .maxArgs = 2,
         .call = kSetValue},
        {.name = u"Item", .minArgs = 1, .maxArgs = 1, .call = kGetValue},
        {.name = u"Item", .kinds = kAssign, .minArgs = 2, .maxArgs = 2, .call = kSetValue},
        {.name = u"HasKey", .minArgs = 1, .maxArgs = 2,
         .call = [](Dictionary& d, Args a) -> Variant { return d.HasKey(a[0].ToText()); }},
        {.name = u"Remove", .minArgs = 1, .maxArgs = 1,
         .call = [](Dictionary& d, Args a) -> Variant { return d.Remove(a[0].ToText()); }},
        {.name = u"Save", .minArgs = 1, .maxArgs = 1,
         .call = [](Dictionary& d, Args a) -> Variant { d.Save(a[0].ToText()); return {}; }},
        {.name = u"Load", .minArgs = 1, .maxArgs = 1,
         .call = [](Dictionary& d, Args a) -> Variant { d.Load(a[0].ToText()); return {}; }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

DictionaryRef AsDictionary(const Variant& value) { return As<Dictionary>(value.ToObject(), u"Dictionary"); }

}  // namespace orva::components
