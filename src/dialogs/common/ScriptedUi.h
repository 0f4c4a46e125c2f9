#pragma once
// ScriptedUi: UI services that play a user, for tests and for replaying a user's session without a
// window. Each modal show takes its steps from the queue of its dialog's name (steps for "frmInput"
// answer only input dialogs): a step drives the dialog as a user would (press buttons, click entries,
// type), and steps are taken until the dialog hides. When the queue runs dry with the dialog still
// shown, the window is closed (CloseWindow), as a user who walks away would leave it. Every message box
// is recorded with the captions its buttons would show and answered with its OK button; the mouse
// pointer is recorded as it is set.

#include <deque>
#include <functional>
#include <map>
#include <vector>

#include "dialogs/common/DialogModel.h"
#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

// One user action on a shown dialog. Whatever it raises ends the modal show: the window is closed and
// the error passes to the code that showed the dialog.
using ModalStep = std::function<void(DialogModel& dialog)>;

class ScriptedUi : public UiServices {
public:
    // Queues a step for the modal shows of dialogs named dialogName (the form's name, "frmInput").
    void Enqueue(automation::Text dialogName, ModalStep step);
    // Steps still queued for dialogName.
    size_t Pending(automation::TextView dialogName) const;

    void ShowModal(DialogModel& dialog) override;
    // Records the request; answers msgbox::kOk.
    int32_t MessageBox(const MessageBoxRequest& request) override;
    void SetMousePointer(MousePointer pointer) override;
    MousePointer GetMousePointer() const override { return m_pointer; }

    // Every message box shown, in order.
    const std::vector<MessageBoxRequest>& Messages() const { return m_messages; }
    // The button captions of each message box, index for index with Messages(): what a window would
    // have shown in the host's language of the moment (MessageBoxButtonCaptions).
    const std::vector<std::vector<automation::Text>>& MessageButtons() const { return m_messageButtons; }
    // The names of the dialogs shown modally, in order of showing.
    const std::vector<automation::Text>& Shows() const { return m_shows; }
    // Every pointer set, in order.
    const std::vector<MousePointer>& PointerHistory() const { return m_pointerHistory; }

private:
    std::map<automation::Text, std::deque<ModalStep>, std::less<>> m_queues;
    std::vector<MessageBoxRequest> m_messages;
    std::vector<std::vector<automation::Text>> m_messageButtons;
    std::vector<automation::Text> m_shows;
    std::vector<MousePointer> m_pointerHistory;
    MousePointer m_pointer = MousePointer::Default;
};

}  // namespace orva::dialogs
