// Interim: texts shown as written until the string loader lands.
#include "hostctx/Texts.h"

#include "components/TextFormatter.h"

namespace orva::hostctx {

Text TranslateText(const Text& text) { return text; }
Text TranslateTextTo(const Variant& text, const Text&) { return text.ToText(); }
Text FormatText(const Text& pattern, const automation::VariantArray& arguments) {
    return components::TextFormatter().Format(TranslateText(pattern), arguments);
}
Text FormatText(const Text& pattern, std::initializer_list<Variant> arguments) {
    automation::VariantArray array{0, std::vector<Variant>(arguments)};
    return FormatText(pattern, array);
}
void ApplyFormFont(const ObjectRef&) {}
Text CurrentLanguage() { return u"CHS"; }
void ResetModuleState() {}

}  // namespace orva::hostctx
