#include "automation/Variant.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "automation/AutomationError.h"
#include "automation/PaddedText.h"
#include "automation/TextHelpers.h"

namespace orva::automation {

namespace {

Text Ascii(const char* s) {
    Text out;
    for (; *s; ++s) out += static_cast<char16_t>(*s);
    return out;
}

int64_t RoundHalfEven(double value) {
    if (!std::isfinite(value) || value > 9.3e18 || value < -9.3e18) Raise(errors::kOverflow);
    double rounded = std::nearbyint(value);  // default rounding mode: to nearest, ties to even
    return static_cast<int64_t>(rounded);
}

[[noreturn]] void Mismatch(const Variant& v, const char16_t* wanted) {
    Raise(errors::kTypeMismatch,
          u"Type mismatch: a value of type " + TypeNameOf(v) + u" cannot be read as " + wanted);
}

}  // namespace

Variant Variant::Array(std::vector<Variant> items, int32_t lowerBound) {
    auto array = std::make_shared<VariantArray>();
    array->lowerBound = lowerBound;
    array->items = std::move(items);
    return Variant(ArrayRef(std::move(array)));
}

Variant Variant::Padded(Text head, size_t width, Text tail) {
    Variant padded;
    padded.m_value = std::make_shared<const PaddedText>(std::move(head), width, std::move(tail));
    return padded;
}

const Text* Variant::PaddedWhole() const { return &std::get<PaddedRef>(m_value)->KeptWhole(); }

const Text& Variant::ReadText(Text& scratch) const {
    if (const Text* text = std::get_if<Text>(&m_value)) return *text;
    if (const PaddedRef* padded = std::get_if<PaddedRef>(&m_value)) return scratch = (*padded)->Whole();
    Mismatch(*this, u"Text");
}

Text Variant::ToText() const {
    switch (Type()) {
        case VariantType::Empty:
            return {};
        case VariantType::Null:
            Raise(errors::kInvalidUseOfNull);
        case VariantType::Boolean:
            return std::get<bool>(m_value) ? u"True" : u"False";
        case VariantType::Integer:
            return Ascii(std::to_string(std::get<int16_t>(m_value)).c_str());
        case VariantType::Long:
            return Ascii(std::to_string(std::get<int32_t>(m_value)).c_str());
        case VariantType::Double: {
            // Up to 15 significant digits, E notation from 1E+15 and below 0.0001, as Basic shows a
            // double: "1234567.891", "1E+16", "1E-05"; a minus zero reads as "0".
            double value = std::get<double>(m_value);
            char buffer[32];
            std::snprintf(buffer, sizeof buffer, "%.15g", value == 0 ? 0.0 : value);
            for (char* c = buffer; *c; ++c) {
                if (*c == 'e') *c = 'E';
            }
            return Ascii(buffer);
        }
        case VariantType::Text:
            if (const Text* text = std::get_if<Text>(&m_value)) return *text;
            return std::get<PaddedRef>(m_value)->Whole();
        default:
            Mismatch(*this, u"Text");
    }
}

int32_t Variant::ToInt32() const {
    int64_t value = 0;
    switch (Type()) {
        case VariantType::Empty:
            return 0;
        case VariantType::Null:
            Raise(errors::kInvalidUseOfNull);
        case VariantType::Boolean:
            return std::get<bool>(m_value) ? -1 : 0;
        case VariantType::Integer:
            return std::get<int16_t>(m_value);
        case VariantType::Long:
            return std::get<int32_t>(m_value);
        case VariantType::Double:
            value = RoundHalfEven(std::get<double>(m_value));
            break;
        case VariantType::Text: {
            Text scratch;
            return TextToInt32(ReadText(scratch));
        }
        default:
            Mismatch(*this, u"Long");
    }
    if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
        Raise(errors::kOverflow);
    }
    return static_cast<int32_t>(value);
}

int16_t Variant::ToInt16() const {
    int32_t value = ToInt32();
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max()) {
        Raise(errors::kOverflow);
    }
    return static_cast<int16_t>(value);
}

double Variant::ToDouble() const {
    switch (Type()) {
        case VariantType::Empty:
            return 0;
        case VariantType::Null:
            Raise(errors::kInvalidUseOfNull);
        case VariantType::Boolean:
            return std::get<bool>(m_value) ? -1 : 0;
        case VariantType::Integer:
            return std::get<int16_t>(m_value);
        case VariantType::Long:
            return std::get<int32_t>(m_value);
        case VariantType::Double:
            return std::get<double>(m_value);
        case VariantType::Text: {
            Text scratch;
            return TextToDouble(ReadText(scratch));
        }
        default:
            Mismatch(*this, u"Double");
    }
}

bool Variant::ToBool() const {
    switch (Type()) {
        case VariantType::Boolean:
            return std::get<bool>(m_value);
        case VariantType::Text: {
            Text scratch;
            const Text& text = ReadText(scratch);
            Text upper = UCase(Trim(text));
            if (upper == u"TRUE") return true;
            if (upper == u"FALSE") return false;
            return TextToDouble(text) != 0;
        }
        case VariantType::Object:
        case VariantType::Array:
            Mismatch(*this, u"Boolean");
        default:
            return ToDouble() != 0;
    }
}

ObjectRef Variant::ToObject() const {
    if (IsEmpty()) return nullptr;
    if (const ObjectRef* object = ObjectIf()) return *object;
    Mismatch(*this, u"Object");
}

const VariantArray& Variant::ToArray() const {
    if (const ArrayRef* array = std::get_if<ArrayRef>(&m_value)) return **array;
    Mismatch(*this, u"Array");
}

bool Variant::operator==(const Variant& other) const {
    if (Type() != other.Type()) return false;
    if (IsArray()) {
        const VariantArray& a = ToArray();
        const VariantArray& b = other.ToArray();
        return a.lowerBound == b.lowerBound && a.items == b.items;
    }
    // A padded text equals the same text stored whole.
    if (Type() == VariantType::Text) {
        Text scratch, otherScratch;
        return ReadText(scratch) == other.ReadText(otherScratch);
    }
    return m_value == other.m_value;
}

Text TypeNameOf(const Variant& value) {
    switch (value.Type()) {
        case VariantType::Empty:
            return u"Empty";
        case VariantType::Null:
            return u"Null";
        case VariantType::Boolean:
            return u"Boolean";
        case VariantType::Integer:
            return u"Integer";
        case VariantType::Long:
            return u"Long";
        case VariantType::Double:
            return u"Double";
        case VariantType::Text:
            return u"Text";
        case VariantType::Object:
            return value.ToObject() ? u"Object" : u"Nothing";
        case VariantType::Array:
            return u"Array";
    }
    return u"Unknown";
}

}  // namespace orva::automation
