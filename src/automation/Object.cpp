#include "automation/Object.h"

#include "automation/AutomationError.h"

namespace orva::automation {

Variant Object::Invoke(TextView name, CallKind, std::span<Variant>) { RaiseNoSuchMember(*this, name); }

bool MemberIs(TextView name, TextView member) {
    if (name.size() != member.size()) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        char16_t a = name[i], b = member[i];
        if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - 32);
        if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - 32);
        if (a != b) return false;
    }
    return true;
}

void RequireArgCount(std::span<Variant> args, size_t min, size_t max) {
    if (args.size() < min || args.size() > max) Raise(errors::kWrongArgumentCount);
}

void RaiseNoSuchMember(const Object& object, TextView name) {
    Raise(errors::kNoSuchMember, u"Object doesn't support this property or method: " + object.TypeName() +
                                     u"." + Text(name.empty() ? u"(default)" : name));
}

void RaiseObjectNotSet(TextView wanted) {
    Raise(errors::kObjectNotSet,
          u"Object variable or With block variable not set (expected " + Text(wanted) + u")");
}

void RaiseWrongClass(const Object& object, TextView wanted) {
    Raise(errors::kTypeMismatch, u"Type mismatch: a " + object.TypeName() + u" is not a " + Text(wanted));
}

namespace {

Variant Call(const ObjectRef& object, TextView name, CallKind kind, std::span<Variant> args) {
    if (!object) {
        Raise(errors::kObjectNotSet,
              u"Object variable or With block variable not set (calling " + Text(name) + u")");
    }
    return object->Invoke(name, kind, args);
}

}  // namespace

Variant CallByName(const ObjectRef& object, TextView name, std::vector<Variant>& args) {
    return Call(object, name, CallKind::Method, args);
}

Variant CallMethod(const ObjectRef& object, TextView name, std::initializer_list<Variant> args) {
    std::vector<Variant> copies(args);
    return Call(object, name, CallKind::Method, copies);
}

Variant GetProperty(const ObjectRef& object, TextView name, std::initializer_list<Variant> args) {
    std::vector<Variant> copies(args);
    return Call(object, name, CallKind::PropertyGet, copies);
}

void LetProperty(const ObjectRef& object, TextView name, Variant value) {
    std::vector<Variant> args{std::move(value)};
    Call(object, name, CallKind::PropertyLet, args);
}

void SetProperty(const ObjectRef& object, TextView name, ObjectRef value) {
    std::vector<Variant> args{Variant(std::move(value))};
    Call(object, name, CallKind::PropertySet, args);
}

}  // namespace orva::automation
