// The form loader: which font a language gets, and how it reaches a dialog.

#include <gtest/gtest.h>

#include <cstdio>
#include <set>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "automation/TextHelpers.h"
#include "services/FormLoader.h"

namespace orva::components {
namespace {

using namespace automation;

// A machine with the given fonts.
class FakeFonts : public FontInventory {
public:
    FakeFonts(std::set<Text> families, std::vector<Text> chinese)
        : m_families(std::move(families)), m_chinese(std::move(chinese)) {}
    bool HasFamily(TextView family) const override {
        for (const Text& installed : m_families) {
            if (EqualsNoCase(installed, family)) return true;
        }
        return false;
    }
    std::vector<Text> FamiliesCovering(FontScript script) const override {
        return script == FontScript::Latin ? std::vector<Text>() : m_chinese;
    }

private:
    std::set<Text> m_families;
    std::vector<Text> m_chinese;
};

// The dialog contract: FontName and FontSize, let by name.
class FakeDialog : public Object {
public:
    Text fontName = u"宋体";
    double fontSize = 9;
    std::vector<Text> lets;

    Text TypeName() const override { return u"FakeDialog"; }
    Variant Invoke(TextView name, CallKind kind, std::span<Variant> args) override {
        if (kind == CallKind::PropertyLet && MemberIs(name, u"FontName")) {
            fontName = args[0].ToText();
        } else if (kind == CallKind::PropertyLet && MemberIs(name, u"FontSize")) {
            fontSize = args[0].ToDouble();
        } else {
            RaiseNoSuchMember(*this, name);
        }
        lets.emplace_back(name);
        return {};
    }
};

TEST(FormLoader, ChoosesTheFirstInstalledPreferredFamilyOfTheLanguage) {
    auto fonts = std::make_shared<FakeFonts>(
        std::set<Text>{u"wenquanyi micro hei", u"AR PL UMing TW", u"Liberation Sans"}, std::vector<Text>{});
    EXPECT_EQ(ChooseDialogFont(FontScript::SimplifiedChinese, *fonts),
              (DialogFont{u"WenQuanYi Micro Hei", 9}));
    EXPECT_EQ(ChooseDialogFont(FontScript::TraditionalChinese, *fonts), (DialogFont{u"AR PL UMing TW", 9}));
    EXPECT_EQ(ChooseDialogFont(FontScript::Latin, *fonts), (DialogFont{u"Liberation Sans", 8}));
}

TEST(FormLoader, FallsBackToACoveringFamilyAndThenToTheGenericOne) {
    FakeFonts someChinese({u"Zhuque Fangsong"}, {u"Zhuque Fangsong"});
    EXPECT_EQ(ChooseDialogFont(FontScript::TraditionalChinese, someChinese).family, u"Zhuque Fangsong");
    EXPECT_EQ(ChooseDialogFont(FontScript::Latin, someChinese).family, u"Sans Serif");
    FakeFonts none({}, {});
    EXPECT_EQ(ChooseDialogFont(FontScript::SimplifiedChinese, none), (DialogFont{u"Sans Serif", 9}));
}

// What a view shows for the dialogs' design font 宋体 (GB2312) or for another family and charset.
TEST(FormLoader, InstalledFamilyKeepsAnInstalledRequestAndElseFallsBackByCharset) {
    const FakeFonts withSimSun({u"SimSun", u"宋体", u"WenQuanYi Micro Hei"}, {u"WenQuanYi Micro Hei"});
    const FakeFonts cjkOnly({u"WenQuanYi Micro Hei", u"DejaVu Sans"}, {u"WenQuanYi Micro Hei"});
    const FakeFonts none({}, {});
    struct Case {
        const FakeFonts& fonts;
        Text requested;
        int32_t charset;
        Text shown;
    };
    const Case cases[] = {
        {withSimSun, u"宋体", 134, u"宋体"},
        {cjkOnly, u"宋体", 134, u"WenQuanYi Micro Hei"},
        {cjkOnly, u"宋体", 136, u"WenQuanYi Micro Hei"},  // Big5: a Traditional one, else any covering
        {cjkOnly, u"宋体", 0, u"DejaVu Sans"},
        {cjkOnly, u"dejavu sans", 134, u"dejavu sans"},
        {cjkOnly, u"", 134, u"WenQuanYi Micro Hei"},
        {none, u"宋体", 134, u"Sans Serif"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(InstalledFamily(c.requested, ScriptForCharset(c.charset), c.fonts), c.shown)
            << ToUtf8(c.requested) << " " << c.charset;
    }
    // A machine with the design font gives it to Simplified Chinese dialogs.
    EXPECT_EQ(ChooseDialogFont(FontScript::SimplifiedChinese, withSimSun), (DialogFont{u"SimSun", 9}));
}

TEST(FormLoader, MapsLanguagesToScripts) {
    EXPECT_EQ(ScriptForLanguage(u"cht"), FontScript::TraditionalChinese);
    EXPECT_EQ(ScriptForLanguage(u"En"), FontScript::Latin);
    EXPECT_EQ(ScriptForLanguage(u"CHS"), FontScript::SimplifiedChinese);
    EXPECT_EQ(ScriptForLanguage(u""), FontScript::SimplifiedChinese) << "texts are then shown as written";
    EXPECT_EQ(ScriptForLanguage(u"FR"), FontScript::SimplifiedChinese);
}

TEST(FormLoader, SetFrmFontLetsFontNameAndFontSizeByName) {
    auto loader = std::make_shared<FormLoader>(std::make_shared<FakeFonts>(
        std::set<Text>{u"Noto Sans CJK TC", u"DejaVu Sans"}, std::vector<Text>{}));
    auto dialog = std::make_shared<FakeDialog>();
    std::vector<Variant> args{Variant(dialog), Variant(u"cht")};
    CallByName(loader, u"SetFrmFont", args);
    EXPECT_EQ(dialog->fontName, u"Noto Sans CJK TC");
    EXPECT_EQ(dialog->lets, (std::vector<Text>{u"FontName", u"FontSize"}));
    EXPECT_EQ(args[1], Variant(u"cht"));
    loader->SetFrmFont(dialog, u"EN");
    EXPECT_EQ(dialog->fontName, u"DejaVu Sans");
    EXPECT_EQ(dialog->fontSize, 8);
}

TEST(FormLoader, SetFrmFontFailsOnNothingAndOnObjectsWithoutAFont) {
    ObjectRef loader = CreateObject(u"OrvaFormText.FormLoader");
    try {
        CallMethod(loader, u"SetFrmFont", {Variant(nullptr), Variant(u"CHS")});
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kObjectNotSet);
    }
    try {
        CallMethod(loader, u"SetFrmFont", {Variant(CreateObject(u"Nexo.Vector")), Variant(u"CHS")});
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kNoSuchMember);
    }
}

TEST(FormLoader, TheMachinesFontsGiveAnInstalledOrTheGenericFamily) {
    auto fonts = SystemFonts();
    for (FontScript script :
         {FontScript::SimplifiedChinese, FontScript::TraditionalChinese, FontScript::Latin}) {
        DialogFont font = ChooseDialogFont(script, *fonts);
        EXPECT_TRUE(font.family == u"Sans Serif" || fonts->HasFamily(font.family)) << ToUtf8(font.family);
    }
    if (fonts->HasFamily(u"DejaVu Sans")) {
        EXPECT_EQ(ChooseDialogFont(FontScript::Latin, *fonts).family, u"DejaVu Sans");
    }
    // fontconfig is opened on demand: the fonts it lists for Latin text must all reach the inventory.
    std::string listed;
    if (FILE* list = popen("fc-list :lang=en family 2>/dev/null", "r")) {
        for (int c; (c = std::fgetc(list)) != EOF;) listed += static_cast<char>(c);
        pclose(list);
    }
    EXPECT_EQ(listed.empty(), fonts->FamiliesCovering(FontScript::Latin).empty()) << listed;
}

}  // namespace
}  // namespace orva::components
