#include "bag/Vector.h"

#include "automation/AutomationError.h"
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
        Raise(errors::kSubscriptOutOfRange, u"Subscript out of range: the vector has " + Int32ToText(Count()) +
                                                u" items, item " + Int32ToText(index) + u" was asked for");
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
    if (MemberIs(name, u"Count")) {
        RequireArgCount(args, 0, 0);
        return Count();
    }
    if (MemberIs(name, u"LowerBound")) {
        RequireArgCount(args, 0, 0);
        return LowerBound();
    }
    if (MemberIs(name, u"UpperBound")) {
        RequireArgCount(args, 0, 0);
        return UpperBound();
    }
    if (MemberIs(name, u"Add")) {
        RequireArgCount(args, 1, 1);
        return Add(args[0]);
    }
    if (name.empty() || MemberIs(name, u"Item")) {
        if (kind == CallKind::PropertyLet || kind == CallKind::PropertySet) {
            RequireArgCount(args, 2, 2);
            SetItem(args[0].ToInt32(), args[1]);
            return {};
        }
        RequireArgCount(args, 1, 1);
        return Item(args[0].ToInt32());
    }
    if (MemberIs(name, u"Remove")) {
        RequireArgCount(args, 1, 2);
        Remove(args[0].ToInt32(), args.size() > 1 ? args[1].ToInt32() : 1);
        return {};
    }
    if (MemberIs(name, u"Clear")) {
        RequireArgCount(args, 0, 0);
        Clear();
        return {};
    }
    if (MemberIs(name, u"Copy")) {
        RequireArgCount(args, 0, 0);
        return Copy();
    }
    RaiseNoSuchMember(*this, name);
}

VectorRef AsVector(const Variant& value) { return As<Vector>(value.ToObject(), u"Vector"); }

}  // namespace orva::components
