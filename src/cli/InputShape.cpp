#include "cli/InputShape.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/PacketRemapping.h"

namespace orva::cli {

using namespace automation;
using namespace components;

namespace {

Text KindOf(const Variant& value) {
    switch (value.Type()) {
        case VariantType::Empty:
        case VariantType::Null:
            return u"null";
        case VariantType::Boolean:
            return u"a Boolean";
        case VariantType::Integer:
        case VariantType::Long:
        case VariantType::Double:
            return u"a number";
        case VariantType::Text:
            return u"a text";
        case VariantType::Array:
            return u"an array";
        case VariantType::Object:
            break;
    }
    ObjectRef object = value.ToObject();
    if (std::dynamic_pointer_cast<Dictionary>(object)) return u"an object";
    if (std::dynamic_pointer_cast<Vector>(object)) return u"an array";
    return u"null";
}

bool IsTextOrNumber(const Variant& value) {
    switch (value.Type()) {
        case VariantType::Integer:
        case VariantType::Long:
        case VariantType::Double:
        case VariantType::Text:
            return true;
        default:
            return false;
    }
}

template <class T>
std::shared_ptr<T> As(const Variant& value) {
    return value.IsObject() ? std::dynamic_pointer_cast<T>(value.ToObject()) : nullptr;
}

[[noreturn]] void RefuseShape(const Text& file, const Text& place, const Variant& value, const Text& wanted) {
    Raise(errors::kTypeMismatch, file + u": " + place + u" is " + KindOf(value) + u", not " + wanted);
}

}  // namespace

void CheckPacketSetShape(const Dictionary& root, const Text& file) {
    const char16_t* entryFields[] = {
        core::fields::kTopClassId,    core::fields::kTopClassName, core::fields::kSubSystemId,
        core::fields::kSubSystemName, core::fields::kSubFuncId,    core::fields::kSubFuncName,
        core::fields::kNewName,       core::fields::kFuncName,     core::fields::kClassName,
        core::fields::kClassParam,    core::fields::kHelpCode,     core::fields::kNo};
    for (const char16_t* language : core::kPacketLanguages) {
        if (!root.HasKey(language)) continue;
        Text place = Text(u"$/") + language;
        Variant packetValue = root.Value(language);
        VectorRef packet = As<Vector>(packetValue);
        if (!packet) RefuseShape(file, place, packetValue, u"an array of deployment entries");
        for (int32_t i = packet->LowerBound(); i <= packet->UpperBound(); ++i) {
            Text entryPlace = place + u"[" + Int32ToText(i - packet->LowerBound() + 1) + u"]";
            const Variant& entryValue = packet->Item(i);
            DictionaryRef entry = As<Dictionary>(entryValue);
            if (!entry) RefuseShape(file, entryPlace, entryValue, u"an object (a deployment entry)");
            for (const char16_t* field : entryFields) {
                if (!entry->HasKey(field)) continue;
                Variant fieldValue = entry->Value(field);
                if (!IsTextOrNumber(fieldValue)) {
                    RefuseShape(file, entryPlace + u"/" + field, fieldValue, u"a text or a number");
                }
            }
        }
    }
}

void CheckDeploymentInfoShape(const Dictionary& info, const Text& file) {
    for (int32_t i = 1; i <= info.Count(); ++i) {
        const Text& key = info.Key(i);
        Variant value = info.Value(key);
        Text place = u"$/" + key;
        if (!EqualsNoCase(key, core::kChangeNameKey)) {
            if (!IsTextOrNumber(value))
                RefuseShape(file, place, value, u"a text or a number (the new class identifier)");
            continue;
        }
        DictionaryRef renames = As<Dictionary>(value);
        if (!renames) RefuseShape(file, place, value, u"an object of class identifiers");
        for (int32_t j = 1; j <= renames->Count(); ++j) {
            const Text& identifier = renames->Key(j);
            Variant namesValue = renames->Value(identifier);
            DictionaryRef names = As<Dictionary>(namesValue);
            if (!names)
                RefuseShape(file, place + u"/" + identifier, namesValue, u"an object of names per language");
            for (int32_t k = 1; k <= names->Count(); ++k) {
                const Text& language = names->Key(k);
                Variant name = names->Value(language);
                if (!IsTextOrNumber(name)) {
                    RefuseShape(file, place + u"/" + identifier + u"/" + language, name,
                                u"a text or a number");
                }
            }
        }
    }
}

}  // namespace orva::cli
