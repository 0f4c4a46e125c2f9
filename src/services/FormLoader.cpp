#include "services/FormLoader.h"

#include <dlfcn.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <type_traits>

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "services/LeakCheckPause.h"

namespace orva::components {

using namespace automation;

namespace {

constexpr const char16_t* kGenericFamily = u"Sans Serif";

// fontconfig's language tag for the characters of a script.
const char* LanguageTag(FontScript script) {
    switch (script) {
        case FontScript::SimplifiedChinese:
            return "zh-cn";
        case FontScript::TraditionalChinese:
            return "zh-tw";
        case FontScript::Latin:
            break;
    }
    return "en";
}

// The few fontconfig functions the inventory calls, found in libfontconfig when the inventory is
// first made rather than linked: fontconfig and what it pulls in (FreeType, libpng, zlib, Brotli,
// Expat) would otherwise be loaded by every program start, also by commands that show no dialog.
struct Fontconfig {
    decltype(&FcObjectSetBuild) objectSetBuild;
    decltype(&FcObjectSetDestroy) objectSetDestroy;
    decltype(&FcFontList) fontList;
    decltype(&FcFontSetDestroy) fontSetDestroy;
    decltype(&FcPatternGetString) patternGetString;
    decltype(&FcPatternCreate) patternCreate;
    decltype(&FcPatternDestroy) patternDestroy;
    decltype(&FcPatternAddLangSet) patternAddLangSet;
    decltype(&FcLangSetCreate) langSetCreate;
    decltype(&FcLangSetAdd) langSetAdd;
    decltype(&FcLangSetDestroy) langSetDestroy;

    // The functions of the library, loaded for the life of the process (it keeps its configuration);
    // null when it cannot be loaded or lacks one of them, and the inventory is then empty.
    static const Fontconfig* Load() {
        static const std::optional<Fontconfig> loaded = []() -> std::optional<Fontconfig> {
            void* library = dlopen("libfontconfig.so.1", RTLD_NOW | RTLD_LOCAL);
            if (!library) return std::nullopt;
            Fontconfig f{};
            bool complete = true;
            auto find = [&](auto& entry, const char* name) {
                entry = reinterpret_cast<std::remove_reference_t<decltype(entry)>>(dlsym(library, name));
                complete = complete && entry != nullptr;
            };
            find(f.objectSetBuild, "FcObjectSetBuild");
            find(f.objectSetDestroy, "FcObjectSetDestroy");
            find(f.fontList, "FcFontList");
            find(f.fontSetDestroy, "FcFontSetDestroy");
            find(f.patternGetString, "FcPatternGetString");
            find(f.patternCreate, "FcPatternCreate");
            find(f.patternDestroy, "FcPatternDestroy");
            find(f.patternAddLangSet, "FcPatternAddLangSet");
            find(f.langSetCreate, "FcLangSetCreate");
            find(f.langSetAdd, "FcLangSetAdd");
            find(f.langSetDestroy, "FcLangSetDestroy");
            if (!complete) return std::nullopt;
            return f;
        }();
        return loaded ? &*loaded : nullptr;
    }
};

// Every family name of the fonts matching pattern, as fontconfig gives them (a font may have several,
// e.g. a Latin and a Chinese name).
std::set<Text> ListFamilies(const Fontconfig& fc, FcPattern* pattern) {
    std::set<Text> families;
    FcObjectSet* wanted = fc.objectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = fc.fontList(nullptr, pattern, wanted);
    fc.objectSetDestroy(wanted);
    if (fonts == nullptr) return families;
    for (int i = 0; i < fonts->nfont; ++i) {
        FcChar8* name = nullptr;
        for (int n = 0; fc.patternGetString(fonts->fonts[i], FC_FAMILY, n, &name) == FcResultMatch; ++n) {
            // Ignored: a family name that is not UTF-8 cannot be chosen anyway.
            RunIgnoring([&] { families.insert(FromUtf8(reinterpret_cast<const char*>(name))); });
        }
    }
    fc.fontSetDestroy(fonts);
    return families;
}

class FontconfigInventory : public FontInventory {
public:
    FontconfigInventory() {
        LeakCheckPause pause;  // fontconfig keeps its configuration for the life of the process
        const Fontconfig* fc = Fontconfig::Load();
        if (!fc) return;
        FcPattern* all = fc->patternCreate();
        for (const Text& family : ListFamilies(*fc, all)) m_upperFamilies.insert(UCase(family));
        fc->patternDestroy(all);
        for (FontScript script :
             {FontScript::SimplifiedChinese, FontScript::TraditionalChinese, FontScript::Latin}) {
            FcPattern* pattern = fc->patternCreate();
            FcLangSet* languages = fc->langSetCreate();
            fc->langSetAdd(languages, reinterpret_cast<const FcChar8*>(LanguageTag(script)));
            fc->patternAddLangSet(pattern, FC_LANG, languages);
            fc->langSetDestroy(languages);
            std::set<Text> covering = ListFamilies(*fc, pattern);
            fc->patternDestroy(pattern);
            m_covering[script] = std::vector<Text>(covering.begin(), covering.end());
        }
    }

    bool HasFamily(TextView family) const override { return m_upperFamilies.contains(UCase(family)); }

    std::vector<Text> FamiliesCovering(FontScript script) const override {
        auto found = m_covering.find(script);
        return found == m_covering.end() ? std::vector<Text>() : found->second;
    }

private:
    std::set<Text> m_upperFamilies;
    std::map<FontScript, std::vector<Text>> m_covering;
};

}  // namespace

std::shared_ptr<const FontInventory> SystemFonts() {
    // Listing the fonts takes a few milliseconds; the machine's fonts do not change under a dialog.
    static const std::shared_ptr<const FontInventory> fonts = std::make_shared<FontconfigInventory>();
    return fonts;
}

FontScript ScriptForLanguage(TextView language) {
    Text upper = UCase(language);
    if (upper == u"CHT") return FontScript::TraditionalChinese;
    if (upper == u"EN") return FontScript::Latin;
    return FontScript::SimplifiedChinese;
}

const std::vector<Text>& PreferredFamilies(FontScript script) {
    static const std::vector<Text> simplified{u"SimSun",
                                              u"Noto Sans CJK SC",
                                              u"Source Han Sans SC",
                                              u"WenQuanYi Micro Hei",
                                              u"WenQuanYi Zen Hei",
                                              u"AR PL UMing CN"};
    static const std::vector<Text> traditional{u"Noto Sans CJK TC", u"Source Han Sans TC", u"AR PL UMing TW",
                                               u"WenQuanYi Micro Hei", u"WenQuanYi Zen Hei"};
    static const std::vector<Text> latin{u"DejaVu Sans", u"Liberation Sans", u"Noto Sans"};
    switch (script) {
        case FontScript::SimplifiedChinese:
            return simplified;
        case FontScript::TraditionalChinese:
            return traditional;
        case FontScript::Latin:
            break;
    }
    return latin;
}

DialogFont ChooseDialogFont(FontScript script, const FontInventory& fonts) {
    double size = script == FontScript::Latin ? 8 : 9;
    for (const Text& family : PreferredFamilies(script)) {
        if (fonts.HasFamily(family)) return {family, size};
    }
    std::vector<Text> covering = fonts.FamiliesCovering(script);
    if (!covering.empty()) return {covering.front(), size};
    return {kGenericFamily, size};
}

FontScript ScriptForCharset(int32_t charset) {
    constexpr int32_t kGb2312 = 134;
    constexpr int32_t kBig5 = 136;
    if (charset == kGb2312) return FontScript::SimplifiedChinese;
    if (charset == kBig5) return FontScript::TraditionalChinese;
    return FontScript::Latin;
}

Text InstalledFamily(TextView requested, FontScript script, const FontInventory& fonts) {
    if (!requested.empty() && fonts.HasFamily(requested)) return Text(requested);
    return ChooseDialogFont(script, fonts).family;
}

FormLoader::FormLoader(std::shared_ptr<const FontInventory> fonts) : m_fonts(std::move(fonts)) {}

void FormLoader::SetFrmFont(const ObjectRef& dialog, TextView language) const {
    if (!dialog) RaiseObjectNotSet(u"a dialog");
    DialogFont font = ChooseDialogFont(ScriptForLanguage(language), *m_fonts);
    LetProperty(dialog, u"FontName", font.family);
    LetProperty(dialog, u"FontSize", font.pointSize);
}

Variant FormLoader::Invoke(TextView name, CallKind kind, std::span<Variant> args) {
    // clang-format off
    static constexpr Member<FormLoader> kMembers[] = {
        {.name = u"SetFrmFont", .kinds = kMethodCall, .minArgs = 2, .maxArgs = 2,
         .call = [](FormLoader& f, Args a) -> Variant {
             f.SetFrmFont(a[0].ToObject(), a[1].ToText());
             return {};
         }},
    };
    // clang-format on
    return InvokeMember(*this, kMembers, name, kind, args);
}

}  // namespace orva::components
