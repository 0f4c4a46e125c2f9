#pragma once
// FocusCue: a visible focus mark for every focusable control of a dialog, whatever the style. Styles
// show focus unevenly (Fusion draws a focused default button exactly as an unfocused one, an empty
// list shows nothing, a list box only a faint border), so the dialog draws its own: a 2-pixel frame in
// the palette's highlight colour just outside the focused control. It is a child of the dialog above
// the controls that lets the mouse through; it follows the focus while the dialog's window is active
// and hides when the focus leaves the dialog or the window loses the activation.

#include <QPointer>
#include <QWidget>

namespace orva::dialogs {

class FocusCue : public QWidget {
public:
    // Tracks the focus inside dialog (which owns the cue, as its child).
    explicit FocusCue(QWidget* dialog);

    // The control the cue marks now, or nullptr when it is hidden.
    QWidget* Target() const { return isVisible() ? m_target.data() : nullptr; }
    // Moves the cue to the dialog's focus widget, or hides it when there is none inside the dialog.
    void Follow();

    static constexpr int kWidth = 2;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_target;
};

}  // namespace orva::dialogs
