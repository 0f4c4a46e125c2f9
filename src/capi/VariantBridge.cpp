#include "capi/VariantBridge.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "automation/Object.h"
#include "automation/Text.h"
#include "capi/HandlePool.h"

namespace orva::capi {

using namespace automation;

namespace {

// Arguments travel by reference: those the member changed are written back into the caller's array;
// the others, handles included, stay exactly as the caller made them.
int32_t InvokeHandle(orva_object* handle, const char* name, int32_t kind, orva_variant* args,
                     int32_t argCount, orva_variant* result, orva_error* error) {
    if (result) orva_variant_clear(result);
    // The class and member called, for errors raised before a member runs (arguments it cannot take).
    Text calledMember = u"orva_invoke";
    auto call = [&] {
        if (kind < static_cast<int32_t>(CallKind::Method) ||
            kind > static_cast<int32_t>(CallKind::PropertySet)) {
            Raise(errors::kInvalidCall, u"Unknown call kind " + FromUtf8(std::to_string(kind)));
        }
        if (argCount < 0 || (argCount > 0 && args == nullptr)) {
            Raise(errors::kInvalidCall, u"The argument array does not hold the argument count it is given");
        }
        Text member;
        try {
            member = FromUtf8(name ? name : "");
        } catch (const AutomationError&) {
            Raise(errors::kInvalidCall, u"The member name is not valid UTF-8");
        }
        ObjectRef object = ObjectOfHandle(handle);
        calledMember = object->TypeName() + u"." + (member.empty() ? Text(u"(default)") : member);
        std::vector<Variant> values;
        values.reserve(argCount);
        for (int32_t i = 0; i < argCount; ++i) {
            values.push_back(FromCVariant(args[i], ("argument " + std::to_string(i + 1)).c_str()));
        }
        const std::vector<Variant> before = values;
        Variant answer = object->Invoke(member, static_cast<CallKind>(kind), values);
        // Converted in full before anything of the caller's is touched, so that running out of
        // memory leaves the caller's arguments and result as they were.
        std::vector<orva_variant> written(values.size());
        try {
            for (size_t i = 0; i < values.size(); ++i) {
                orva_variant_init(&written[i]);
                if (!(values[i] == before[i])) ToCVariant(values[i], &written[i]);
            }
            if (result) ToCVariant(answer, result);
        } catch (...) {
            for (orva_variant& item : written) orva_variant_clear(&item);
            throw;
        }
        for (size_t i = 0; i < values.size(); ++i) {
            if (values[i] == before[i]) continue;
            orva_variant_clear(&args[i]);
            args[i] = written[i];
        }
    };
    return ReportErrors(error, call, calledMember);
}

// NULL for a handle that is not live (the loader checks before, a host's own copy may not).
orva_object* DuplicateHandle(orva_object* handle) {
    try {
        return orva_handle_live(handle) ? MakeHandle(static_cast<Handle*>(handle)->object) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

void ReleaseHandle(orva_object* handle) { ReleaseHandleSlot(handle); }

const orva_object_functions kFunctions = {
    .abi_version = ORVA_AUTOMATION_ABI_VERSION,
    .invoke = InvokeHandle,
    .duplicate = DuplicateHandle,
    .release = ReleaseHandle,
    .create = OrvaCreateObject,
    .publish_property = PublishHostProperty,
};

char* CopyText(const std::string& text) {
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// Where a value sits in what the caller passed ("argument 2, item 0, item 5"), spelled out only for a
// message: building it at every level would cost memory with the square of the depth.
struct Place {
    const char* what;    // the outermost name; null for an item
    const Place* outer;  // the array around an item
    int32_t index;       // the item's position in it
    int32_t depth;       // arrays around the value

    Text Describe() const {
        if (what) return FromUtf8Lossy(what);
        return outer->Describe() + u", item " + FromUtf8(std::to_string(index));
    }
};

[[noreturn]] void RaiseTooDeep(const Place& place) {
    Raise(errors::kInvalidCall, place.Describe() + u": arrays nested more than " +
                                    FromUtf8(std::to_string(ORVA_MAX_ARRAY_DEPTH)) +
                                    u" levels deep are not taken");
}

Variant FromCVariantAt(const orva_variant& value, const Place& place);

}  // namespace

orva_object* MakeHandle(ObjectRef object) {
    if (!object) return nullptr;
    return AllocateHandle(std::move(object), &kFunctions);
}

ObjectRef ObjectOfHandle(const orva_object* handle) {
    if (!handle) return nullptr;
    if (!orva_handle_live(handle)) {
        Raise(errors::kObjectNotSet,
              u"Object variable or With block variable not set: the handle was released or is not an object "
              u"handle");
    }
    if (handle->functions != &kFunctions) {
        Raise(errors::kTypeMismatch, u"Type mismatch: an object handle that another library made");
    }
    return static_cast<const Handle*>(handle)->object;
}

Variant FromCVariant(const orva_variant& value, const char* what) {
    return FromCVariantAt(value, Place{what, nullptr, 0, 0});
}

namespace {

Variant FromCVariantAt(const orva_variant& value, const Place& place) {
    switch (value.type) {
        case ORVA_VT_EMPTY:
            return Variant();
        case ORVA_VT_NULL:
            return Variant(NullValue{});
        case ORVA_VT_BOOL:
            return Variant(value.value.boolean != 0);
        case ORVA_VT_INT16:
            return Variant(value.value.int16);
        case ORVA_VT_INT32:
            return Variant(value.value.int32);
        case ORVA_VT_DOUBLE:
            return Variant(value.value.real);
        case ORVA_VT_TEXT:
            try {
                return Variant(
                    FromUtf8(std::string_view(value.value.text.data ? value.value.text.data : "",
                                              value.value.text.data ? value.value.text.length : 0)));
            } catch (const AutomationError&) {
                Raise(errors::kInvalidCall, place.Describe() + u": the text is not valid UTF-8");
            }
        case ORVA_VT_OBJECT:
            try {
                return Variant(ObjectOfHandle(value.value.object));
            } catch (const AutomationError& error) {
                Raise(error.Number(), place.Describe() + u": " + error.Description());
            }
        case ORVA_VT_ARRAY: {
            if (value.value.array.count < 0 || (value.value.array.count > 0 && !value.value.array.items)) {
                Raise(errors::kInvalidCall, place.Describe() + u": the array does not hold its item count");
            }
            // The bound keeps this recursion, and every later copy, comparison and release of the value
            // inside the library, within a small stack.
            if (place.depth >= ORVA_MAX_ARRAY_DEPTH) RaiseTooDeep(place);
            std::vector<Variant> items;
            items.reserve(value.value.array.count);
            for (int32_t i = 0; i < value.value.array.count; ++i) {
                items.push_back(
                    FromCVariantAt(value.value.array.items[i], Place{nullptr, &place, i, place.depth + 1}));
            }
            return Variant::Array(std::move(items), value.value.array.lower_bound);
        }
        default:
            Raise(errors::kInvalidCall,
                  place.Describe() + u": unknown variant type " + FromUtf8(std::to_string(value.type)));
    }
}

}  // namespace

void ToCVariant(const Variant& value, orva_variant* out) {
    orva_variant_init(out);
    switch (value.Type()) {
        case VariantType::Empty:
            return;
        case VariantType::Null:
            orva_variant_set_null(out);
            return;
        case VariantType::Boolean:
            orva_variant_set_bool(out, value.ToBool());
            return;
        case VariantType::Integer:
            orva_variant_set_int16(out, value.ToInt16());
            return;
        case VariantType::Long:
            orva_variant_set_int32(out, value.ToInt32());
            return;
        case VariantType::Double:
            orva_variant_set_double(out, value.ToDouble());
            return;
        case VariantType::Text: {
            Text scratch;
            std::string utf8 = ToUtf8Lossy(value.ReadText(scratch));
            if (orva_variant_set_text_n(out, utf8.data(), utf8.size()) != 0) Raise(errors::kOutOfMemory);
            return;
        }
        case VariantType::Object:
            orva_variant_set_object(out, MakeHandle(*value.ObjectIf()));
            return;
        case VariantType::Array: {
            const VariantArray& array = value.ToArray();
            if (orva_variant_set_array(out, static_cast<int32_t>(array.items.size()), array.lowerBound) !=
                0) {
                Raise(errors::kOutOfMemory);
            }
            try {
                for (size_t i = 0; i < array.items.size(); ++i)
                    ToCVariant(array.items[i], &out->value.array.items[i]);
            } catch (...) {
                orva_variant_clear(out);
                throw;
            }
            return;
        }
    }
}

void FillError(orva_error* error, const AutomationError& failure) {
    if (!error) return;
    orva_error_clear(error);
    error->number = failure.Number();
    error->description = CopyText(ToUtf8Lossy(failure.Description()));
    error->source = CopyText(ToUtf8Lossy(failure.Source()));
}

int32_t ReportErrors(orva_error* error, const std::function<void()>& body, const Text& source) {
    if (error) orva_error_clear(error);
    try {
        body();
        return 0;
    } catch (...) {
        AutomationError failure = WithSource(CurrentAsAutomationError(), source);
        FillError(error, failure);
        // An error numbered 0 would read as success.
        return failure.Number() != 0 ? failure.Number() : errors::kInvalidCall;
    }
}

}  // namespace orva::capi
