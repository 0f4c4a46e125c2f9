// The text services: language, lookups through the held string loader, formatting, dialog fonts.

#include <gtest/gtest.h>
#include <unistd.h>

#include <optional>
#include <thread>

#include "automation/PendingError.h"
#include "bag/TextFormatter.h"
#include "hostctx/FakeComponents.h"
#include "hostctx/ModuleState.h"
#include "hostctx/Texts.h"
#include "services/PropertyStore.h"
#include "services/StringLoader.h"

namespace orva::hostctx {
namespace {

using namespace automation;
using testing::FakeStringLoader;
using testing::InstalledFake;
using testing::ScriptedObject;

class TextsTest : public ::testing::Test {
protected:
    void SetUp() override {
        Withdraw();
        ResetModuleState();
        ClearPending();
    }
    void TearDown() override {
        Withdraw();
        ResetModuleState();
        ClearPending();
    }
    static void Withdraw() {
        components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
    }
    static void SetLanguage(const Text& language) { components::PublishOwnProperty(u"Language", language); }

    InstalledFake<FakeStringLoader> m_loader{kStringLoaderProgId, std::make_shared<FakeStringLoader>()};
};

TEST_F(TextsTest, ChsShowsTextsAsWrittenWithoutCreatingALoader) {
    SetLanguage(u"CHS");
    EXPECT_EQ(TranslateText(u"  发布 "), u"  发布 ");
    EXPECT_EQ(TranslateText(u""), u"");
    EXPECT_EQ(FormatText(u"%1-%2", {Variant(u"基础资料"), Variant(u"维护")}), u"基础资料-维护");
    EXPECT_EQ(m_loader.Creations(), 0);
    EXPECT_EQ(CurrentLanguage(), u"CHS");
}

TEST_F(TextsTest, LooksUpTheCoreAndKeepsLeadAndTrailSpaces) {
    SetLanguage(u"EN");
    EXPECT_EQ(TranslateText(u"  发布 "), u"  EN:发布 ");
    EXPECT_EQ(TranslateText(u"\t发布"), u"EN:\t发布");  // only U+0020 counts as a space
    EXPECT_EQ(TranslateText(u""), u"EN:");
    EXPECT_EQ(TranslateText(u"   "), u"EN:   ");  // all trail: the empty key is asked for
    EXPECT_EQ(m_loader->Lookups(), (std::vector<std::u16string>{u"LoadString(发布)", u"LoadString(\t发布)",
                                                                u"LoadString()", u"LoadString()"}));
    EXPECT_EQ(m_loader.Creations(), 1);
}

TEST_F(TextsTest, EachLookupChecksBothPropertiesAndWritesOnlyWhatDiffers) {
    SetLanguage(u"EN");
    TranslateText(u"发布");
    EXPECT_EQ(m_loader->log,
              (std::vector<std::u16string>{u"get ResFileBaseName", u"let ResFileBaseName=OrvaDesign",
                                           u"get LanguageID", u"let LanguageID=EN", u"LoadString(发布)"}));
    m_loader->log.clear();
    TranslateText(u"维护");
    EXPECT_EQ(m_loader->log,
              (std::vector<std::u16string>{u"get ResFileBaseName", u"get LanguageID", u"LoadString(维护)"}));
}

TEST_F(TextsTest, TranslateTextRestoresTheLanguageThatTranslateTextToLeftBehind) {
    SetLanguage(u"EN");
    EXPECT_EQ(TranslateTextTo(Variant(u" 发布"), u"cht"), u" CHT:发布");
    EXPECT_EQ(m_loader->languageId, u"CHT");
    m_loader->log.clear();
    EXPECT_EQ(TranslateText(u"发布"), u"EN:发布");
    EXPECT_EQ(m_loader->log, (std::vector<std::u16string>{u"get ResFileBaseName", u"get LanguageID",
                                                          u"let LanguageID=EN", u"LoadString(发布)"}));
}

TEST_F(TextsTest, TranslateTextToSetsTheLanguageEveryTimeAndLeavesChsAlone) {
    EXPECT_EQ(TranslateTextTo(Variant(u"  发布 "), u"chs"), u"  发布 ");
    EXPECT_EQ(TranslateTextTo(Variant(int32_t{12}), u"CHS"), u"12");
    EXPECT_EQ(m_loader.Creations(), 0);

    TranslateTextTo(Variant(u"发布"), u"EN");
    m_loader->log.clear();
    TranslateTextTo(Variant(u"发布"), u"en");
    EXPECT_EQ(m_loader->log, (std::vector<std::u16string>{u"get ResFileBaseName", u"let LanguageID=EN",
                                                          u"LoadString(发布)"}));
    EXPECT_EQ(CurrentLanguage(), u"") << "TranslateTextTo does not learn the current language";
}

TEST_F(TextsTest, WithoutALanguagePropertyEveryCallAsksAgainAndStillLooksUp) {
    int reads = 0;
    auto store = std::make_shared<ScriptedObject>([&](TextView, CallKind, std::span<Variant> args) {
        if (args[1].ToText() == u"Language") ++reads;
        return Variant();
    });
    InstalledFake<ScriptedObject> installed(u"OrvaShare.PropertyStore", store);
    EXPECT_EQ(TranslateText(u"发布"), u":发布");
    EXPECT_EQ(TranslateText(u"发布"), u":发布");
    EXPECT_EQ(reads, 4) << "two GetProperty calls per read, one read per TranslateText";
    EXPECT_EQ(CurrentLanguage(), u"");
}

TEST_F(TextsTest, TheLanguageIsLearnedOnceAndThenFixed) {
    SetLanguage(u"EN");
    TranslateText(u"发布");
    SetLanguage(u"CHT");
    EXPECT_EQ(TranslateText(u"发布"), u"EN:发布");
    EXPECT_EQ(CurrentLanguage(), u"EN");
}

TEST_F(TextsTest, FailuresGiveTheTextUnchangedFromTranslateTextAndReachTheCallerOfTranslateTextTo) {
    SetLanguage(u"EN");
    {
        automation::ScopedClassOverride noLoader(kStringLoaderProgId, nullptr);
        EXPECT_EQ(TranslateText(u" 发布"), u" 发布");
        try {
            TranslateTextTo(Variant(u"发布"), u"EN");
            FAIL() << "TranslateTextTo must fail without a loader";
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), errors::kCannotCreateObject);
        }
    }
    m_loader->onLoadString = [] { Raise(errors::kFileNotFound); };
    EXPECT_EQ(TranslateText(u" 发布"), u" 发布");
    EXPECT_THROW(TranslateTextTo(Variant(u"发布"), u"CHT"), AutomationError);
    EXPECT_EQ(PendingError().number, 0) << "a trapped failure is dropped, not recorded";
}

TEST_F(TextsTest, TheCallersPendingErrorSurvivesLookupsInAllFiveFields) {
    SetLanguage(u"EN");
    const ErrorRecord reported{91, u"Object variable not set", u"OrvaData", u"orva.chm", 4711};
    PendingError() = reported;
    // A loader that leaves an error of its own behind, as a component may do.
    m_loader->onLoadString = [] { RecordPending(AutomationError(5, u"inner", u"loader", u"x.hlp", 1)); };
    EXPECT_EQ(TranslateText(u"功能发布失败(%1)!"), u"EN:功能发布失败(%1)!");
    EXPECT_EQ(PendingError(), reported);
    EXPECT_EQ(TranslateTextTo(Variant(u"发布"), u"CHT"), u"CHT:发布");
    EXPECT_EQ(PendingError(), reported);

    m_loader->onLoadString = [] {
        RecordPending(AutomationError(5, u"inner"));
        Raise(errors::kFileNotFound);
    };
    EXPECT_EQ(TranslateText(u"发布"), u"发布");
    EXPECT_EQ(PendingError(), reported);
}

TEST_F(TextsTest, FormatTextTranslatesThePatternAndHandsTheFormatterACopyOfTheArguments) {
    SetLanguage(u"EN");
    const VariantArray* seen = nullptr;
    VariantArray seenCopy;
    auto formatter = std::make_shared<ScriptedObject>([&](TextView name, CallKind, std::span<Variant> args) {
        EXPECT_TRUE(MemberIs(name, u"Format"));
        seen = &args[1].ToArray();
        seenCopy = *seen;
        Text result = components::TextFormatter().Format(args[0].ToText(), args[1].ToArray());
        args[1] = Variant(u"changed by the formatter");  // a by-reference argument may be written
        return Variant(result);
    });
    InstalledFake<ScriptedObject> installed(kTextFormatterProgId, formatter);

    const VariantArray arguments{1, {Variant(u"甲"), Variant(int32_t{2})}};
    EXPECT_EQ(FormatText(u"%1失败(%2)!", arguments), u"EN:甲失败(2)!");
    EXPECT_NE(seen, &arguments);
    EXPECT_EQ(seenCopy.lowerBound, 1);
    EXPECT_EQ(seenCopy.items, arguments.items);
    EXPECT_EQ(arguments.items[0], Variant(u"甲"));

    FormatText(u"%1", {Variant(u"x")});
    EXPECT_EQ(installed.Creations(), 1) << "the formatter is created once and held";
    EXPECT_EQ(HeldTextFormatter(), formatter);
}

TEST_F(TextsTest, FormatTextPassesFailuresOn) {
    SetLanguage(u"CHS");
    {
        automation::ScopedClassOverride noFormatter(kTextFormatterProgId, nullptr);
        EXPECT_THROW(FormatText(u"%1", {Variant(u"x")}), AutomationError);
    }
    try {
        FormatText(u"%1", {Variant(ObjectRef(std::make_shared<FakeStringLoader>()))});
        FAIL() << "an object argument cannot be formatted";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kTypeMismatch);
    }
}

TEST_F(TextsTest, ApplyFormFontHandsTheDialogAndTheLanguageToTheHeldFormLoader) {
    SetLanguage(u"CHT");
    std::vector<std::pair<ObjectRef, Text>> calls;
    auto formLoader = std::make_shared<ScriptedObject>([&](TextView name, CallKind, std::span<Variant> args) {
        EXPECT_TRUE(MemberIs(name, u"SetFrmFont"));
        calls.emplace_back(args[0].ToObject(), args[1].ToText());
        return Variant();
    });
    InstalledFake<ScriptedObject> installed(kFormLoaderProgId, formLoader);
    auto dialog =
        std::make_shared<ScriptedObject>([](TextView, CallKind, std::span<Variant>) { return Variant(); });

    ApplyFormFont(dialog);
    ApplyFormFont(dialog);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].first, dialog);
    EXPECT_EQ(calls[0].second, u"CHT");
    EXPECT_EQ(installed.Creations(), 1);
    EXPECT_EQ(CurrentLanguage(), u"CHT") << "ApplyFormFont learns the language too";
}

TEST_F(TextsTest, ApplyFormFontIgnoresEveryFailureAndLeavesThePendingErrorAlone) {
    const ErrorRecord reported{13, u"Type mismatch", u"", u"", 0};
    PendingError() = reported;
    {
        automation::ScopedClassOverride noStore(u"OrvaShare.PropertyStore", nullptr);
        automation::ScopedClassOverride noLoader(kFormLoaderProgId, nullptr);
        EXPECT_NO_THROW(ApplyFormFont(nullptr));
    }
    // The real form loader on a dialog without font properties, and on nothing.
    SetLanguage(u"EN");
    auto plain = std::make_shared<ScriptedObject>([](TextView name, CallKind, std::span<Variant>) -> Variant {
        Raise(errors::kNoSuchMember, Text(name));
    });
    EXPECT_NO_THROW(ApplyFormFont(plain));
    EXPECT_NO_THROW(ApplyFormFont(nullptr));
    EXPECT_EQ(PendingError(), reported);
}

TEST_F(TextsTest, EveryThreadHasItsOwnModuleState) {
    SetLanguage(u"EN");
    TranslateText(u"发布");
    Text otherThreadLanguage = u"unset";
    std::thread other([&] { otherThreadLanguage = CurrentLanguage(); });
    other.join();
    EXPECT_EQ(otherThreadLanguage, u"");
    EXPECT_EQ(CurrentLanguage(), u"EN");
}

// The real string loader with the translation files of the source tree.
class RealTextsTest : public TextsTest {
protected:
    void SetUp() override {
        TextsTest::SetUp();
        m_real.emplace(kStringLoaderProgId, [] { return ObjectRef(components::StringLoader::Create()); });
    }
    void TearDown() override {
        m_real.reset();
        TextsTest::TearDown();
    }
    std::optional<automation::ScopedClassOverride> m_real;
};

TEST_F(RealTextsTest, TranslatesIntoEnglishAndTraditionalChinese) {
    SetLanguage(u"EN");
    EXPECT_EQ(TranslateText(u"  功能发布完毕！ "), u"  Publishing of functions completed. ");
    EXPECT_EQ(FormatText(u"创建主系统%1成功!", {Variant(u"财务会计")}), u"Created system 财务会计.");
    EXPECT_EQ(TranslateText(u"没有这个键"), u"没有这个键");
    EXPECT_EQ(TranslateTextTo(Variant(u"[%1] 发布到: [%2.%3.%4]"), u"CHT"), u"[%1] 發佈到: [%2.%3.%4]");
    EXPECT_EQ(TranslateText(u"发布"), u"Publish");
}

}  // namespace
}  // namespace orva::hostctx
