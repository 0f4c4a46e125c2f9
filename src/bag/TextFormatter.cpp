#include "bag/TextFormatter.h"

#include "automation/AutomationError.h"

namespace orva::components {

using namespace automation;

Text TextFormatter::Format(TextView pattern, const std::vector<Variant>& values) const {
    // Read every value first, so a failing value raises before any work and nothing half-formatted leaks.
    std::vector<Text> texts;
    texts.reserve(values.size());
    for (const Variant& value : values) texts.push_back(value.ToText());

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

Variant TextFormatter::Invoke(TextView name, CallKind, std::span<Variant> args) {
    if (MemberIs(name, u"Format")) {
        RequireArgCount(args, 2, 2);
        return Format(args[0].ToText(), args[1].ToArray());
    }
    if (MemberIs(name, u"FormatValues")) {
        RequireArgCount(args, 1, SIZE_MAX);
        return Format(args[0].ToText(), std::vector<Variant>(args.begin() + 1, args.end()));
    }
    RaiseNoSuchMember(*this, name);
}

}  // namespace orva::components
