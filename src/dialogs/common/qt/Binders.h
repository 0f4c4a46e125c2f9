#pragma once
// Binders between the control models and Qt widgets. A binding creates its widget at the control's
// twips geometry, names it after the control (objectName), forwards the user's actions to the model
// through the dispatcher, and mirrors model changes back under a signal blocker, so a mirrored
// selection never raises the model's Click a second time. List boxes show the display part of keyed
// entries; lists are refilled in one batch per notification.
//
// Captions are kept whole. The controls have the fixed twips size of their design, laid out for the
// Chinese texts, and a translated caption (English runs longest) can be wider than its button, label or
// frame at the dialog's font. Such a caption is not cut or elided: its widget alone gets a smaller size
// of the dialog's font family, in half points down to 6 points, the largest at which the caption fits.
// Every other widget keeps the dialog's font. The fit is measured again whenever the caption or the
// dialog's font changes (a binding hears change::kFont from its view when the form's font changes).
//
// Trees show their nodes with check boxes and no header. A refill (change::kItems) builds every item
// before the tree takes them, in one insertion; change::kNodeState updates only the nodes that
// TreeView::TakeChangedNodes names. A node shows its selected image while selected, else its expanded
// image while expanded, else its image, each only when set; the pictures come from the tree's image
// list (TreeBinding), and a name without one shows none. A user's click on a check box, expanding or
// collapsing a node and selecting one reach the model once (CheckByUser, ExpandByUser, SelectByUser);
// the node is then brought back to the model's state, so a change the model refused does not stay on
// screen.

#include <QIcon>
#include <QWidget>
#include <functional>
#include <memory>
#include <unordered_map>

#include "dialogs/common/Control.h"

namespace orva::dialogs {

// Runs a user action against the model: inside one change batch, with the failure handling of the view.
using Dispatcher = std::function<void(const std::function<void()>& action)>;

class ControlBinding {
public:
    virtual ~ControlBinding() = default;
    virtual QWidget* Widget() const = 0;
    // Copies the aspects of the model to the widget, signals blocked. change::kFont: the dialog's font
    // changed (captions are fitted again).
    virtual void Mirror(Changes changes) = 0;
};

// The pictures of a tree's image names, as a dialog's image list holds them.
using ImageList = std::unordered_map<automation::Text, QIcon>;

// What the binding of a tree view adds to ControlBinding (a tree's binding can be cast to it).
class TreeBinding {
public:
    virtual ~TreeBinding() = default;
    // Replaces the pictures and shows them on every node at once.
    virtual void SetImageList(ImageList images) = 0;
};

// The binding for the control's kind (label, frame, button, text box, list box, list view, tree view),
// its widget a child of parent and already mirrored; nullptr for the form, which its view shows itself.
std::unique_ptr<ControlBinding> BindControl(Control& control, QWidget* parent, Dispatcher dispatch);

class TreeView;
// The binding of a tree view (a ControlBinding that is also a TreeBinding), not yet mirrored.
std::unique_ptr<ControlBinding> BindTreeView(TreeView& tree, QWidget* parent, Dispatcher dispatch);

}  // namespace orva::dialogs
