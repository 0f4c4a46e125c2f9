#pragma once
// frmInput: the small modal dialog that asks for one line of text (the name of a sub-function), lets
// the user edit it and hands back the trimmed text and whether the user confirmed it. The text may be
// at most 80 UTF-16 units long once leading and trailing spaces (U+0020) are removed; 80 Chinese
// characters fit.
//
// Use: create with std::make_shared, set m_strText, ShowModal(), then read bOK and, only when it is
// true, m_strText. While the trimmed text is longer than 80 units every change of the text box shows
// "输入不能超过80个字符！" (also the change of putting the initial text in at load); the text stays in
// the box as typed.

#include "dialogs/common/CaptionedControl.h"
#include "dialogs/common/DialogModel.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/TextBox.h"

namespace orva::dialogs {

class frmInput : public DialogModel {
public:
    static constexpr const char16_t* kName = u"frmInput";
    // The longest text accepted, in UTF-16 units after trimming.
    static constexpr size_t kMaxLength = 80;

    explicit frmInput(std::shared_ptr<UiServices> ui);

    // In: the text shown at load. Out: the confirmed text without leading and trailing spaces (also
    // after a refused cmdOK, while bOK stays false).
    automation::Text m_strText;
    // True once cmdOK accepted the text; false in a new dialog, after cmdCancel and after closing.
    bool bOK = false;

    Label& labText;
    TextBox& txtContent;
    Button& cmdOK;
    Button& cmdCancel;

    void txtContent_Change();
    // Takes the trimmed text into m_strText; accepts it (bOK true, dialog hidden) when it fits, else
    // shows the message and stays open.
    void cmdOK_Click();
    void cmdCancel_Click();

    automation::Text TypeName() const override { return u"frmInput"; }

protected:
    // Captions through TranslateText (each failure skipped), m_strText into the text box, then the
    // fonts of the current language.
    void Form_Load() override;
    // m_strText and bOK, read and written by name.
    std::optional<automation::Variant> InvokeOwn(automation::TextView name, automation::CallKind kind,
                                                 std::span<automation::Variant> args) override;

private:
    bool TooLong(automation::TextView text) const;
};

// A scripted user's answer to the next frmInput (queue it with ScriptedUi::Enqueue(frmInput::kName,
// ...)): types text into txtContent as one change, then presses cmdOK (confirm) or cmdCancel. A refused
// cmdOK leaves the dialog open for the next queued answer; raises 13 when the dialog is no frmInput.
ModalStep AnswerInput(automation::Text text, bool confirm);

}  // namespace orva::dialogs
