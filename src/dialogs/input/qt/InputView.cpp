// The view of frmInput: the generic dialog view, with the text box focused and its text selected when
// the dialog opens, so the user can type a new name over the old one at once.

#include <QLineEdit>

#include "dialogs/common/qt/DialogView.h"
#include "dialogs/input/frmInput.h"

namespace orva::dialogs {
namespace {

class InputView : public DialogView {
public:
    InputView(frmInput& model, QWidget* parent) : DialogView(model, parent) {
        if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(model.txtContent))) {
            edit->setFocus();
            edit->selectAll();
        }
    }
};

std::unique_ptr<DialogView> MakeInputView(DialogModel& model, QWidget* parent) {
    if (auto* input = dynamic_cast<frmInput*>(&model)) return std::make_unique<InputView>(*input, parent);
    return std::make_unique<DialogView>(model, parent);
}

[[maybe_unused]] const bool kRegistered = RegisterView(frmInput::kName, &MakeInputView);

}  // namespace
}  // namespace orva::dialogs
