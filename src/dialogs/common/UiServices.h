#pragma once
// UiServices: what a dialog model asks of the user interface, injected so the same model runs under
// real windows (the Qt implementation, loaded on demand by WindowUiServices) or under a scripted user
// in tests and in `--play` (ScriptedUi). The models call it themselves: the text, title and style of a
// message box are behaviour of the model, not of a view.

#include <cstdint>

#include "automation/Text.h"

namespace orva::dialogs {

class DialogModel;

// Message box styles (buttons + icon), as callers of a message box know the values.
namespace msgbox {
inline constexpr int32_t kOkOnly = 0;
inline constexpr int32_t kCritical = 16;
inline constexpr int32_t kQuestion = 32;
inline constexpr int32_t kExclamation = 48;  // a warning icon; with kOkOnly the dialogs' only style
inline constexpr int32_t kInformation = 64;
inline constexpr int32_t kOk = 1;  // what a box answers when its OK button was pressed
}  // namespace msgbox

struct MessageBoxRequest {
    automation::Text text;
    automation::Text title;
    int32_t style = msgbox::kOkOnly;
    // Extra text behind a "details" control (e.g. the full error); empty for none.
    automation::Text details;

    bool operator==(const MessageBoxRequest&) const = default;
};

// The screen's mouse pointer as the dialogs set it around long fills.
enum class MousePointer : int32_t { Default = 0, Hourglass = 11 };

class UiServices {
public:
    virtual ~UiServices() = default;

    // Shows the dialog modally: loads it if not yet loaded (Form_Load runs once), marks it shown and
    // returns when it is hidden (by a handler, or when the window is closed, which hides it without a
    // handler). Failures of Form_Load pass to the caller. Raises an automation error when no window can
    // be shown here (no display, wrong thread); the dialog is then left unshown.
    virtual void ShowModal(DialogModel& dialog) = 0;

    // Shows a message box and returns the value of the button pressed (msgbox::kOk for the OK-only
    // styles the dialogs use). Never raises for a well-formed request on a working display.
    virtual int32_t MessageBox(const MessageBoxRequest& request) = 0;

    virtual void SetMousePointer(MousePointer pointer) = 0;
    virtual MousePointer GetMousePointer() const = 0;
};

// Sets the hourglass for its scope and puts back the pointer it found.
class HourglassScope {
public:
    explicit HourglassScope(UiServices& ui) : m_ui(ui), m_previous(ui.GetMousePointer()) {
        m_ui.SetMousePointer(MousePointer::Hourglass);
    }
    ~HourglassScope() { m_ui.SetMousePointer(m_previous); }
    HourglassScope(const HourglassScope&) = delete;
    HourglassScope& operator=(const HourglassScope&) = delete;

private:
    UiServices& m_ui;
    MousePointer m_previous;
};

}  // namespace orva::dialogs
