#pragma once
// DialogModel: the base of the dialog models (frmInput, frmWizard, frmPromu). A model owns its controls,
// runs the handlers named as in the product, and talks to the user only through its UiServices. It is
// the form itself as a control (kind Form: caption, client size in twips, font) and an automation
// object: callers reach its own members, its font properties (FontName, FontSize, as ApplyFormFont
// lets them, and FontCharset) and each control by name (form.cmdOK.Caption).
//
// Models are created with std::make_shared (ApplyFormFont and the UI services need a reference to the
// dialog as an object) and used for one showing: Load, ShowModal, read the results, release.

#include <memory>
#include <vector>

#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/UiServices.h"

namespace orva::dialogs {

class DialogModel : public CaptionedControl {
public:
    // name: the form's name ("frmInput"); clientWidth, clientHeight: its client area in twips.
    DialogModel(automation::Text name, int32_t clientWidth, int32_t clientHeight,
                std::shared_ptr<UiServices> ui);

    UiServices& Ui() const { return *m_ui; }
    const std::shared_ptr<UiServices>& UiPtr() const { return m_ui; }
    ChangeHub& Hub() const { return *HubPtr(); }

    // The controls in the order they were added (the tab order).
    const std::vector<std::shared_ptr<Control>>& Controls() const { return m_controls; }
    // The control of that name (without regard to ASCII case), or nullptr.
    Control* FindControl(automation::TextView name) const;

    // The design font of every dialog: 宋体, 9 points, GB2312 character set (Windows charset 134).
    static constexpr const char16_t* kDesignFontName = u"宋体";
    static constexpr double kDesignFontSize = 9;
    static constexpr int32_t kGb2312Charset = 134;

    // The font the view gives every control of the dialog: the design font until ApplyFormFont lets
    // FontName and FontSize. The view shows an installed family: the named one when the machine has it,
    // else the one fontconfig offers for the character set's script (for GB2312 a Simplified Chinese
    // font), so a dialog renders its texts on a machine without 宋体 too.
    const automation::Text& FontName() const { return m_fontName; }
    double FontSize() const { return m_fontSize; }
    int32_t FontCharset() const { return m_fontCharset; }
    void SetFontName(automation::Text family);
    void SetFontSize(double points);
    // Any Windows character-set number; the view reads 134 (GB2312) and 136 (Big5) as Chinese scripts.
    void SetFontCharset(int32_t charset);

    bool IsLoaded() const { return m_loaded; }
    // Runs Form_Load the first time; later calls do nothing. Changes made while loading reach a view as
    // one batch. Failures of Form_Load pass to the caller (the dialog counts as loaded).
    void Load();

    // Shows the dialog modally through the UI services (see UiServices::ShowModal).
    void ShowModal();
    bool IsShown() const { return m_shown; }
    // Called by the UI services when a modal show starts; the dialog then becomes active (Activate).
    void MarkShown();
    // The dialog becomes the active window: on its first show, and when the user returns to it from
    // another window (not when a message box or a dialog it showed itself closes). Runs Form_Activate
    // in one change batch; its failures pass to the caller.
    void Activate();
    // Hides the dialog, which ends its modal show; members stay readable.
    void Hide();
    // The user closes the window without a button: the dialog hides and no handler runs, so its result
    // members keep what they held (a dialog's bOK stays false).
    virtual void CloseWindow() { Hide(); }

    // The dialogs' message: text and title "Tarvo提示" through TranslateText, style 48, and details (as
    // given, not looked up) behind the box's details control when not empty. Returns the button pressed.
    int32_t ShowWarning(const automation::Text& chineseText, automation::Text details = {});

    // By name: the dialog's own members (InvokeOwn), Caption, FontName, FontSize, FontCharset, Visible,
    // Hide, Show,
    // then any control by its name (a property read giving the control object).
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) final;

protected:
    virtual void Form_Load() = 0;
    // What a dialog does when it becomes active; nothing unless it says otherwise.
    virtual void Form_Activate() {}
    // The members of the derived dialog (m_strText, bOK, ...), or nothing when name is none of them.
    virtual std::optional<automation::Variant> InvokeOwn(automation::TextView name, automation::CallKind kind,
                                                         std::span<automation::Variant> args) = 0;

    // Creates a control that reports to this dialog's hub and adds it (tab order = order of adding).
    template <typename T, typename... Rest>
    T& AddControl(automation::Text name, Geometry geometry, Rest&&... rest) {
        auto control = std::make_shared<T>(std::move(name), geometry, HubPtr(), std::forward<Rest>(rest)...);
        T& ref = *control;
        m_controls.push_back(std::move(control));
        return ref;
    }
    // As AddControl, for a control inside frame (a control of this dialog, added before it): geometry is
    // relative to the frame, and a view places the control's widget in the frame's.
    template <typename T, typename... Rest>
    T& AddControlIn(const Frame& frame, automation::Text name, Geometry geometry, Rest&&... rest) {
        T& ref = AddControl<T>(std::move(name), geometry, std::forward<Rest>(rest)...);
        ref.m_container = &frame;
        return ref;
    }

private:
    std::shared_ptr<UiServices> m_ui;
    std::vector<std::shared_ptr<Control>> m_controls;
    automation::Text m_fontName = kDesignFontName;
    double m_fontSize = kDesignFontSize;
    int32_t m_fontCharset = kGb2312Charset;
    bool m_loaded = false;
    bool m_shown = false;
};

}  // namespace orva::dialogs
