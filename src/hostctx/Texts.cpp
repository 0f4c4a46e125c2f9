#include "hostctx/Texts.h"

#include <vector>

#include "automation/ClassRegistry.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "hostctx/ModuleState.h"
#include "hostctx/SharedProperties.h"

namespace orva::hostctx {

using namespace automation;

namespace {

// A copy of the caller's pending error, taken only when there is one (number not zero), and put back
// field by field with the number last.
class SavedPendingError {
public:
    SavedPendingError() {
        if (PendingError().number != 0) {
            m_saved = PendingError();
            m_taken = true;
        }
    }

    void Restore() const {
        if (!m_taken) return;
        ErrorRecord& pending = PendingError();
        pending.description = m_saved.description;
        pending.helpContext = m_saved.helpContext;
        pending.helpFile = m_saved.helpFile;
        pending.source = m_saved.source;
        pending.number = m_saved.number;
    }

private:
    ErrorRecord m_saved;
    bool m_taken = false;
};

// Fetches the language from the shared property "Language" while it is not known; an empty answer
// leaves it empty, so the next call asks again. Failures reach the caller.
void LearnLanguage(ModuleState& state) {
    if (state.currentLanguage.empty()) state.currentLanguage = GetSharedProperty(u"Language").ToText();
}

ObjectRef HeldStringLoader(ModuleState& state) {
    if (!state.stringLoader) state.stringLoader = CreateObject(kStringLoaderProgId);
    return state.stringLoader;
}

void KeepBaseName(const ObjectRef& loader) {
    if (GetProperty(loader, u"ResFileBaseName").ToText() != kResFileBaseName) {
        LetProperty(loader, u"ResFileBaseName", Text(kResFileBaseName));
    }
}

// Looks up the text without its lead and trail spaces (U+0020 only) and puts them back around the
// answer. A text of spaces only is all trail: the loader is asked for the empty key.
Text LookUpKeepingSpaces(const ObjectRef& loader, const Text& text) {
    size_t first = text.find_first_not_of(u' ');
    Text lead, core, trail;
    if (first == Text::npos) {
        trail = text;
    } else {
        size_t last = text.find_last_not_of(u' ');
        lead = text.substr(0, first);
        core = text.substr(first, last - first + 1);
        trail = text.substr(last + 1);
    }
    std::vector<Variant> args{Variant(std::move(core))};  // the key goes by reference
    return lead + CallByName(loader, u"LoadString", args).ToText() + trail;
}

}  // namespace

// Trap and end: any failure while learning the language or looking up gives the text unchanged and is
// dropped without a message; the caller's pending error is put back in every case.
Text TranslateText(const Text& text) {
    SavedPendingError saved;
    Text result;
    bool translated = TrapAndEnd([&] {
        ModuleState& state = ThisThreadState();
        LearnLanguage(state);
        if (state.currentLanguage == kUntranslatedLanguage) {
            result = text;
        } else {
            ObjectRef loader = HeldStringLoader(state);
            // TranslateTextTo may have left the shared loader in another language: check both
            // properties before every lookup, and write them only when they differ.
            KeepBaseName(loader);
            if (GetProperty(loader, u"LanguageID").ToText() != state.currentLanguage) {
                LetProperty(loader, u"LanguageID", state.currentLanguage);
            }
            result = LookUpKeepingSpaces(loader, text);
        }
    });
    if (!translated) result = text;
    saved.Restore();
    return result;
}

// Pass mode: failures of the loader reach the caller (the pending error is then not put back; the
// failure itself is what the caller handles).
Text TranslateTextTo(const Variant& text, const Text& language) {
    Text plain = text.ToText();
    Text upperLanguage = UCase(language);
    if (upperLanguage == kUntranslatedLanguage) return plain;

    SavedPendingError saved;
    ObjectRef loader = HeldStringLoader(ThisThreadState());
    KeepBaseName(loader);
    LetProperty(loader, u"LanguageID", upperLanguage);
    Text result = LookUpKeepingSpaces(loader, plain);
    saved.Restore();
    return result;
}

namespace {

Text FormatWith(Text translated, const VariantArray& arguments) {
    // The formatter gets its own copy of the arguments (same bounds): it takes them by reference and
    // must not be able to change the caller's array.
    auto copy = std::make_shared<VariantArray>(VariantArray{arguments.lowerBound, arguments.items});
    ObjectRef formatter = HeldTextFormatter();
    std::vector<Variant> args{Variant(std::move(translated)), Variant(ArrayRef(std::move(copy)))};
    return CallByName(formatter, u"Format", args).ToText();
}

}  // namespace

// Pass mode.
Text FormatText(const Text& pattern, const VariantArray& arguments) {
    return FormatWith(TranslateText(pattern), arguments);
}

Text FormatText(const Text& pattern, std::initializer_list<Variant> arguments) {
    return FormatText(pattern, VariantArray{0, std::vector<Variant>(arguments)});
}

Text FormatTranslatedText(const Text& translatedPattern, std::initializer_list<Variant> arguments) {
    return FormatWith(translatedPattern, VariantArray{0, std::vector<Variant>(arguments)});
}

// Ignored failures: a language that cannot be fetched stays unknown, and the next caller asks again.
Text LearnCurrentLanguage() {
    ModuleState& state = ThisThreadState();
    RunIgnoring([&] { LearnLanguage(state); });
    return state.currentLanguage;
}

// Skip mode: each step that fails is passed over and the next runs; a dialog whose font cannot be set
// keeps its own. The failures are not recorded: this operation never fails.
void ApplyFormFont(const ObjectRef& dialog) {
    ModuleState& state = ThisThreadState();
    RunIgnoring([&] { LearnLanguage(state); });
    RunIgnoring([&] {
        if (!state.formLoader) state.formLoader = CreateObject(kFormLoaderProgId);
    });
    RunIgnoring([&] {
        std::vector<Variant> args{Variant(dialog), Variant(state.currentLanguage)};
        CallByName(state.formLoader, u"SetFrmFont", args);
    });
}

}  // namespace orva::hostctx
