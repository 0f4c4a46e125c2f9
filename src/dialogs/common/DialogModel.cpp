#include "dialogs/common/DialogModel.h"

#include "automation/AutomationError.h"
#include "automation/MemberTable.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

using automation::Args;
using automation::Member;
using automation::Text;
using automation::Variant;

DialogModel::DialogModel(Text name, int32_t clientWidth, int32_t clientHeight, std::shared_ptr<UiServices> ui)
    : CaptionedControl(ControlKind::Form, std::move(name), Geometry{0, 0, clientWidth, clientHeight},
                       std::make_shared<ChangeHub>()),
      m_ui(std::move(ui)) {
    if (!m_ui) automation::RaiseObjectNotSet(u"the UI services of " + Name());
}

Control* DialogModel::FindControl(automation::TextView name) const {
    for (const auto& control : m_controls) {
        if (automation::MemberIs(name, control->Name())) return control.get();
    }
    return nullptr;
}

void DialogModel::SetFontName(Text family) {
    if (m_fontName == family) return;
    m_fontName = std::move(family);
    Notify(change::kFont);
}

void DialogModel::SetFontSize(double points) {
    if (!(points > 0 && points <= 1638)) {
        automation::Raise(automation::errors::kInvalidCall,
                          u"FontSize of " + Name() + u" must lie in (0, 1638]");
    }
    if (m_fontSize == points) return;
    m_fontSize = points;
    Notify(change::kFont);
}

void DialogModel::SetFontCharset(int32_t charset) {
    if (m_fontCharset == charset) return;
    m_fontCharset = charset;
    Notify(change::kFont);
}

void DialogModel::Load() {
    if (m_loaded) return;
    m_loaded = true;
    ChangeBatch batch(Hub());
    Form_Load();
}

void DialogModel::ShowModal() { m_ui->ShowModal(*this); }

void DialogModel::MarkShown() {
    m_shown = true;
    Activate();
}

void DialogModel::Activate() {
    ChangeBatch batch(Hub());
    Form_Activate();
}

void DialogModel::Hide() {
    if (!m_shown) return;
    m_shown = false;
    Notify(change::kVisible);
}

int32_t DialogModel::ShowWarning(const Text& chineseText, Text details) {
    return m_ui->MessageBox({hostctx::TranslateText(chineseText), hostctx::TranslateText(u"Tarvo提示"),
                             msgbox::kExclamation, std::move(details)});
}

Variant DialogModel::Invoke(automation::TextView name, automation::CallKind kind, std::span<Variant> args) {
    static constexpr Member<DialogModel> kMembers[] = {
        {.name = u"FontName",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](DialogModel& d, Args a) -> Variant {
             d.SetFontName(a[0].ToText());
             return {};
         }},
        {.name = u"FontName", .call = [](DialogModel& d, Args) -> Variant { return d.FontName(); }},
        {.name = u"FontSize",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](DialogModel& d, Args a) -> Variant {
             d.SetFontSize(a[0].ToDouble());
             return {};
         }},
        {.name = u"FontSize", .call = [](DialogModel& d, Args) -> Variant { return d.FontSize(); }},
        {.name = u"FontCharset",
         .kinds = automation::kAssign,
         .minArgs = 1,
         .maxArgs = 1,
         .call = [](DialogModel& d, Args a) -> Variant {
             d.SetFontCharset(a[0].ToInt32());
             return {};
         }},
        {.name = u"FontCharset", .call = [](DialogModel& d, Args) -> Variant { return d.FontCharset(); }},
        {.name = u"Visible", .call = [](DialogModel& d, Args) -> Variant { return d.IsShown(); }},
        {.name = u"Hide",
         .kinds = automation::kMethodCall,
         .call = [](DialogModel& d, Args) -> Variant {
             d.Hide();
             return {};
         }},
        {.name = u"Show",
         .kinds = automation::kMethodCall,
         .call = [](DialogModel& d, Args) -> Variant {
             d.ShowModal();
             return {};
         }},
    };
    if (auto result = InvokeOwn(name, kind, args)) return *result;
    if (auto result = automation::TryInvokeMember(*this, kMembers, name, kind, args)) return *result;
    if (auto result = InvokeCaptioned(name, kind, args)) return *result;
    if (kind == automation::CallKind::PropertyGet || kind == automation::CallKind::Method) {
        for (const auto& control : m_controls) {
            if (args.empty() && automation::MemberIs(name, control->Name())) return Variant(control);
        }
    }
    automation::RaiseNoSuchMember(*this, name);
}

}  // namespace orva::dialogs
