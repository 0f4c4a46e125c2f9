#pragma once
// Vector: the property bag's list of variants, indexed from 1. Objects in it are held by reference.
//
// By name: Count, LowerBound, UpperBound, Add(value), Item(i) get/let/set (also the default member),
// Remove(i[, n]), Clear, Copy.
//
// Copy is shallow: the new vector is a separate list (adding to or removing from one does not touch
// the other), but object items are the same objects in both. The wizard relies on exactly that: its
// current-language publish list starts as a Copy of a language list and then grows and shrinks on its
// own, while entries themselves are never changed in place.

#include <functional>
#include <memory>
#include <vector>

#include "automation/Object.h"

namespace orva::components {

class Vector : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"Nexo.Vector";

    static std::shared_ptr<Vector> Create() { return std::make_shared<Vector>(); }

    int32_t Count() const { return static_cast<int32_t>(m_items.size()); }
    int32_t LowerBound() const { return 1; }
    int32_t UpperBound() const { return Count(); }

    // Appends value at the end and returns its index.
    int32_t Add(automation::Variant value);

    // The item at index (1-based). Raises 9 outside 1..Count.
    const automation::Variant& Item(int32_t index) const;
    void SetItem(int32_t index, automation::Variant value);

    // Removes count items from index on. Raises 9, removing nothing, unless 1 <= index <= Count and
    // 0 <= count <= Count - index + 1.
    void Remove(int32_t index, int32_t count = 1);

    void Clear() { m_items.clear(); }
    // Makes room for count items in advance.
    void Reserve(size_t count) { m_items.reserve(count); }

    // A new vector with the same items in the same order (shallow: see above).
    std::shared_ptr<Vector> Copy() const;

    // Calls observer with every value appended by Add from now on (nullptr: stop). Lets a caller show
    // message-list lines while the operation that appends them is still running. Not copied by Copy.
    void SetAppendObserver(std::function<void(const automation::Variant&)> observer) {
        m_observer = std::move(observer);
    }

    // Enumeration in index order.
    std::vector<automation::Variant>::const_iterator begin() const { return m_items.begin(); }
    std::vector<automation::Variant>::const_iterator end() const { return m_items.end(); }

    automation::Text TypeName() const override { return u"Vector"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    void CheckIndex(int32_t index) const;

    std::vector<automation::Variant> m_items;
    std::function<void(const automation::Variant&)> m_observer;
};

using VectorRef = std::shared_ptr<Vector>;

// The object in a variant as a vector. Raises 91 for nothing or empty, 13 for another class.
VectorRef AsVector(const automation::Variant& value);

}  // namespace orva::components
