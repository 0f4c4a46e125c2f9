#pragma once
// TextBox: one line of editable text. Every change of the text raises Change, whether the user typed
// it or a program set it; setting the text it already holds is no change.

#include "dialogs/common/Control.h"

namespace orva::dialogs {

class TextBox : public Control {
public:
    TextBox(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : Control(ControlKind::TextBox, std::move(name), geometry, std::move(hub)) {}

    Handler Change;

    const automation::Text& Text() const { return m_text; }
    // Sets the text; when it differs, notifies and raises Change. A view that mirrors the user's typing
    // calls this once per edit.
    void SetText(automation::Text text);

    automation::Text TypeName() const override { return u"TextBox"; }
    // By name: Text (get and let; also the default member), and the members of every control.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    automation::Text m_text;
};

}  // namespace orva::dialogs
