#pragma once
// Control: the base of the dialog models' controls (list box, list view, tree view, button, label,
// frame, text box, and the form itself). A control holds the state a window would show, runs its handlers
// without any window toolkit, and tells a listener (the view, when there is one) what changed, so a view can
// mirror the model. Controls are automation objects: callers read and set them by name.
//
// Change notification: every change calls the dialog's ChangeHub with the aspect that changed. While a
// ChangeBatch is open the hub only collects (control, aspects) pairs and delivers each control once
// when the outermost batch closes; a view opens a batch around every user event it forwards, so a
// handler that fills a list of 5,000 entries costs the view one refill, not 5,000.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <unordered_map>
#include <vector>

#include "automation/Object.h"

namespace orva::dialogs {

// The aspects of a control that a view mirrors; combined as a bit mask.
using Changes = std::uint32_t;
namespace change {
inline constexpr Changes kCaption = 1u << 0;
inline constexpr Changes kEnabled = 1u << 1;
inline constexpr Changes kItems = 1u << 2;      // list entries, list-view items or columns
inline constexpr Changes kSelection = 1u << 3;  // ListIndex, selected flags
inline constexpr Changes kText = 1u << 4;       // a text box's text
inline constexpr Changes kFont = 1u << 5;       // the form's FontName or FontSize
inline constexpr Changes kVisible = 1u << 6;    // the form was hidden (ends a modal show)
inline constexpr Changes kNodeState = 1u << 7;  // a tree's check marks, expansion or images
inline constexpr Changes kScroll = 1u << 8;     // a tree's node or a list view's item to bring into view
}  // namespace change

enum class ControlKind { Form, ListBox, ListView, TreeView, Button, Label, Frame, TextBox };

// Position and size in twips (1,440 per logical inch), relative to the control's container: the form's
// client area, or the frame that holds the control (its outer top-left corner, caption included).
struct Geometry {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

class Control;

// What a view implements to hear about model changes. Called on the thread that changed the model.
class ChangeListener {
public:
    virtual ~ChangeListener() = default;
    virtual void ControlChanged(Control& control, Changes changes) = 0;
};

// The dialog-wide switchboard between controls and their one listener. Without a listener every
// notification returns at once, so headless models pay nothing for it.
class ChangeHub {
public:
    // The listener is not owned; pass nullptr to detach. The caller keeps it alive while attached.
    void Attach(ChangeListener* listener) { m_listener = listener; }
    bool HasListener() const { return m_listener != nullptr; }

    // Delivers at once, or, inside a batch, merges into the pending changes of the control.
    void Notify(Control& control, Changes changes);

    // Batches nest; the outermost End delivers the pending changes, each control once, in the order
    // of their first change.
    void BeginBatch() { ++m_batchDepth; }
    void EndBatch();

private:
    ChangeListener* m_listener = nullptr;
    int m_batchDepth = 0;
    std::vector<std::pair<Control*, Changes>> m_pending;
    std::unordered_map<Control*, size_t> m_pendingIndex;
};

// Holds a batch open for its scope.
class ChangeBatch {
public:
    explicit ChangeBatch(ChangeHub& hub) : m_hub(hub) { m_hub.BeginBatch(); }
    ~ChangeBatch() { m_hub.EndBatch(); }
    ChangeBatch(const ChangeBatch&) = delete;
    ChangeBatch& operator=(const ChangeBatch&) = delete;

private:
    ChangeHub& m_hub;
};

// A handler of a control event (Click, DblClick, Change); an empty function is no handler.
using Handler = std::function<void()>;

class Control : public automation::Object {
public:
    Control(ControlKind kind, automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : m_kind(kind), m_name(std::move(name)), m_geometry(geometry), m_hub(std::move(hub)) {}

    ControlKind Kind() const { return m_kind; }
    // The control's name in the dialog ("cmdOK"); the view names its widget the same.
    const automation::Text& Name() const { return m_name; }
    const Geometry& Position() const { return m_geometry; }
    // The frame that holds this control, or nullptr when the form holds it. Set once by the dialog
    // that adds the control; the container is a control of the same dialog and outlives this one.
    const Control* Container() const { return m_container; }

    // A disabled control ignores the user: its user actions (Press, SelectByUser, ...) do nothing.
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool enabled);

protected:
    const std::shared_ptr<ChangeHub>& HubPtr() const { return m_hub; }
    void Notify(Changes changes) {
        if (m_hub) m_hub->Notify(*this, changes);
    }
    // Members every control answers to by name: Name, Enabled, Left, Top, Width, Height. Empty when
    // name is none of them.
    std::optional<automation::Variant> InvokeCommon(automation::TextView name, automation::CallKind kind,
                                                    std::span<automation::Variant> args);

private:
    friend class DialogModel;  // places a control in its container as it adds it

    ControlKind m_kind;
    automation::Text m_name;
    Geometry m_geometry;
    const Control* m_container = nullptr;
    std::shared_ptr<ChangeHub> m_hub;
    bool m_enabled = true;
};

}  // namespace orva::dialogs
