#pragma once
// DialogView: the Qt window of a dialog model. It builds one widget per control (Binders.h), a control
// inside a frame as a child of the frame's widget, takes the form's caption, client size and font from
// the model, forwards user actions into the model inside a change batch and mirrors the model's changes
// back. Enter presses the model's default button, Esc its cancel button, and closing the window calls
// the model's CloseWindow (no handler runs). The focused control carries a FocusCue.
//
// A dialog whose view needs more than the generic one (focus, activation, pictures) registers a subclass
// under its name with RegisterView; every other dialog gets this view as it is.

#include <QDialog>
#include <exception>
#include <functional>
#include <memory>
#include <unordered_map>

#include "dialogs/common/DialogModel.h"
#include "dialogs/common/qt/Binders.h"

namespace orva::dialogs {

class DialogView : public QDialog, public ChangeListener {
public:
    // Builds and mirrors the widgets and attaches to the model's changes; the model must outlive the view.
    explicit DialogView(DialogModel& model, QWidget* parent = nullptr);
    ~DialogView() override;

    DialogModel& Model() const { return m_model; }
    // The widget bound to a control of the model, or nullptr.
    QWidget* WidgetOf(const Control& control) const;
    // The binding of a control of the model, or nullptr; owned by the view.
    ControlBinding* BindingOf(const Control& control) const;

    // Runs the window modally until the model hides. A failure raised by a handler meanwhile hides the
    // model, ends the window and is raised again here.
    void Run();

    void ControlChanged(Control& control, Changes changes) override;

protected:
    // Scrolls the selected entry of every list box into sight: a list filled before the window
    // was laid out could not scroll then.
    void showEvent(QShowEvent* event) override;
    void reject() override;
    void closeEvent(QCloseEvent* event) override;
    // Runs a user action against the model in one change batch; a failure ends the window (see Run).
    void Dispatch(const std::function<void()>& action);

private:
    void MirrorForm(Changes changes);

    DialogModel& m_model;
    std::unordered_map<const Control*, std::unique_ptr<ControlBinding>> m_bindings;
    std::exception_ptr m_failure;
};

using ViewFactory = std::unique_ptr<DialogView> (*)(DialogModel& model, QWidget* parent);

// Registers the view of the dialogs named dialogName (at static initialisation of the views library).
bool RegisterView(const char16_t* dialogName, ViewFactory factory);

// The registered view of the model's dialog, or the generic DialogView.
std::unique_ptr<DialogView> CreateView(DialogModel& model, QWidget* parent);

}  // namespace orva::dialogs
