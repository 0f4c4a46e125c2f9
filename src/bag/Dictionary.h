#pragma once
// Dictionary: the property bag's keyed collection of variants. Keys match without regard to letter
// case, keep the spelling they were first stored with, and keep their insertion order (Key(i) walks
// them in that order). Values that are objects are held by reference: storing a vector in a dictionary
// stores that very vector, not a copy.
//
// By name: Count, Key(i), Value(key) get/let/set (also as Item and as the default member, so calling
// the dictionary with a key reads the value), HasKey(key[, ignored]), Remove(key), Save(file), Load(file).

#include <atomic>
#include <memory>
#include <unordered_map>
#include <vector>

#include "automation/Object.h"
#include "bag/SharedText.h"

namespace orva::components {

class Dictionary : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"Nexo.Dictionary";

    static std::shared_ptr<Dictionary> Create() { return std::make_shared<Dictionary>(); }

    Dictionary() = default;
    ~Dictionary() override;

    int32_t Count() const { return static_cast<int32_t>(m_entries.size()); }

    // The i-th key (1-based, insertion order) in its first spelling. Raises 9 outside 1..Count.
    const automation::Text& Key(int32_t index) const;
    // The value stored under Key(index), without looking the key up: for walking every entry.
    // Raises 9 outside 1..Count.
    const automation::Variant& ValueAt(int32_t index) const;

    // The value stored under key, or an empty variant when the key was never stored.
    automation::Variant Value(automation::TextView key) const;

    // Stores value under key, replacing an earlier value; a new key goes to the end of the order.
    void SetValue(automation::TextView key, automation::Variant value);

    bool HasKey(automation::TextView key) const;

    // Appends key and value unless a key matching key is already there (then returns false and
    // changes nothing). The key text is shared, not copied: a reader of many dictionaries with the
    // same keys (a loaded packet) keeps one copy of each key. key must hold a text.
    bool AddNew(SharedText key, automation::Variant value);

    // Appends key and value without looking for a matching key: for readers that have checked that
    // the key differs from every key already stored in more than letter case. key must hold a text.
    void AppendUnique(SharedText key, automation::Variant value);

    // Makes room for count keys in advance.
    void Reserve(size_t count) { m_entries.reserve(count); }

    // Removes key and its value; returns false when the key was not there.
    bool Remove(automation::TextView key);

    // Writes the dictionary with everything it holds to a packet file, crash-safely. Raises 76, 70, 57
    // (path, permission, I/O), 5 or 13 (a value no file holds); an earlier file there stays untouched.
    void Save(const automation::Text& path) const;

    // Replaces the content with the dictionary stored in a packet file. Raises 53, 76, 70, 7,
    // or 321 for a malformed file (naming it and the byte offset); on failure the content stays as it was.
    void Load(const automation::Text& path);

    automation::Text TypeName() const override { return u"Dictionary"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

    // Dictionaries are mostly small (a deployment entry has twelve keys): up to kLinearLimit keys a
    // linear search is faster and smaller than a hash index; above it the index is built, by the
    // first look-up that needs it (a dictionary that is only filled and walked, as an export's
    // entries are, never builds one).
    static constexpr size_t kLinearLimit = 16;

private:
    static constexpr size_t kNotFound = SIZE_MAX;
    // Upper-cased key -> position.
    using Index = std::unordered_map<automation::Text, size_t>;

    size_t Find(automation::TextView key) const;
    const Index& Positions() const;
    void IndexLast();
    void DropIndex();

    // 48 bytes: a loaded packet holds one per key of every entry.
    struct Entry {
        SharedText key;
        automation::Variant value;
    };
    std::vector<Entry> m_entries;
    // Owned; null until a look-up above the limit builds it, so small dictionaries do not carry an
    // empty hash table. Atomic because a const look-up builds it: readers of one dictionary on
    // several threads each may build one, and the first stored is kept.
    mutable std::atomic<Index*> m_positions{nullptr};
};

using DictionaryRef = std::shared_ptr<Dictionary>;

// The object in a variant as a dictionary. Raises 91 for nothing or empty, 13 for another class.
DictionaryRef AsDictionary(const automation::Variant& value);

}  // namespace orva::components
