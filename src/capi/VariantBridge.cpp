#include "capi/VariantBridge.h"

#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "automation/Object.h"
#include "automation/Text.h"

namespace orva::capi {

using namespace automation;

namespace {

// A handle: the C part the loader sees, then the reference it holds.
struct Handle : orva_object {
    ObjectRef object;
};

// Arguments travel by reference: those the member changed are written back into the caller's array;
// the others, handles included, stay exactly as the caller made them.
int32_t InvokeHandle(orva_object* handle, const char* name, int32_t kind, orva_variant* args,
                     int32_t argCount, orva_variant* result, orva_error* error) {
    if (result) orva_variant_clear(result);
    return ReportErrors(error, [&] {
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
        std::vector<Variant> values;
        values.reserve(argCount);
        for (int32_t i = 0; i < argCount; ++i) {
            values.push_back(FromCVariant(args[i], ("argument " + std::to_string(i + 1)).c_str()));
        }
        const std::vector<Variant> before = values;
        ObjectRef object = ObjectOfHandle(handle);
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
    });
}

orva_object* DuplicateHandle(orva_object* handle) {
    try {
        return MakeHandle(static_cast<Handle*>(handle)->object);
    } catch (...) {
        return nullptr;
    }
}

void ReleaseHandle(orva_object* handle) { delete static_cast<Handle*>(handle); }

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

}  // namespace

orva_object* MakeHandle(ObjectRef object) {
    if (!object) return nullptr;
    auto* handle = new (std::nothrow) Handle;
    if (!handle) Raise(errors::kOutOfMemory);
    handle->functions = &kFunctions;
    handle->object = std::move(object);
    return handle;
}

ObjectRef ObjectOfHandle(const orva_object* handle) {
    if (!handle) return nullptr;
    if (handle->functions != &kFunctions) {
        Raise(errors::kTypeMismatch, u"Type mismatch: an object handle that another library made");
    }
    return static_cast<const Handle*>(handle)->object;
}

Variant FromCVariant(const orva_variant& value, const char* what) {
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
                Raise(errors::kInvalidCall, FromUtf8(what) + u": the text is not valid UTF-8");
            }
        case ORVA_VT_OBJECT:
            return Variant(ObjectOfHandle(value.value.object));
        case ORVA_VT_ARRAY: {
            if (value.value.array.count < 0 || (value.value.array.count > 0 && !value.value.array.items)) {
                Raise(errors::kInvalidCall, FromUtf8(what) + u": the array does not hold its item count");
            }
            std::vector<Variant> items;
            items.reserve(value.value.array.count);
            for (int32_t i = 0; i < value.value.array.count; ++i) {
                std::string item = std::string(what) + ", item " + std::to_string(i);
                items.push_back(FromCVariant(value.value.array.items[i], item.c_str()));
            }
            return Variant::Array(std::move(items), value.value.array.lower_bound);
        }
        default:
            Raise(errors::kInvalidCall,
                  FromUtf8(what) + u": unknown variant type " + FromUtf8(std::to_string(value.type)));
    }
}

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
            std::string utf8 = ToUtf8Lossy(*value.TextIf());
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

int32_t ReportErrors(orva_error* error, const std::function<void()>& body) {
    if (error) orva_error_clear(error);
    try {
        body();
        return 0;
    } catch (...) {
        AutomationError failure = CurrentAsAutomationError();
        FillError(error, failure);
        // An error numbered 0 would read as success.
        return failure.Number() != 0 ? failure.Number() : errors::kInvalidCall;
    }
}

}  // namespace orva::capi
