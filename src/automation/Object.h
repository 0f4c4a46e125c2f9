#pragma once
// Object: the base of every automation object. Besides their typed C++ interfaces, objects can be
// called by member name at run time (late binding), which is how the library talks to the suite's
// components. Objects are always held by ObjectRef (std::shared_ptr); a null ObjectRef is "nothing".

#include <initializer_list>
#include <memory>
#include <span>
#include <vector>

#include "automation/AutomationError.h"
#include "automation/Text.h"
#include "automation/Variant.h"

namespace orva::automation {

// How a member is reached: a method call, a property read, a value assignment (let) or an object
// reference assignment (set).
enum class CallKind { Method, PropertyGet, PropertyLet, PropertySet };

class Object : public std::enable_shared_from_this<Object> {
public:
    virtual ~Object() = default;
    Object() = default;
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    // The class name, e.g. "Dictionary"; used in error messages.
    virtual Text TypeName() const = 0;

    // Calls the member `name` (matched without regard to letter case; the empty name is the default
    // member). Arguments are passed by reference: a member may write back into them. For a property
    // let or set, the last argument is the value. Raises 438 when the object has no such member and
    // 450 when the number of arguments does not fit; whatever the member raises passes through.
    virtual Variant Invoke(TextView name, CallKind kind, std::span<Variant> args);
};

// True when name equals member without regard to ASCII letter case (member names are ASCII).
bool MemberIs(TextView name, TextView member);

// Raises 450 unless min <= args.size() <= max. A member named in `member` ("Vector.Item") is named
// in the description with the number of arguments it takes, so that a caller sees what to pass.
void RequireArgCount(std::span<Variant> args, size_t min, size_t max, TextView member = {});

// The error with `source` filled in when it has none, so that a caller learns which class and member
// raised it ("Dictionary.Load"); an error that already names its source keeps it.
AutomationError WithSource(const AutomationError& error, TextView source);

// Raises 438 naming the member and the object's type, in the description and as the source.
[[noreturn]] void RaiseNoSuchMember(const Object& object, TextView name);

// Late-bound calls. Each raises 91 when object is nothing. The vector forms pass the arguments by
// reference (the callee may change them); the list forms pass copies.
Variant CallByName(const ObjectRef& object, TextView name, std::vector<Variant>& args);
Variant CallMethod(const ObjectRef& object, TextView name, std::initializer_list<Variant> args = {});
Variant GetProperty(const ObjectRef& object, TextView name, std::initializer_list<Variant> args = {});
void LetProperty(const ObjectRef& object, TextView name, Variant value);
void SetProperty(const ObjectRef& object, TextView name, ObjectRef value);

[[noreturn]] void RaiseObjectNotSet(TextView wanted);
[[noreturn]] void RaiseWrongClass(const Object& object, TextView wanted);

// Casts an object reference to a C++ class; raises 13 naming the wanted type when the object is of
// another class, 91 when it is nothing.
template <typename T>
std::shared_ptr<T> As(const ObjectRef& object, const char16_t* wanted) {
    if (!object) RaiseObjectNotSet(wanted);
    auto typed = std::dynamic_pointer_cast<T>(object);
    if (!typed) RaiseWrongClass(*object, wanted);
    return typed;
}

}  // namespace orva::automation
