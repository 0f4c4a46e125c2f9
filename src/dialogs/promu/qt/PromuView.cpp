// The view of frmPromu: the generic dialog view, with pictures for the tree's images (a closed and an
// open folder for the groups, drawn so the two differ at a glance; a document for an object, as the
// desktop's style draws it) and the dialog's activation when the user comes back to it.
//
// Activation: the first show activates the dialog through the UI services (MarkShown). After that the
// model's Activate runs only when the window becomes active again after it had lost the activation to
// something that is not its own: another program or window. Its own message boxes and frmInput are
// windows owned by this one; coming back from them is no activation. While one of them is open, the
// window can lose the activation to nothing at all (a window manager passes the focus through no
// window when the user clicks the blocked dialog or the child closes); that is no going away either,
// since the user can only go on in the child.
//
// Esc presses cmdCancel and no button is the default (the generic view does both from the model), so
// Enter never publishes by accident.

#include <QApplication>
#include <QEvent>
#include <QStyle>

#include "dialogs/common/qt/DialogView.h"
#include "dialogs/common/qt/FolderIcons.h"
#include "dialogs/promu/frmPromu.h"

namespace orva::dialogs {
namespace {

class PromuView : public DialogView {
public:
    PromuView(frmPromu& model, QWidget* parent) : DialogView(model, parent) {
        if (auto* tree = dynamic_cast<TreeBinding*>(BindingOf(model.tvList))) {
            tree->SetImageList({{frmPromu::kImageClosed, ClosedFolderIcon()},
                                {frmPromu::kImageOpen, OpenFolderIcon()},
                                {frmPromu::kImageLeaf, style()->standardIcon(QStyle::SP_FileIcon)}});
        }
    }

protected:
    bool event(QEvent* event) override {
        if (event->type() == QEvent::WindowDeactivate) {
            // Qt names the window that takes the activation before it tells this one; none when it
            // went to another program. Its own modal child open meanwhile: the user stays with it.
            if (!OwnedByThis(QApplication::activeWindow()) && !OwnChildIsModal()) m_away = true;
        } else if (event->type() == QEvent::WindowActivate && std::exchange(m_away, false) &&
                   Model().IsShown()) {
            Dispatch([this] { Model().Activate(); });
        }
        return DialogView::event(event);
    }

private:
    // A message box or dialog opened over this one is showing modally. Asked of the windows themselves:
    // Qt moves the modal window that was activated last to the front of its list, so while the user
    // clicks this (blocked) window, activeModalWidget() names this one and not the child.
    bool OwnChildIsModal() const {
        for (const QWidget* window : QApplication::topLevelWidgets()) {
            if (window != this && window->isVisible() && window->isModal() && OwnedByThis(window))
                return true;
        }
        return false;
    }

    bool OwnedByThis(const QWidget* window) const {
        for (; window; window = window->parentWidget()) {
            if (window == this) return true;
        }
        return false;
    }

    bool m_away = false;  // the activation went elsewhere than to a window of this dialog's own
};

std::unique_ptr<DialogView> MakePromuView(DialogModel& model, QWidget* parent) {
    if (auto* promu = dynamic_cast<frmPromu*>(&model)) return std::make_unique<PromuView>(*promu, parent);
    return std::make_unique<DialogView>(model, parent);
}

[[maybe_unused]] const bool kRegistered = RegisterView(frmPromu::kName, &MakePromuView);

}  // namespace
}  // namespace orva::dialogs
