#pragma once
// OrvaFormText.FormLoader: the suite's form-resource component. SetFrmFont gives a dialog the font of a
// language, chosen among the fonts installed on the machine.
//
// The dialog contract: any object whose properties FontName (text) and FontSize (points, a double) can
// be let by name. The dialog models expose them; their views apply them to the widgets.
//
// Choice of the font, by language code (compared without regard to letter case):
//   "CHT"          Traditional Chinese: Noto Sans CJK TC, Source Han Sans TC, AR PL UMing TW,
//                  WenQuanYi Micro Hei, WenQuanYi Zen Hei; 9 points
//   "EN"           Latin: DejaVu Sans, Liberation Sans, Noto Sans; 8 points, so that the longer English
//                  captions fit the controls laid out for the Chinese texts
//   anything else  Simplified Chinese: SimSun (宋体, the dialogs' design font), Noto Sans CJK SC,
//                  Source Han Sans SC, WenQuanYi Micro Hei, WenQuanYi Zen Hei, AR PL UMing CN; 9 points. An
//                  empty or unknown code gets these because the texts are then shown as written, in
//                  Simplified Chinese.
// The first installed family of the list wins. When none is installed, the first (by name) installed
// family that covers the language's characters is taken, and when there is none either, the generic
// family "Sans Serif", which the font configuration resolves to whatever it has.

#include <memory>
#include <vector>

#include "automation/Object.h"

namespace orva::components {

enum class FontScript { SimplifiedChinese, TraditionalChinese, Latin };

struct DialogFont {
    automation::Text family;
    double pointSize = 9;
    bool operator==(const DialogFont&) const = default;
};

// The fonts installed on the machine. An interface so tests can pose as a machine with other fonts.
class FontInventory {
public:
    virtual ~FontInventory() = default;
    // True when a font of this family is installed (names compared without regard to letter case).
    virtual bool HasFamily(automation::TextView family) const = 0;
    // The installed families whose fonts cover the script's characters, sorted by name.
    virtual std::vector<automation::Text> FamiliesCovering(FontScript script) const = 0;
};

// The machine's fonts as fontconfig lists them, read once per process on first use. Never fails: a
// machine where fontconfig finds nothing has no families.
std::shared_ptr<const FontInventory> SystemFonts();

// The script whose font a language code gets (see above).
FontScript ScriptForLanguage(automation::TextView language);

// The preferred families of a script, in order of preference.
const std::vector<automation::Text>& PreferredFamilies(FontScript script);

// The font for the script among the fonts of the inventory (see above for the rules).
DialogFont ChooseDialogFont(FontScript script, const FontInventory& fonts);

// The script of a Windows character-set number: 134 (GB2312) Simplified and 136 (Big5) Traditional
// Chinese, every other one Latin.
FontScript ScriptForCharset(int32_t charset);

// The family to show for a requested one: itself when installed, else the family ChooseDialogFont
// gives the script. Never empty.
automation::Text InstalledFamily(automation::TextView requested, FontScript script,
                                 const FontInventory& fonts);

class FormLoader : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaFormText.FormLoader";

    explicit FormLoader(std::shared_ptr<const FontInventory> fonts = SystemFonts());

    // Lets the dialog's FontName and then its FontSize to the font of the language. Raises 91 when
    // dialog is nothing; whatever letting a property raises (438 for a dialog without it) passes through.
    void SetFrmFont(const automation::ObjectRef& dialog, automation::TextView language) const;

    automation::Text TypeName() const override { return u"FormLoader"; }
    // By name: SetFrmFont(dialog, language), both by reference and left unchanged.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    std::shared_ptr<const FontInventory> m_fonts;
};

}  // namespace orva::components
