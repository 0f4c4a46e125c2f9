#include "bag/PropertyBagJson.h"

#include <nlohmann/json.hpp>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/Vector.h"

namespace orva::components {

using namespace automation;
using Json = nlohmann::ordered_json;

namespace {

constexpr int kMaxDepth = 64;

[[noreturn]] void Refuse(const Text& source, const std::string& what) {
    // The parser quotes the bytes it last read, which may end inside a character: keep them visible.
    Raise(errors::kBadFileFormat, source + u": " + FromUtf8Lossy(what));
}

Variant FromJson(const Json& json, const Text& source, int depth, const std::string& where) {
    if (depth > kMaxDepth) Refuse(source, "nesting deeper than 64 levels at " + where);
    switch (json.type()) {
        case Json::value_t::object: {
            DictionaryRef dictionary = Dictionary::Create();
            for (auto it = json.begin(); it != json.end(); ++it) {
                Text key = FromUtf8(it.key());
                if (dictionary->HasKey(key)) {
                    Refuse(source,
                           "two keys differing only in letter case (\"" + it.key() + "\") at " + where);
                }
                dictionary->SetValue(key, FromJson(it.value(), source, depth + 1, where + "/" + it.key()));
            }
            return dictionary;
        }
        case Json::value_t::array: {
            VectorRef vector = Vector::Create();
            size_t index = 1;
            for (const Json& item : json) {
                vector->Add(FromJson(item, source, depth + 1, where + "[" + std::to_string(index++) + "]"));
            }
            return vector;
        }
        case Json::value_t::string:
            return FromUtf8(json.get_ref<const std::string&>());
        case Json::value_t::boolean:
            return json.get<bool>();
        case Json::value_t::number_integer:
        case Json::value_t::number_unsigned: {
            if (json.is_number_unsigned() && json.get<uint64_t>() > INT32_MAX) return json.get<double>();
            int64_t value = json.get<int64_t>();
            if (value >= INT32_MIN && value <= INT32_MAX) return static_cast<int32_t>(value);
            return static_cast<double>(value);
        }
        case Json::value_t::number_float:
            return json.get<double>();
        case Json::value_t::null:
            return Variant(NullValue{});
        default:
            Refuse(source, "a value JSON property bags cannot hold at " + where);
    }
}

Json ToJson(const Variant& value) {
    switch (value.Type()) {
        case VariantType::Empty:
        case VariantType::Null:
            return nullptr;
        case VariantType::Boolean:
            return value.ToBool();
        case VariantType::Integer:
        case VariantType::Long:
            return value.ToInt32();
        case VariantType::Double:
            return value.ToDouble();
        case VariantType::Text:
            return ToUtf8(*value.TextIf());
        case VariantType::Array: {
            Json array = Json::array();
            for (const Variant& item : value.ToArray().items) array.push_back(ToJson(item));
            return array;
        }
        case VariantType::Object: {
            ObjectRef object = value.ToObject();
            if (auto dictionary = std::dynamic_pointer_cast<Dictionary>(object)) {
                Json json = Json::object();
                for (int32_t i = 1; i <= dictionary->Count(); ++i) {
                    const Text& key = dictionary->Key(i);
                    json[ToUtf8(key)] = ToJson(dictionary->Value(key));
                }
                return json;
            }
            if (auto vector = std::dynamic_pointer_cast<Vector>(object)) {
                Json array = Json::array();
                for (const Variant& item : *vector) array.push_back(ToJson(item));
                return array;
            }
            Raise(errors::kTypeMismatch,
                  u"A " + (object ? object->TypeName() : Text(u"Nothing")) + u" cannot be written as JSON");
        }
    }
    return nullptr;
}

}  // namespace

Variant ParsePropertyBagJson(std::string_view text, const Text& sourceName) {
    // Checked before parsing so that the offset is the one in the input (the parser's own message
    // would quote the broken bytes).
    try {
        FromUtf8(text);
    } catch (const AutomationError& error) {
        Raise(errors::kBadFileFormat, sourceName + u": " + error.Description());
    }
    Json json;
    try {
        // Values nested too deep are dropped while parsing, so a hostile document cannot build an
        // unbounded tree before it is refused.
        bool tooDeep = false;
        json = Json::parse(text, [&](int depth, Json::parse_event_t, Json&) {
            if (depth > kMaxDepth + 1) tooDeep = true;
            return !tooDeep;
        });
        if (tooDeep) Refuse(sourceName, "nesting deeper than 64 levels");
    } catch (const nlohmann::json::exception& e) {
        Refuse(sourceName, e.what());
    }
    return FromJson(json, sourceName, 0, "$");
}

std::string WritePropertyBagJson(const Variant& value, int indent) {
    return ToJson(value).dump(indent, ' ', false, Json::error_handler_t::strict);
}

}  // namespace orva::components
