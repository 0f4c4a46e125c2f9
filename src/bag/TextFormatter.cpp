#include "bag/TextFormatter.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"

namespace orva::components {

using namespace automation;

Text TextFormatter::Format(TextView pattern, const std::vector<Variant>& values) const {
    // Read every value first, so a failing value raises before any work and nothing half-formatted leaks.
    std::vector<Text> texts;
    texts.reserve(values.size());
    for (const Variant& value : values) texts.push_back(value.ToText());
    return Format(pattern, std::vector<TextView>(texts.begin(), texts.end()));
}

Text TextFormatter::Format(TextView pattern, std::span<const TextView> texts) const {
    Text out;
    out.reserve(pattern.size());
    size_t i = 0;
    while (i < pattern.size()) {
        char16_t c = pattern[i];
        if (c != u'%' || i + 1 >= pattern.size() || pattern[i + 1] < u'0' || pattern[i + 1] > u'9') {
            out += c;
            ++i;
            continue;
        }
        // Longest digit run that names an existing value.
        size_t digitsEnd = i + 1;
        while (digitsEnd < pattern.size() && pattern[digitsEnd] >= u'0' && pattern[digitsEnd] <= u'9') {
            ++digitsEnd;
        }
        size_t chosenEnd = 0;
        size_t chosenIndex = 0;
        uint64_t number = 0;
        for (size_t k = i + 1; k < digitsEnd && k < i + 11; ++k) {
            number = number * 10 + (pattern[k] - u'0');
            if (number >= 1 && number <= texts.size()) {
                chosenEnd = k + 1;
                chosenIndex = static_cast<size_t>(number - 1);
            }
        }
        if (chosenEnd == 0) {
            out.append(pattern.substr(i, digitsEnd - i));
            i = digitsEnd;
        } else {
            out += texts[chosenIndex];
            i = chosenEnd;
        }
    }
    return out;
}

Text TextFormatter::Format(TextView pattern, const VariantArray& values) const {
    return Format(pattern, values.items);
}

Variant TextFormatter::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<TextFormatter> kMembers[] = {
        {.name = u"Format", .minArgs = 2, .maxArgs = 2,
         .call = [](TextFormatter& f, Args a) -> Variant { return f.Format(a[0].ToText(), a[1].ToArray()); }},
        {.name = u"FormatValues", .minArgs = 1, .maxArgs = kNoArgLimit,
         .call = [](TextFormatter& f, Args a) -> Variant {
             return f.Format(a[0].ToText(), std::vector<Variant>(a.begin() + 1, a.end()));
         }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
