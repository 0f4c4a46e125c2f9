#include "dialogs/input/frmInput.h"

#include "automation/MemberTable.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Text;
using automation::Variant;

namespace {
constexpr const char16_t* kTooLong = u"输入不能超过80个字符！";
}

frmInput::frmInput(std::shared_ptr<UiServices> ui)
    : DialogModel(kName, 6915, 975, std::move(ui)),
      labText(AddControl<Label>(u"labText", {150, 210, 3120, 210})),
      txtContent(AddControl<TextBox>(u"txtContent", {135, 510, 5415, 300})),
      cmdOK(AddControl<Button>(u"cmdOK", {5700, 135, 1095, 300}, true, false)),
      cmdCancel(AddControl<Button>(u"cmdCancel", {5700, 510, 1095, 300}, false, true)) {
    txtContent.Change = [this] { txtContent_Change(); };
    cmdOK.Click = [this] { cmdOK_Click(); };
    cmdCancel.Click = [this] { cmdCancel_Click(); };
}

void frmInput::Form_Load() {
    // Skip mode: a caption that cannot be set keeps its design text and the next one is tried.
    automation::RunSkipping([&] { SetCaption(hostctx::TranslateText(u"修改")); });
    automation::RunSkipping([&] { labText.SetCaption(hostctx::TranslateText(u"请输入内容：")); });
    automation::RunSkipping([&] { cmdOK.SetCaption(hostctx::TranslateText(u"确定(&O)")); });
    automation::RunSkipping([&] { cmdCancel.SetCaption(hostctx::TranslateText(u"取消(&C)")); });
    txtContent.SetText(m_strText);
    hostctx::ApplyFormFont(weak_from_this().lock());
}

bool frmInput::TooLong(automation::TextView text) const { return automation::Trim(text).size() > kMaxLength; }

void frmInput::txtContent_Change() {
    if (TooLong(txtContent.Text())) ShowWarning(kTooLong);
}

void frmInput::cmdOK_Click() {
    m_strText = automation::Trim(txtContent.Text());
    if (m_strText.size() <= kMaxLength) {
        bOK = true;
        Hide();
    } else {
        ShowWarning(kTooLong);
    }
}

void frmInput::cmdCancel_Click() {
    bOK = false;
    Hide();
}

std::optional<Variant> frmInput::InvokeOwn(automation::TextView name, automation::CallKind kind, Args args) {
    static constexpr Member<frmInput> kMembers[] = {
        {.name = u"m_strText",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmInput& f, Args a) -> Variant {
             f.m_strText = a[0].ToText();
             return {};
         }},
        {.name = u"m_strText", .call = [](frmInput& f, Args) -> Variant { return f.m_strText; }},
        {.name = u"bOK",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](frmInput& f, Args a) -> Variant {
             f.bOK = a[0].ToBool();
             return {};
         }},
        {.name = u"bOK", .call = [](frmInput& f, Args) -> Variant { return f.bOK; }},
    };
    return automation::TryInvokeMember(*this, kMembers, name, kind, args);
}

ModalStep AnswerInput(Text text, bool confirm) {
    return [text = std::move(text), confirm](DialogModel& dialog) {
        auto* input = dynamic_cast<frmInput*>(&dialog);
        if (!input) automation::RaiseWrongClass(dialog, u"frmInput");
        input->txtContent.SetText(text);
        (confirm ? input->cmdOK : input->cmdCancel).Press();
    };
}

}  // namespace orva::dialogs
