#include "bag/Vector.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

int32_t Vector::Add(Variant value) {
    m_items.push_back(std::move(value));
    if (m_observer) m_observer(m_items.back());
    return Count();
}

void Vector::CheckIndex(int32_t index) const {
    if (index < 1 || index > Count()) {
        Raise(errors::kSubscriptOutOfRange, u"Subscript out of range: the vector has " +
                                                Int32ToText(Count()) + u" items, item " + Int32ToText(index) +
                                                u" was asked for");
    }
}

const Variant& Vector::Item(int32_t index) const {
    CheckIndex(index);
    return m_items[static_cast<size_t>(index - 1)];
}

void Vector::SetItem(int32_t index, Variant value) {
    CheckIndex(index);
    m_items[static_cast<size_t>(index - 1)] = std::move(value);
}

void Vector::Remove(int32_t index, int32_t count) {
    CheckIndex(index);
    if (count < 0 || count > Count() - index + 1) {
        Raise(errors::kSubscriptOutOfRange, u"Subscript out of range: cannot remove " + Int32ToText(count) +
                                                u" items from item " + Int32ToText(index) + u" of " +
                                                Int32ToText(Count()));
    }
    auto first = m_items.begin() + (index - 1);
    m_items.erase(first, first + count);
}

std::shared_ptr<Vector> Vector::Copy() const {
    auto copy = Create();
    copy->m_items = m_items;
    return copy;
}

Variant Vector::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<Vector> kMembers[] = {
        {.name = u"Count", .call = [](Vector& v, Args) -> Variant { return v.Count(); }},
        {.name = u"LowerBound", .call = [](Vector& v, Args) -> Variant { return v.LowerBound(); }},
        {.name = u"UpperBound", .call = [](Vector& v, Args) -> Variant { return v.UpperBound(); }},
        {.name = u"Add", .minArgs = 1, .maxArgs = 1,
         .call = [](Vector& v, Args a) -> Variant { return v.Add(a[0]); }},
        {.name = u"Item", .isDefault = true, .minArgs = 1, .maxArgs = 1,
         .call = [](Vector& v, Args a) -> Variant { return v.Item(a[0].ToInt32()); }},
        {.name = u"Item", .kinds = kAssign, .isDefault = true, .minArgs = 2, .maxArgs = 2,
         .call = [](Vector& v, Args a) -> Variant { v.SetItem(a[0].ToInt32(), a[1]); return {}; }},
        {.name = u"Remove", .minArgs = 1, .maxArgs = 2, .call = [](Vector& v, Args a) -> Variant {
             v.Remove(a[0].ToInt32(), a.size() > 1 ? a[1].ToInt32() : 1);
             return {};
         }},
        {.name = u"Clear", .call = [](Vector& v, Args) -> Variant { v.Clear(); return {}; }},
        {.name = u"Copy", .call = [](Vector& v, Args) -> Variant { return v.Copy(); }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

VectorRef AsVector(const Variant& value) { return As<Vector>(value.ToObject(), u"Vector"); }

}  // namespace orva::components
