// The view of frmInput: the generic dialog view, with the text box focused when the dialog opens and
// its text selected while it still holds the name the dialog opened with, so the user can type a new
// name over the old one at once; once typed, the text shows as typed, the cursor after it.
//
// Placement: the dialog names an entry of the sub-function list of the dialog under it (the wizard or
// the publish dialog), so it opens below that list and its Rename button, left-aligned with the list,
// where it hides neither; above them when the screen has no room below; always inside the screen.
// Without such a list under it, Qt centres it over its owner as usual.

#include <QLineEdit>
#include <QScreen>

#include "dialogs/common/qt/DialogView.h"
#include "dialogs/input/frmInput.h"

namespace orva::dialogs {
namespace {

// What the dialog must not cover in the window under it.
constexpr const char* kKeptVisible[] = {"lstSubFunc", "cmdModify"};

class InputView : public DialogView {
public:
    InputView(frmInput& model, QWidget* parent) : DialogView(model, parent), m_input(model) {
        if (auto* edit = qobject_cast<QLineEdit*>(WidgetOf(model.txtContent))) {
            edit->setFocus();
            if (model.txtContent.Text() == model.m_strText) edit->selectAll();
        }
        if (parent) PlaceBeside(*parent);
    }

    // QDialog gives its focus widget a focus-in "by tab" as it shows, which selects a line edit's
    // whole text: right for the name the dialog opened with, wrong for a text already typed.
    void setVisible(bool visible) override {
        DialogView::setVisible(visible);
        auto* edit = qobject_cast<QLineEdit*>(WidgetOf(m_input.txtContent));
        if (visible && edit && m_input.txtContent.Text() != m_input.m_strText) {
            edit->deselect();
            edit->end(false);
        }
    }

private:
    void PlaceBeside(const QWidget& owner) {
        QRect kept;
        for (const char* name : kKeptVisible) {
            const QWidget* widget = owner.findChild<QWidget*>(name);
            if (widget && widget->isVisible())
                kept |= QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        }
        if (kept.isNull()) return;
        const QScreen* screen = owner.screen();
        const QRect available = screen ? screen->availableGeometry() : QRect();
        // The window frame is unknown before the window manager adds it; the size is the client's plus
        // the owner's own frame, a fair guess for a window of the same kind.
        const QSize frame = owner.frameGeometry().size() - owner.geometry().size();
        const QSize outer = size() + frame;
        QPoint at(kept.left(), kept.bottom() + 1);
        if (available.isValid()) {
            if (at.y() + outer.height() > available.bottom() + 1 &&
                kept.top() - outer.height() >= available.top())
                at.setY(kept.top() - outer.height());
            at.setX(std::clamp(at.x(), available.left(),
                               std::max(available.left(), available.right() + 1 - outer.width())));
            at.setY(std::clamp(at.y(), available.top(),
                               std::max(available.top(), available.bottom() + 1 - outer.height())));
        }
        move(at);
    }

    frmInput& m_input;
};

std::unique_ptr<DialogView> MakeInputView(DialogModel& model, QWidget* parent) {
    if (auto* input = dynamic_cast<frmInput*>(&model)) return std::make_unique<InputView>(*input, parent);
    return std::make_unique<DialogView>(model, parent);
}

[[maybe_unused]] const bool kRegistered = RegisterView(frmInput::kName, &MakeInputView);

}  // namespace
}  // namespace orva::dialogs
