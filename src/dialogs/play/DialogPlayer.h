#pragma once
// DialogPlayer: shows a dialog model through a scripted user that takes its steps from a play script
// (PlayScript.h), and writes what the dialog ended with as a transcript. Works on any dialog model:
// the steps name controls, and the transcript lists the controls the model has.
//
// How the steps run (docs/play.md is the user's description):
// - Every step belongs to the dialog being played and runs while it is shown, in order. When the
//   steps run out with the dialog still open, the window is closed without a button. A step left
//   when the dialog has closed is an error.
// - click: a button is pressed; a list box entry (by "index" from 0, or the first entry whose display
//   text is "text") is selected and its Click raised. dblclick: the same, then DblClick; list boxes
//   only. A click on a list view is an error (select is its step).
// - select: exactly the list-view items named end selected (by "indexes" from 1, or every item whose
//   text is listed); no handler runs.
// - A step on a disabled control does nothing (it still counts).
// - input: queues an answer for the next frmInput shown: the text is typed as one change of its text
//   box, then cmdOK or cmdCancel is pressed. A refused cmdOK leaves the input dialog open for the next
//   queued answer; a frmInput with no answer left is closed without a button, which cancels it.
//   Answers left over at the end are ignored.
// - close: closes the window without a button.
// - check, expand (tree views) and activate belong to dialogs that have them; a dialog without
//   extensions for them refuses them as step errors.
// Errors: a step that names no control of the dialog, an index out of range, a text no entry or item
// has, an action the control does not take, or a step after the dialog closed is a PlayError naming
// the step; the window is then closed and the play ends.

#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "automation/AutomationError.h"
#include "automation/Variant.h"
#include "dialogs/common/DialogModel.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/play/PlayScript.h"

namespace orva::dialogs {

// What a dialog with a tree view (or an activation) adds to the play. Empty members: the dialog has
// no such thing, and the steps that need it are errors.
struct PlayExtensions {
    // Runs a check or expand step on tree, a control of kind TreeView that the step names. Returns
    // what is wrong with the step (the player reports it as the step's error), or nothing when it ran.
    std::function<std::optional<automation::Text>(DialogModel& dialog, Control& tree, const PlayStep& step)>
        treeStep;
    // Runs an activate step.
    std::function<void(DialogModel& dialog)> activate;
    // The transcript entry of a tree view.
    std::function<nlohmann::ordered_json(const Control& tree)> describeTree;
};

struct PlayOptions {
    // Called for each answer typed into a frmInput, after the text and before its button; answer
    // counts the answers typed during the play, from 1. What it raises ends the play as a failure.
    std::function<void(DialogModel& input, int32_t answer)> afterInputTyped;
    PlayExtensions extensions;
};

struct PlayOutcome {
    // The dialog was shown (its load succeeded): a transcript describes the run.
    bool shown = false;
    // The step error that ended the play, if one did.
    std::optional<PlayError> stepError;
    // A failure the dialog raised while shown (passed through its handlers), if one did.
    std::optional<automation::AutomationError> failure;
};

// Shows dialog modally, playing the script's steps. The dialog must show through a ScriptedUi (its
// Ui()) that has no steps queued yet; raises 13 otherwise. A failure of the dialog's load passes to
// the caller (then nothing was shown); step errors and failures while shown are returned.
PlayOutcome PlayDialog(DialogModel& dialog, const PlayScript& script, const PlayOptions& options = {});

// The transcript: {"messages": [{"text", "title", "style"[, "details"], "buttons"}...] (every message
// box of the scripted user, in order; "buttons" the captions its window would show), "bOK": the
// dialog's bOK, "controls": {name: ...} (every list box, list view, button and label, and tree view,
// in the dialog's order), "packetSet": packetSet as the JSON form of a packet file, or null when it
// holds no object}. See docs/play.md.
nlohmann::ordered_json Transcript(DialogModel& dialog, const automation::Variant& packetSet,
                                  const PlayExtensions& extensions = {});

// The parts of a transcript, for dialogs whose transcript has other members: the "messages" array and
// the "controls" object as Transcript writes them.
nlohmann::ordered_json TranscriptMessages(const DialogModel& dialog);
nlohmann::ordered_json TranscriptControls(const DialogModel& dialog, const PlayExtensions& extensions);

}  // namespace orva::dialogs
