#include "dialogs/common/ScriptedUi.h"

#include "dialogs/common/MessageBoxCaptions.h"
#include "hostctx/Texts.h"

namespace orva::dialogs {

void ScriptedUi::Enqueue(automation::Text dialogName, ModalStep step) {
    m_queues[std::move(dialogName)].push_back(std::move(step));
}

size_t ScriptedUi::Pending(automation::TextView dialogName) const {
    auto it = m_queues.find(dialogName);
    return it == m_queues.end() ? 0 : it->second.size();
}

void ScriptedUi::ShowModal(DialogModel& dialog) {
    dialog.Load();
    dialog.MarkShown();
    m_shows.push_back(dialog.Name());
    // The queue is looked up again for every step: a step may show a nested dialog that takes steps of
    // its own, or queue further steps.
    while (dialog.IsShown()) {
        auto it = m_queues.find(dialog.Name());
        if (it == m_queues.end() || it->second.empty()) {
            dialog.CloseWindow();
            break;
        }
        ModalStep step = std::move(it->second.front());
        it->second.pop_front();
        try {
            step(dialog);
        } catch (...) {
            dialog.CloseWindow();
            throw;
        }
    }
}

int32_t ScriptedUi::MessageBox(const MessageBoxRequest& request) {
    m_messages.push_back(request);
    m_messageButtons.push_back(MessageBoxButtonCaptions(request, hostctx::LearnCurrentLanguage()));
    return msgbox::kOk;
}

void ScriptedUi::SetMousePointer(MousePointer pointer) {
    m_pointer = pointer;
    m_pointerHistory.push_back(pointer);
}

}  // namespace orva::dialogs
