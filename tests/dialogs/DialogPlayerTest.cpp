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
        "messages": [{"text": "文本", "title": "标题", "style": 16, "details": "细节"},
                     {"text": "二", "title": "标题", "style": 48}],
        "bOK": true,
        "controls": {"labText": {"caption": "请输入内容：", "enabled": true},
                     "cmdOK": {"caption": "确定(&O)", "enabled": true},
                     "cmdCancel": {"caption": "取消(&C)", "enabled": true}},
        "packetSet": null})json"));
    EXPECT_EQ(input->m_strText, u"名称");
}

}  // namespace
}  // namespace orva::dialogs
