#pragma once
// TextFormatter: replaces numbered placeholders in a pattern with the texts of values.
//
// Placeholders: "%" followed by decimal digits. Element 0 of the values fills %1, element 1 fills %2,
// and so on. The digits are read greedily but only as far as they name an existing value: with ten
// values "%10" is the tenth value, with nine it is the first value followed by "0". A placeholder
// without a value ("%3" with two values, "%0") stays in the text as written, so a missing argument is
// visible instead of silently vanishing. A "%" not followed by a digit is an ordinary character.
// Replacement happens in one pass: a value that itself contains "%2" is not expanded again.
//
// By name: Format(pattern, values) takes an array of variants whose lower-bound element fills %1 (the
// form the text services use); FormatValues(pattern, value1, value2, ...) takes the values as separate
// arguments. Both raise 13 when a value cannot be read as text (an object, an array).

#include <memory>
#include <span>
#include <vector>

#include "automation/Object.h"

namespace orva::components {

class TextFormatter : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"Nexo.TextFormatter";

    static std::shared_ptr<TextFormatter> Create() { return std::make_shared<TextFormatter>(); }

    // The first form: values given one by one.
    automation::Text Format(automation::TextView pattern,
                            const std::vector<automation::Variant>& values) const;
    // The second form: an array whose lower-bound element fills %1.
    automation::Text Format(automation::TextView pattern, const automation::VariantArray& values) const;
    // The first form with the values as texts already: nothing to convert, and it never raises.
    automation::Text Format(automation::TextView pattern, std::span<const automation::TextView> texts) const;

    automation::Text TypeName() const override { return u"TextFormatter"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;
};

}  // namespace orva::components
