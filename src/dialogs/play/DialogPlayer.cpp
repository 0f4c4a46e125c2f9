#include "dialogs/play/DialogPlayer.h"

#include <algorithm>

#include "automation/TextHelpers.h"
#include "bag/PropertyBagJson.h"
#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/ListBox.h"
#include "dialogs/common/ListView.h"
#include "dialogs/input/frmInput.h"

namespace orva::dialogs {

using automation::Int32ToText;
using automation::Text;
using Json = nlohmann::ordered_json;

namespace {

const char16_t* KindName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Form:
            return u"form";
        case ControlKind::ListBox:
            return u"list box";
        case ControlKind::ListView:
            return u"list view";
        case ControlKind::TreeView:
            return u"tree view";
        case ControlKind::Button:
            return u"button";
        case ControlKind::Label:
            return u"label";
        case ControlKind::Frame:
            return u"frame";
        case ControlKind::TextBox:
            return u"text box";
    }
    return u"control";
}

ScriptedUi& ScriptedUiOf(const DialogModel& dialog) {
    auto* ui = dynamic_cast<ScriptedUi*>(&dialog.Ui());
    if (!ui) {
        automation::Raise(automation::errors::kTypeMismatch,
                          dialog.Name() + u" does not show through a scripted user, so it cannot be played");
    }
    return *ui;
}

// What the steps of one play share; held by every queued step, so a step left in the scripted user's
// queue after the play never refers to a play that has ended.
class Play {
public:
    Play(Text source, PlayOptions options) : m_source(std::move(source)), m_options(std::move(options)) {}

    int32_t LastRun() const { return m_lastRun; }

    void Run(DialogModel& dialog, const PlayStep& step, const std::shared_ptr<Play>& self) {
        m_lastRun = step.number;
        switch (step.action) {
            case StepAction::Click:
                return Click(dialog, step);
            case StepAction::DblClick: {
                ListBox& list = Expect<ListBox>(Find(dialog, step), ControlKind::ListBox, step);
                const int32_t entry = EntryOf(list, step);
                if (list.Enabled()) list.DoubleClickByUser(entry);
                return;
            }
            case StepAction::Select:
                return Select(dialog, step);
            case StepAction::Input:
                ScriptedUiOf(dialog).Enqueue(frmInput::kName, Answer(step, self));
                return;
            case StepAction::Close:
                dialog.CloseWindow();
                return;
            case StepAction::Check:
            case StepAction::Expand: {
                if (!m_options.extensions.treeStep) {
                    Fail(step, u"\"" + Text(ActionName(step.action)) + u"\" is a step on a tree view, and " +
                                   dialog.Name() + u" has none");
                }
                Control& tree = Find(dialog, step);
                if (tree.Kind() != ControlKind::TreeView) Fail(step, NotTaken(tree, step));
                if (std::optional<Text> wrong = m_options.extensions.treeStep(dialog, tree, step))
                    Fail(step, *wrong);
                return;
            }
            case StepAction::Activate:
                if (!m_options.extensions.activate)
                    Fail(step, u"\"activate\" is no step of " + dialog.Name());
                m_options.extensions.activate(dialog);
                return;
        }
    }

private:
    [[noreturn]] void Fail(const PlayStep& step, const Text& what) const {
        throw PlayError(m_source + u": step " + Int32ToText(step.number) + u": " + what, step.number);
    }

    static Text NotTaken(const Control& control, const PlayStep& step) {
        Text what = u"\"" + Text(ActionName(step.action)) + u"\" does not apply to " + control.Name() +
                    u", a " + KindName(control.Kind());
        if (step.action == StepAction::Click && control.Kind() == ControlKind::ListView) {
            what += u": items of a list view are chosen with \"select\"";
        }
        return what;
    }

    Control& Find(DialogModel& dialog, const PlayStep& step) const {
        Control* control = dialog.FindControl(step.control);
        if (!control)
            Fail(step, u"no control \"" + automation::Abbreviate(step.control) + u"\" in " + dialog.Name());
        return *control;
    }

    template <typename T>
    T& Expect(Control& control, ControlKind kind, const PlayStep& step) const {
        if (control.Kind() != kind) Fail(step, NotTaken(control, step));
        return static_cast<T&>(control);
    }

    // The list box entry a click names: by index from 0, or the first entry showing the text.
    int32_t EntryOf(const ListBox& list, const PlayStep& step) const {
        if (step.index) {
            if (*step.index < 0 || *step.index >= list.ListCount()) {
                Fail(step, u"index " + Int32ToText(*step.index) + u" is out of range: " + list.Name() +
                               u" has " + Int32ToText(list.ListCount()) + u" entries, from index 0");
            }
            return *step.index;
        }
        for (int32_t i = 0; i < list.ListCount(); ++i) {
            if (list.DisplayText(i) == *step.text) return i;
        }
        Fail(step, list.Name() + u" has no entry \"" + automation::Abbreviate(*step.text) + u"\"");
    }

    void Click(DialogModel& dialog, const PlayStep& step) const {
        Control& control = Find(dialog, step);
        if (control.Kind() == ControlKind::Button) {
            if (step.index || step.text) {
                Fail(step, control.Name() + u" is a button: its click takes no \"index\" or \"text\"");
            }
            static_cast<Button&>(control).Press();  // a disabled button ignores it
            return;
        }
        ListBox& list = Expect<ListBox>(control, ControlKind::ListBox, step);
        if (!step.index && !step.text) {
            Fail(step, u"a click on the list box " + list.Name() + u" needs \"index\" or \"text\"");
        }
        const int32_t entry = EntryOf(list, step);
        if (list.Enabled()) list.SelectByUser(entry);
    }

    void Select(DialogModel& dialog, const PlayStep& step) const {
        ListView& view = Expect<ListView>(Find(dialog, step), ControlKind::ListView, step);
        std::vector<int32_t> chosen;
        if (step.indexes) {
            for (int32_t index : *step.indexes) {
                if (index < 1 || index > view.Count()) {
                    Fail(step, u"index " + Int32ToText(index) + u" is out of range: " + view.Name() +
                                   u" has " + Int32ToText(view.Count()) + u" items, from index 1");
                }
                chosen.push_back(index);
            }
        } else {
            for (const Text& text : *step.texts) {
                bool found = false;
                for (int32_t i = 1; i <= view.Count(); ++i) {
                    if (view.Item(i).text != text) continue;
                    chosen.push_back(i);
                    found = true;
                }
                if (!found)
                    Fail(step, view.Name() + u" has no item \"" + automation::Abbreviate(text) + u"\"");
            }
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
        if (view.Enabled()) view.SelectOnly(chosen);
    }

    // The answer an input step queues for the next frmInput.
    static ModalStep Answer(const PlayStep& step, const std::shared_ptr<Play>& self) {
        return [self, text = step.input, ok = step.ok](DialogModel& dialog) {
            auto* input = dynamic_cast<frmInput*>(&dialog);
            if (!input) automation::RaiseWrongClass(dialog, u"frmInput");
            input->txtContent.SetText(text);
            const int32_t answer = ++self->m_answers;
            if (self->m_options.afterInputTyped) self->m_options.afterInputTyped(*input, answer);
            (ok ? input->cmdOK : input->cmdCancel).Press();
        };
    }

    Text m_source;
    PlayOptions m_options;
    int32_t m_lastRun = 0;
    int32_t m_answers = 0;
};

std::string Utf8(const Text& text) { return automation::ToUtf8Lossy(text); }

}  // namespace

PlayOutcome PlayDialog(DialogModel& dialog, const PlayScript& script, const PlayOptions& options) {
    ScriptedUi& ui = ScriptedUiOf(dialog);
    if (ui.Pending(dialog.Name()) > 0 || ui.Pending(frmInput::kName) > 0) {
        automation::Raise(automation::errors::kInvalidCall,
                          u"the scripted user of " + dialog.Name() + u" already has steps to play");
    }
    auto play = std::make_shared<Play>(script.source, options);
    for (const PlayStep& step : script.steps) {
        ui.Enqueue(dialog.Name(), [play, step](DialogModel& shown) { play->Run(shown, step, play); });
    }
    PlayOutcome outcome;
    const size_t showsBefore = ui.Shows().size();
    try {
        dialog.ShowModal();
    } catch (const PlayError& error) {
        outcome.stepError = error;
    } catch (...) {
        if (ui.Shows().size() == showsBefore) throw;  // the load failed: nothing was shown
        outcome.failure = automation::CurrentAsAutomationError();
    }
    outcome.shown = ui.Shows().size() > showsBefore;
    if (!outcome.stepError && !outcome.failure && ui.Pending(dialog.Name()) > 0) {
        const int32_t next = play->LastRun() + 1;
        outcome.stepError =
            PlayError(script.source + u": step " + Int32ToText(next) + u": " + dialog.Name() +
                          u" is already closed (step " + Int32ToText(play->LastRun()) + u" closed it)",
                      next);
    }
    return outcome;
}

Json TranscriptMessages(const DialogModel& dialog) {
    Json messages = Json::array();
    const ScriptedUi& ui = ScriptedUiOf(dialog);
    for (size_t i = 0; i < ui.Messages().size(); ++i) {
        const MessageBoxRequest& message = ui.Messages()[i];
        Json entry{{"text", Utf8(message.text)}, {"title", Utf8(message.title)}, {"style", message.style}};
        if (!message.details.empty()) entry["details"] = Utf8(message.details);
        Json buttons = Json::array();
        for (const Text& caption : ui.MessageButtons()[i]) buttons.push_back(Utf8(caption));
        entry["buttons"] = std::move(buttons);
        messages.push_back(std::move(entry));
    }
    return messages;
}

Json TranscriptControls(const DialogModel& dialog, const PlayExtensions& extensions) {
    Json controls = Json::object();
    for (const std::shared_ptr<Control>& control : dialog.Controls()) {
        const std::string name = Utf8(control->Name());
        switch (control->Kind()) {
            case ControlKind::ListBox: {
                const auto& list = static_cast<const ListBox&>(*control);
                Json items = Json::array();
                for (int32_t i = 0; i < list.ListCount(); ++i)
                    items.push_back({{"text", Utf8(list.DisplayText(i))}, {"key", Utf8(list.Key(i))}});
                controls[name] = {{"items", std::move(items)}, {"selected", list.ListIndex()}};
                break;
            }
            case ControlKind::ListView: {
                const auto& view = static_cast<const ListView&>(*control);
                Json columns = Json::array();
                for (const ListView::Column& column : view.Columns()) columns.push_back(Utf8(column.text));
                Json items = Json::array();
                for (const ListViewItem& item : view.Items())
                    items.push_back(
                        {{"text", Utf8(item.text)}, {"tag", Utf8(item.tag)}, {"selected", item.selected}});
                controls[name] = {{"columns", std::move(columns)}, {"items", std::move(items)}};
                break;
            }
            case ControlKind::Button:
            case ControlKind::Label: {
                const auto& captioned = static_cast<const CaptionedControl&>(*control);
                controls[name] = {{"caption", Utf8(captioned.Caption())}, {"enabled", captioned.Enabled()}};
                break;
            }
            case ControlKind::TreeView:
                if (extensions.describeTree) controls[name] = extensions.describeTree(*control);
                break;
            default:
                break;  // frames and text boxes hold nothing a script reads
        }
    }
    return controls;
}

Json Transcript(DialogModel& dialog, const automation::Variant& packetSet, const PlayExtensions& extensions) {
    std::span<automation::Variant> none;
    const bool ok = dialog.Invoke(u"bOK", automation::CallKind::PropertyGet, none).ToBool();
    const bool hasPacketSet = packetSet.IsObject() && packetSet.ToObject();
    Json root = Json::object();
    root["messages"] = TranscriptMessages(dialog);
    root["bOK"] = ok;
    root["controls"] = TranscriptControls(dialog, extensions);
    root["packetSet"] =
        hasPacketSet ? Json::parse(components::WritePropertyBagJson(packetSet, -1)) : Json(nullptr);
    return root;
}

}  // namespace orva::dialogs
