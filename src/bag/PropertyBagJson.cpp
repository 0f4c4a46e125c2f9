#include "bag/PropertyBagJson.h"

#include <nlohmann/json.hpp>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/SharedText.h"
#include "bag/Vector.h"

namespace orva::components {

using namespace automation;
using Json = nlohmann::ordered_json;

namespace {

// Builds the property-bag tree of a document as its events arrive.
class BagBuilder : public JsonHandler {
public:
    BagBuilder(const Text& source, const JsonShapeCheck& shape) : m_source(source), m_shape(shape) {}

    Variant TakeRoot() { return std::move(m_root); }

    void Begin(const JsonPlace& place, JsonKind kind) override {
        m_place = &place;
        if (m_shape) m_shape(place, kind);
    }
    void Null() override { Put(Variant(NullValue{})); }
    void Boolean(bool value) override { Put(value); }
    void Integer(int64_t value) override {
        if (value >= INT32_MIN && value <= INT32_MAX) {
            Put(static_cast<int32_t>(value));
        } else {
            Put(static_cast<double>(value));
        }
    }
    void Unsigned(uint64_t value) override {
        if (value <= INT32_MAX) {
            Put(static_cast<int32_t>(value));
        } else {
            Put(static_cast<double>(value));
        }
    }
    void Float(double value) override { Put(value); }
    void String(std::string& value) override { Put(FromUtf8(value)); }
    void BeginObject() override {
        DictionaryRef dictionary = Dictionary::Create();
        Put(dictionary);
        m_open.push_back({dictionary, nullptr, {}});
    }
    void Key(std::string& key) override {
        Text text = FromUtf8(key);
        Dictionary& dictionary = *m_open.back().dictionary;
        if (dictionary.HasKey(text)) {
            Text earlier;
            for (int32_t i = 1; i <= dictionary.Count() && earlier.empty(); ++i) {
                if (EqualsNoCase(dictionary.Key(i), text)) earlier = dictionary.Key(i);
            }
            const Text where = m_place ? m_place->ToText() : Text(u"$");
            Raise(errors::kBadFileFormat,
                  m_source + u": " +
                      (earlier == text
                           ? u"the key \"" + Abbreviate(text) + u"\" appears twice"
                           : u"two keys differing only in letter case (\"" + Abbreviate(text) + u"\")") +
                      u" at " + where);
        }
        m_open.back().key = SharedText(std::move(text));
    }
    void EndObject() override { m_open.pop_back(); }
    void BeginArray() override {
        VectorRef vector = Vector::Create();
        Put(vector);
        m_open.push_back({nullptr, vector, {}});
    }
    void EndArray() override { m_open.pop_back(); }

private:
    struct Open {
        DictionaryRef dictionary;
        VectorRef vector;
        SharedText key;  // of the member being read
    };

    void Put(Variant value) {
        if (m_open.empty()) {
            m_root = std::move(value);
        } else if (m_open.back().vector) {
            m_open.back().vector->Add(std::move(value));
        } else {
            m_open.back().dictionary->AppendUnique(m_open.back().key, std::move(value));
        }
    }

    const Text& m_source;
    const JsonShapeCheck& m_shape;
    const JsonPlace* m_place = nullptr;
    std::vector<Open> m_open;
    Variant m_root;
};

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
        case VariantType::Text: {
            Text scratch;
            return ToUtf8(value.ReadText(scratch));
        }
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

Variant ParsePropertyBagJson(std::string_view text, const Text& sourceName, const JsonShapeCheck& shape,
                             const JsonProgress& progress) {
    BagBuilder builder(sourceName, shape);
    ReadBoundedJson(text, sourceName, builder, progress);
    return builder.TakeRoot();
}

std::string WritePropertyBagJson(const Variant& value, int indent) {
    return ToJson(value).dump(indent, ' ', false, Json::error_handler_t::strict);
}

}  // namespace orva::components
