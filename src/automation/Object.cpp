#include "automation/Object.h"

#include <cstdint>
#include <string>

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

namespace {

Text CountText(size_t count) { return FromUtf8(std::to_string(count)); }

// "1 argument", "no arguments", "1 to 3 arguments", "2 or more arguments".
Text ArgumentRange(size_t min, size_t max) {
    Text range;
    if (max == SIZE_MAX) {
        range = CountText(min) + u" or more";
    } else if (min == max) {
        range = max == 0 ? Text(u"no") : CountText(max);
    } else {
        range = CountText(min) + u" to " + CountText(max);
    }
    return range + (min == 1 && max == 1 ? u" argument" : u" arguments");
}

}  // namespace

void RequireArgCount(std::span<Variant> args, size_t min, size_t max, TextView member) {
    if (args.size() >= min && args.size() <= max) return;
    if (member.empty()) Raise(errors::kWrongArgumentCount);
    Raise(errors::kWrongArgumentCount, StandardDescription(errors::kWrongArgumentCount) + u": " +
                                           Text(member) + u" takes " + ArgumentRange(min, max) + u", not " +
                                           CountText(args.size()));
}

AutomationError WithSource(const AutomationError& error, TextView source) {
    if (!error.Source().empty()) return error;
    return AutomationError(error.Number(), error.Description(), Text(source), error.HelpFile(),
                           error.HelpContext());
}

void RaiseNoSuchMember(const Object& object, TextView name) {
    Text member = object.TypeName() + u"." + Text(name.empty() ? u"(default)" : name);
    throw AutomationError(errors::kNoSuchMember, u"Object doesn't support this property or method: " + member,
                          member);
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
