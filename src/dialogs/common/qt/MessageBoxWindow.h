#pragma once
// MessageBoxWindow: the window of one message box request. Qt's QMessageBox with the request's exact
// text and title, the buttons and icon of its style, and its details (the deployment's message list
// after a publish) behind Qt's details toggle, in a pane made for reading: as wide as its widest line
// (at least 80 characters, at most three quarters of the screen; longer lines wrap), at least 12
// lines high, its text selectable by mouse and keyboard so that it can be copied, and
// the window resizable once the details are open (QMessageBox fixes its size; this one gives the
// extra room to the details). The focused button or pane carries a FocusCue.

#include <QMessageBox>
#include <vector>

#include "dialogs/common/UiServices.h"

class QTextEdit;

namespace orva::dialogs {

class MessageBoxWindow : public QMessageBox {
public:
    MessageBoxWindow(const MessageBoxRequest& request, QWidget* owner);

    // What the box answers for the button that closed it (msgbox::kOk for OK), or the value of its
    // escape button when none was clicked.
    int32_t Answer() const;
    // Qt's details toggle ("Show Details..."), or nullptr when the request has no details.
    QAbstractButton* DetailsToggle() const;
    // The pane that shows the details, or nullptr when the request has no details.
    QTextEdit* DetailsPane() const;

    // The smallest size of the details pane: its widest line (within 80 average characters of its font
    // and three quarters of the screen) by 12 lines, with its frame and scroll bar.
    static QSize DetailsMinimumSize(const QTextEdit& pane);

protected:
    bool event(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void FitDetails();

    struct ButtonAnswer {
        QMessageBox::StandardButton button;
        int32_t value;
    };
    std::vector<ButtonAnswer> m_answers;
    QSize m_detailsLeast;
};

}  // namespace orva::dialogs
