#pragma once
// Controls that show a caption and no data: buttons, labels and frames. A caption may carry a mnemonic
// ("确定(&O)": Alt+O presses the button, and the view underlines the O).

#include "dialogs/common/Control.h"

namespace orva::dialogs {

class CaptionedControl : public Control {
public:
    using Control::Control;

    const automation::Text& Caption() const { return m_caption; }
    void SetCaption(automation::Text caption);

    // By name: Caption (get and let), and the members of every control.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

protected:
    // Caption and the members of every control; empty when name is none of them.
    std::optional<automation::Variant> InvokeCaptioned(automation::TextView name, automation::CallKind kind,
                                                       std::span<automation::Variant> args);

private:
    automation::Text m_caption;
};

class Label : public CaptionedControl {
public:
    Label(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : CaptionedControl(ControlKind::Label, std::move(name), geometry, std::move(hub)) {}
    automation::Text TypeName() const override { return u"Label"; }
};

// A frame draws a captioned border around other controls; it holds no state of its own.
class Frame : public CaptionedControl {
public:
    Frame(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub)
        : CaptionedControl(ControlKind::Frame, std::move(name), geometry, std::move(hub)) {}
    automation::Text TypeName() const override { return u"Frame"; }
};

class Button : public CaptionedControl {
public:
    // isDefault: Enter presses it; isCancel: Esc presses it (at most one of each per form).
    Button(automation::Text name, Geometry geometry, std::shared_ptr<ChangeHub> hub, bool isDefault = false,
           bool isCancel = false)
        : CaptionedControl(ControlKind::Button, std::move(name), geometry, std::move(hub)),
          m_isDefault(isDefault),
          m_isCancel(isCancel) {}

    Handler Click;

    bool IsDefault() const { return m_isDefault; }
    bool IsCancel() const { return m_isCancel; }

    // The user presses the button: raises Click unless the button is disabled.
    void Press();

    automation::Text TypeName() const override { return u"Button"; }

private:
    bool m_isDefault;
    bool m_isCancel;
};

}  // namespace orva::dialogs
