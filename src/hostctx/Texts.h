#pragma once
// Localised texts. Every text the library shows or writes for a person is written as its Simplified
// Chinese wording, which is also the key under which the string loader ("OrvaText.StringLoader",
// resource base name "OrvaDesign") gives the text in another language. "CHS" texts are shown as
// written, with no lookup.
//
// Module state, one set per calling thread: the current language (empty until the first
// TranslateText or ApplyFormFont finds a "Language" property, then fixed), and the string loader,
// form loader and text formatter, each created on first need and kept for the life of the thread.

#include <initializer_list>

#include "automation/Object.h"
#include "automation/Variant.h"

namespace orva::hostctx {

// The text in the current language; lead and trail spaces (U+0020) are kept around the looked-up core.
// Never fails (a failure gives the text unchanged) and leaves the caller's pending error as it was.
automation::Text TranslateText(const automation::Text& text);

// The text in a named language (compared without regard to case; "CHS" gives the text unchanged).
// Keeps the caller's pending error; other failures reach the caller. Leaves the shared string loader
// set to that language.
automation::Text TranslateTextTo(const automation::Variant& text, const automation::Text& language);

// The pattern translated with TranslateText, then "%1", "%2", ... replaced by the arguments (the
// lower-bound element fills "%1"); the arguments are copied before the held formatter sees them.
// Failures reach the caller.
automation::Text FormatText(const automation::Text& pattern, const automation::VariantArray& arguments);
automation::Text FormatText(const automation::Text& pattern,
                            std::initializer_list<automation::Variant> arguments);
// FormatText of a pattern the caller has translated already (a handler that formats a thousand rows
// with one pattern translates it once).
automation::Text FormatTranslatedText(const automation::Text& translatedPattern,
                                      std::initializer_list<automation::Variant> arguments);

// Gives a dialog (any object with a settable font) the fonts of the current language through the
// form loader ("OrvaFormText.FormLoader"). Ignores every failure.
void ApplyFormFont(const automation::ObjectRef& dialog);

// The current language of this thread as it stands (empty when not yet known); does not fetch it.
automation::Text CurrentLanguage();

// The current language of this thread, fetched from the shared property "Language" first when not yet
// known (as the first TranslateText would). Never fails: a failing fetch leaves it unknown and gives
// the empty text; the caller's pending error stays as it was.
automation::Text LearnCurrentLanguage();

// Forgets this thread's module state (language and component references). For tests and for hosts
// that reuse a thread for another login.
void ResetModuleState();

}  // namespace orva::hostctx
