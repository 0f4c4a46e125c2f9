#pragma once
// Variant: the value type of the automation world. It holds empty, null, a Boolean, a 16- or 32-bit
// integer, a double, a text, an object reference (a null reference is "nothing") or an array of
// variants. Objects are shared by reference: copying a variant copies the reference, never the object.
// Arrays are immutable once built and shared between copies, so a copied variant behaves as a value.
// A text may be held padded (Variant::Padded): it reads as the same text everywhere, but its filling
// blanks are not stored and copies share it.

#include <cstdint>
#include <memory>
#include <variant>
#include <vector>

#include "automation/Text.h"

namespace orva::automation {

class Object;
using ObjectRef = std::shared_ptr<Object>;

class Variant;
class PaddedText;  // a text held without its filling blanks; made and read only inside the library

// An array of variants with its lower bound (0 for arrays built by the library).
struct VariantArray {
    int32_t lowerBound = 0;
    std::vector<Variant> items;
};
using ArrayRef = std::shared_ptr<const VariantArray>;

struct EmptyValue {
    bool operator==(const EmptyValue&) const = default;
};
struct NullValue {
    bool operator==(const NullValue&) const = default;
};

enum class VariantType { Empty, Null, Boolean, Integer, Long, Double, Text, Object, Array };

class Variant {
public:
    Variant() = default;
    Variant(NullValue) : m_value(NullValue{}) {}
    Variant(bool value) : m_value(value) {}
    Variant(int16_t value) : m_value(value) {}
    Variant(int32_t value) : m_value(value) {}
    Variant(double value) : m_value(value) {}
    Variant(Text value) : m_value(std::move(value)) {}
    Variant(const char16_t* value) : m_value(Text(value)) {}
    Variant(ObjectRef value) : m_value(std::move(value)) {}
    template <typename T>
    requires std::is_base_of_v<Object, T> Variant(std::shared_ptr<T> value)
        : m_value(ObjectRef(std::move(value))) {}
    Variant(std::nullptr_t) : m_value(ObjectRef()) {}
    Variant(ArrayRef value) : m_value(std::move(value)) {}

    // Builds an array variant with lower bound 0.
    static Variant Array(std::vector<Variant> items, int32_t lowerBound = 0);
    // A text variant holding head, blanks up to width units, then tail (see PaddedText), without the
    // blanks. It is a Text to every reader (Type, ToText, the other conversions, ==, TextIf). Raises
    // std::bad_alloc when memory runs out.
    static Variant Padded(Text head, size_t width, Text tail);

    VariantType Type() const {
        return m_value.index() == kPaddedIndex ? VariantType::Text
                                               : static_cast<VariantType>(m_value.index());
    }
    bool IsEmpty() const { return Type() == VariantType::Empty; }
    bool IsNull() const { return Type() == VariantType::Null; }
    // True for an object reference, also for nothing.
    bool IsObject() const { return Type() == VariantType::Object; }
    bool IsArray() const { return Type() == VariantType::Array; }
    bool IsText() const { return Type() == VariantType::Text; }

    // Conversions with the automation semantics; each raises 13 (type mismatch) when the value cannot
    // be read as the type, 6 (overflow) when a number does not fit, 94 when the value is null.
    // empty -> "", true -> "True", integers in decimal, doubles with up to 15 significant digits
    // ("1234567.891", "1E+16", "0.0001", "1E-05", never "-0")
    Text ToText() const;
    int32_t ToInt32() const;  // texts read as decimal numbers; doubles round half to even
    int16_t ToInt16() const;
    double ToDouble() const;
    bool ToBool() const;  // numbers: non-zero; texts: "True"/"False" or a number
    // The object reference; empty reads as nothing. Anything else raises 13.
    ObjectRef ToObject() const;
    // The array; raises 13 when the variant is not one.
    const VariantArray& ToArray() const;

    // Direct access when the type is known (no conversion); nullptr when the variant holds another type.
    // A padded text is made whole for TextIf the first time it is asked, and then kept with the shared
    // padded value (as long as it lives); readers of many texts use ReadText, which keeps nothing.
    const Text* TextIf() const {
        const Text* text = std::get_if<Text>(&m_value);
        return text != nullptr || m_value.index() != kPaddedIndex ? text : PaddedWhole();
    }
    // The text of a text variant without a copy when it is stored whole; a padded text is written into
    // scratch, which the answer then refers to. Raises 13 when the variant holds no text.
    const Text& ReadText(Text& scratch) const;
    const ObjectRef* ObjectIf() const { return std::get_if<ObjectRef>(&m_value); }

    // Equal type and equal value; objects compare by identity, arrays element by element.
    bool operator==(const Variant& other) const;

private:
    using PaddedRef = std::shared_ptr<const PaddedText>;
    const Text* PaddedWhole() const;  // the whole text of a padded value, made once
    // The alternatives in VariantType's order, then the padded text (Type answers Text for it).
    std::variant<EmptyValue, NullValue, bool, int16_t, int32_t, double, Text, ObjectRef, ArrayRef, PaddedRef>
        m_value;
    static constexpr size_t kPaddedIndex = 9;
};

// A short description of a variant's type, for error messages ("Text", "Object", ...).
Text TypeNameOf(const Variant& value);

}  // namespace orva::automation
