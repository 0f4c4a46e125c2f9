// The name input dialog played by a scripted user: the 80-unit limit, the message on every change,
// trimming, confirming, cancelling and closing, captions per language and the dialog font.

#include <gtest/gtest.h>

#include "automation/TextHelpers.h"
#include "dialogs/DialogTestSupport.h"
#include "dialogs/input/frmInput.h"
#include "support/ErrorNumber.h"

namespace orva::dialogs {
namespace {

using automation::Repeat;
using automation::Text;
using automation::Variant;

const MessageBoxRequest kTooLongChs{u"输入不能超过80个字符！", u"Tarvo提示", 48, {}};

struct InputRun {
    std::shared_ptr<ScriptedUi> ui = std::make_shared<ScriptedUi>();
    std::shared_ptr<frmInput> dialog = std::make_shared<frmInput>(ui);
};

// Shows a dialog with initial text, each step queued in turn.
InputRun Play(const Text& initial, std::vector<ModalStep> steps) {
    InputRun run;
    for (ModalStep& step : steps) run.ui->Enqueue(frmInput::kName, std::move(step));
    run.dialog->m_strText = initial;
    run.dialog->ShowModal();
    return run;
}

ModalStep Type(Text text) {
    return [text](DialogModel& d) { static_cast<frmInput&>(d).txtContent.SetText(text); };
}

TEST(frmInput, LimitIsEightyUnitsAfterTrimming) {
    testing::HostLanguage language(u"CHS");
    const Text han80 = Repeat(u'名', 80);
    const Text emoji40 = [] {
        Text t;
        for (int i = 0; i < 40; ++i) t += u"\U0001F600";  // a surrogate pair: two units each
        return t;
    }();
    struct Case {
        const char* what;
        Text typed;
        bool bOK;
        Text text;
        size_t messages;
    };
    const Case cases[] = {
        {"80 Chinese characters", han80, true, han80, 0},
        {"80 with spaces around", u"   " + han80 + u"  ", true, han80, 0},
        {"81 units", han80 + u"x", false, han80 + u"x", 2},  // once typing, once on cmdOK
        {"40 surrogate pairs are 80 units", emoji40, true, emoji40, 0},
        {"a tab is no space", u"\t" + han80, false, u"\t" + han80, 2},
        {"empty text", u"", true, u"", 0},
        {"only spaces", u"    ", true, u"", 0},
    };
    for (const Case& c : cases) {
        InputRun run = Play(u"旧名", {AnswerInput(c.typed, true)});
        EXPECT_EQ(run.dialog->bOK, c.bOK) << c.what;
        EXPECT_EQ(run.dialog->m_strText, c.text) << c.what;  // also after a refused cmdOK
        EXPECT_EQ(run.ui->Messages().size(), c.messages) << c.what;
        EXPECT_FALSE(run.dialog->IsShown()) << c.what;
    }
}

TEST(frmInput, WarnsOnEveryChangeWhileTooLongAlsoAtLoadAndKeepsTheText) {
    testing::HostLanguage language(u"CHS");
    const Text long81 = Repeat(u'a', 81);
    InputRun run =
        Play(long81, {Type(long81 + u"b"), Type(long81 + u"bc"), Type(u" " + Repeat(u'a', 80) + u" "),
                      Type(long81), AnswerInput(u"短", true)});
    // at load, "b", "bc", (fits: none), back to 81, then the answer fits
    EXPECT_EQ(run.ui->Messages(), std::vector<MessageBoxRequest>(4, kTooLongChs));
    EXPECT_TRUE(run.dialog->bOK);
    EXPECT_EQ(run.dialog->m_strText, u"短");

    InputRun typedPast = Play(u"", {Type(long81), Type(long81 + u"z")});
    EXPECT_EQ(typedPast.dialog->txtContent.Text(), long81 + u"z");  // neither cut nor undone
    EXPECT_EQ(typedPast.ui->Messages().size(), 2u);
}

TEST(frmInput, RefusedConfirmThenCancelOrCloseLeavesBOKFalse) {
    testing::HostLanguage language(u"CHS");
    const Text long81 = Repeat(u'x', 81);
    struct Case {
        const char* what;
        std::vector<ModalStep> steps;
        Text text;
    };
    Case cases[] = {
        {"refused, then cancel", {AnswerInput(u" " + long81, true), AnswerInput(u"ok", false)}, long81},
        {"refused, steps run out: window closed", {AnswerInput(long81, true)}, long81},
        {"nothing typed, closed", {}, u"初始"},
        {"typed, then closed", {Type(u"typed")}, u"初始"},
    };
    for (Case& c : cases) {
        InputRun run = Play(u"初始", std::move(c.steps));
        EXPECT_FALSE(run.dialog->bOK) << c.what;
        EXPECT_EQ(run.dialog->m_strText, c.text) << c.what;
        EXPECT_FALSE(run.dialog->IsShown()) << c.what;
    }
}

TEST(frmInput, CaptionsAndMessageFollowTheHostLanguage) {
    struct Case {
        Text language, form, prompt, ok, cancel, message, title;
    };
    const Case cases[] = {
        {u"CHS", u"修改", u"请输入内容：", u"确定(&O)", u"取消(&C)", u"输入不能超过80个字符！", u"Tarvo提示"},
        {u"EN", u"Edit", u"Enter text:", u"&OK", u"&Cancel", u"The text cannot be longer than 80 characters.",
         u"Tarvo Message"},
    };
    for (const Case& c : cases) {
        testing::HostLanguage language(c.language);
        InputRun run = Play(Repeat(u'x', 81), {});
        const frmInput& d = *run.dialog;
        EXPECT_EQ(
            (std::vector<Text>{d.Caption(), d.labText.Caption(), d.cmdOK.Caption(), d.cmdCancel.Caption()}),
            (std::vector<Text>{c.form, c.prompt, c.ok, c.cancel}));
        ASSERT_EQ(run.ui->Messages().size(), 1u);
        EXPECT_EQ(run.ui->Messages()[0], (MessageBoxRequest{c.message, c.title, 48, {}}));
        // ApplyFormFont reached the dialog through FontName: the machine's font replaces the design one.
        EXPECT_NE(d.FontName(), DialogModel::kDesignFontName);
    }
}

TEST(frmInput, MembersAndControlsByName) {
    testing::HostLanguage language(u"CHS");
    auto ui = std::make_shared<ScriptedUi>();
    automation::ObjectRef dialog = std::make_shared<frmInput>(ui);
    automation::LetProperty(dialog, u"m_strText", Variant(u" 名称 "));
    ui->Enqueue(frmInput::kName, [](DialogModel& d) {
        automation::ObjectRef ok = automation::GetProperty(d.shared_from_this(), u"cmdOK").ToObject();
        EXPECT_EQ(automation::GetProperty(ok, u"Caption").ToText(), u"确定(&O)");
        static_cast<frmInput&>(d).cmdOK.Press();
    });
    automation::CallMethod(dialog, u"Show");
    EXPECT_TRUE(automation::GetProperty(dialog, u"bOK").ToBool());
    EXPECT_EQ(automation::GetProperty(dialog, u"m_strText").ToText(), u"名称");
    EXPECT_EQ(testing::ErrorNumberOf([&] { automation::GetProperty(dialog, u"cmdNone"); }), 438);
    // Before loading, the design font: 宋体, 9 points, GB2312.
    auto fresh = std::make_shared<frmInput>(ui);
    EXPECT_EQ((std::tuple{automation::GetProperty(fresh, u"FontName").ToText(),
                          automation::GetProperty(fresh, u"FontSize").ToDouble(),
                          automation::GetProperty(fresh, u"FontCharset").ToInt32()}),
              (std::tuple{Text(u"宋体"), 9.0, 134}));
    automation::LetProperty(dialog, u"FontCharset", 136);
    EXPECT_EQ(automation::GetProperty(dialog, u"FontCharset").ToInt32(), 136);
    automation::LetProperty(dialog, u"FontSize", 12.0);
    EXPECT_EQ(automation::GetProperty(dialog, u"FontSize").ToDouble(), 12.0);
    EXPECT_EQ(testing::ErrorNumberOf([&] { automation::LetProperty(dialog, u"FontSize", 0.0); }), 5);
}

TEST(ScriptedUi, EachShowTakesStepsOfItsOwnDialogAndAFailingStepClosesIt) {
    testing::HostLanguage language(u"CHS");
    auto ui = std::make_shared<ScriptedUi>();
    ui->Enqueue(u"frmOther", [](DialogModel&) {});
    ui->Enqueue(frmInput::kName, [](DialogModel&) { automation::Raise(9, u"step failed"); });
    ui->Enqueue(frmInput::kName, AnswerInput(u"next", true));
    auto first = std::make_shared<frmInput>(ui);
    EXPECT_EQ(testing::ErrorNumberOf([&] { first->ShowModal(); }), 9);
    EXPECT_FALSE(first->IsShown());
    EXPECT_FALSE(first->bOK);
    auto second = std::make_shared<frmInput>(ui);
    second->ShowModal();
    EXPECT_TRUE(second->bOK);
    EXPECT_EQ(ui->Pending(u"frmOther"), 1u);
    EXPECT_EQ(ui->Shows(), (std::vector<Text>{u"frmInput", u"frmInput"}));
    {
        HourglassScope busy(*ui);
        EXPECT_EQ(ui->GetMousePointer(), MousePointer::Hourglass);
    }
    EXPECT_EQ(ui->PointerHistory(),
              (std::vector<MousePointer>{MousePointer::Hourglass, MousePointer::Default}));
}

}  // namespace
}  // namespace orva::dialogs
