#pragma once
// A play script: the user steps that `--play` feeds a dialog, read from a JSON array of step objects
// (docs/play.md has the format). Parsing checks each step's shape only (its action, which fields it
// takes and their JSON types); whether a control of that name exists, whether an index is in range
// and whether the dialog is still open are found while playing (DialogPlayer.h).

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "automation/Text.h"

namespace orva::dialogs {

// A wrong script or a step that cannot be played: the message names the script and the step's number.
// Deliberately no std::exception: the failure-mode helpers that trap a dialog's own failures convert
// std::exceptions, and a script error must never be taken for one of the dialog's failures.
class PlayError {
public:
    PlayError(automation::Text message, int32_t step) : m_message(std::move(message)), m_step(step) {}
    // "<script>: step N: <what>" (or "<script>: <what>" for the file as a whole).
    const automation::Text& Message() const { return m_message; }
    // The step's number, from 1; 0 for the file as a whole.
    int32_t Step() const { return m_step; }

private:
    automation::Text m_message;
    int32_t m_step;
};

enum class StepAction { Click, DblClick, Select, Input, Close, Check, Expand, Activate };

// One step, as written. Fields that the action does not take stay empty.
struct PlayStep {
    int32_t number = 0;  // from 1, in the order of the file
    StepAction action = StepAction::Close;
    automation::Text control;                            // click, dblclick, select, check, expand
    std::optional<int32_t> index;                        // click, dblclick: a list box entry, from 0
    std::optional<automation::Text> text;                // click, dblclick: a list box entry's display text
    std::optional<std::vector<int32_t>> indexes;         // select: list-view items, from 1
    std::optional<std::vector<automation::Text>> texts;  // select: list-view item texts
    automation::Text input;                              // input: the text typed into the next frmInput
    bool ok = false;                                     // input: press cmdOK (true) or cmdCancel (false)
    automation::Text key;                                // check, expand: the tree node's key
    bool value = true;  // check: the check box's state; expand: expanded (true) or collapsed
};

struct PlayScript {
    automation::Text source;  // the script's name in messages (its file)
    std::vector<PlayStep> steps;
};

// Parses the JSON text of a script named source through the bounded reader (bag/BoundedJson.h), so a
// script nested deeper than 64 levels or too large for its size is refused naming the byte. Raises
// PlayError naming source (and the step, from 1) for text that is not JSON, a number beyond the
// range of a double (the step's error when a step holds it), a top level that is not an array, a
// step that is not an object, has no action or two, a field its action does not take, a field of
// the wrong JSON type, an index outside 32 bits, "close"/"activate" other than true, and a required
// field missing ("ok" of input, "key" and "value" of check, one of "index"/"text" for dblclick, one
// of "indexes"/"texts" for select; never both of a pair).
PlayScript ParsePlayScript(std::string_view json, const automation::Text& source);

// The action's name as a step writes it ("click", "dblclick", ...).
const char16_t* ActionName(StepAction action);

}  // namespace orva::dialogs
