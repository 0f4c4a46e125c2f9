#pragma once
// The text services' module state: one set per thread that calls into the library, never shared
// between threads. It holds the current language and the three components the text services keep
// once created: the string loader, the form loader and the text formatter.

#include "automation/Object.h"

namespace orva::hostctx {

// The resource set of the library's texts, as the string loader names it.
inline constexpr const char16_t* kResFileBaseName = u"OrvaDesign";
// The language in which the texts are written; texts in it are shown without a lookup.
inline constexpr const char16_t* kUntranslatedLanguage = u"CHS";

// Program IDs of the components held here.
inline constexpr const char16_t* kStringLoaderProgId = u"OrvaText.StringLoader";
inline constexpr const char16_t* kFormLoaderProgId = u"OrvaFormText.FormLoader";
inline constexpr const char16_t* kTextFormatterProgId = u"Nexo.TextFormatter";

struct ModuleState {
    automation::Text currentLanguage;  // empty until known, then fixed (see Texts.h)
    automation::ObjectRef stringLoader;
    automation::ObjectRef formLoader;
    automation::ObjectRef textFormatter;
};

// This thread's module state. Lives until the thread ends or ResetModuleState (Texts.h) clears it.
ModuleState& ThisThreadState();

// This thread's text formatter, created on first need and kept; the publish-list code formats with the
// same instance as FormatText. Raises what creating "Nexo.TextFormatter" raises.
automation::ObjectRef HeldTextFormatter();

}  // namespace orva::hostctx
