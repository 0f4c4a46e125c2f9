// The player on a dialog other than the wizard: the transcript is built from whatever controls the
// model has, and message boxes carry their details only where they have some.

#include <gtest/gtest.h>

#include "dialogs/DialogTestSupport.h"
#include "dialogs/input/frmInput.h"
#include "dialogs/play/DialogPlayer.h"

namespace orva::dialogs {
namespace {

using Json = nlohmann::ordered_json;

TEST(DialogPlayer, TranscriptOfAnyDialogListsItsControlsAndMessageDetails) {
    testing::HostLanguage chs(u"CHS");
    auto ui = std::make_shared<ScriptedUi>();
    auto input = std::make_shared<frmInput>(ui);
    input->m_strText = u"  名称 ";
    // Control names match without regard to ASCII case; the steps end with the dialog closed.
    PlayOutcome outcome = PlayDialog(*input, ParsePlayScript(R"([{"click": "CMDOK"}])", u"s.json"));
    EXPECT_TRUE(outcome.shown);
    EXPECT_FALSE(outcome.stepError || outcome.failure);
    ui->MessageBox({u"文本", u"标题", msgbox::kCritical, u"细节"});
    ui->MessageBox({u"二", u"标题", msgbox::kExclamation, {}});

    // The text box is no part of a transcript; the dialog's own bOK is.
    EXPECT_EQ(Transcript(*input, automation::Variant()), Json::parse(R"json({
        "messages": [{"text": "文本", "title": "标题", "style": 16, "details": "细节",
                      "buttons": ["确定", "显示详情..."]},
                     {"text": "二", "title": "标题", "style": 48, "buttons": ["确定"]}],
        "bOK": true,
        "controls": {"labText": {"caption": "请输入内容：", "enabled": true},
                     "cmdOK": {"caption": "确定(&O)", "enabled": true},
                     "cmdCancel": {"caption": "取消(&C)", "enabled": true}},
        "packetSet": null})json"));
    EXPECT_EQ(input->m_strText, u"名称");
}

TEST(DialogPlayer, MessageButtonsAreRecordedInTheLanguageOfTheirMoment) {
    struct Case {
        const char16_t* language;
        int32_t style;
        const char16_t* details;
        Json buttons;
    };
    const Case cases[] = {
        {u"CHS", msgbox::kExclamation, u"", {"确定"}},
        {u"CHT", msgbox::kExclamation, u"细节", {"確定", "顯示詳情..."}},
        {u"EN", msgbox::kExclamation, u"细节", {"OK", "Show Details..."}},
        {u"en", msgbox::kOk, u"", {"OK", "Cancel"}},
        {u"EN", 2, u"", {"Retry", "Ignore", "Abort"}},
        {u"EN", 3, u"细节", {"Yes", "No", "Show Details...", "Cancel"}},
        {u"CHS", msgbox::kQuestion | 3, u"", {"是(Y)", "否(N)", "取消"}},
        {u"CHT", 4, u"", {"是(Y)", "否(N)"}},
        {u"CHS", 5, u"", {"重试", "取消"}},
        {u"CHT", 6, u"", {"確定"}},                    // no such set: OK alone, as the window shows it
        {u"JP", msgbox::kExclamation, u"", {"确定"}},  // texts shown as written, in Simplified Chinese
    };
    auto ui = std::make_shared<ScriptedUi>();
    auto input = std::make_shared<frmInput>(ui);
    for (const Case& c : cases) {
        testing::HostLanguage language(c.language);
        ui->MessageBox({u"文本", u"标题", c.style, c.details});
    }
    const Json messages = TranscriptMessages(*input);
    ASSERT_EQ(messages.size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(messages[i]["buttons"], cases[i].buttons) << i;
        EXPECT_EQ(messages[i]["text"], "文本") << i;  // the request itself is kept as it was
    }
}

}  // namespace
}  // namespace orva::dialogs
