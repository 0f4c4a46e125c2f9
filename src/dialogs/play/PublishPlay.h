#pragma once
// What the publish dialog (frmPromu) adds to a play (DialogPlayer.h, docs/play.md): the steps on its
// business-object tree and its activation, the tree's transcript entry, and its transcript, which has
// the mouse pointer changes instead of a result (the dialog hands nothing back to its caller).
//
// Steps, each a user's action on the tree named by the step (a TreeView), its node given by key
// (compared exactly; a key no node has is the step's error):
// - check: clicks the node's check box when its mark differs from "value", which sets the mark and
//   runs the tree's check handling once; a node that has the mark already is left alone.
// - expand: expands ("value" true) or collapses the node as a click on its expander does, running the
//   expand or collapse handling; nothing happens for a node in that state or without children.
// - activate: the dialog becomes the active window again (DialogModel::Activate, Form_Activate).
// A step on a disabled tree does nothing, after its key is checked.

#include <nlohmann/json.hpp>

#include "dialogs/play/DialogPlayer.h"

namespace orva::dialogs {

PlayExtensions PublishPlayExtensions();

// A tree's transcript entry: {"nodes": [{"key", "text", "tag", "parent", "checked", "expanded",
// "image", "selectedImage", "expandedImage"}...]} in the tree's node order; "parent" is the parent's
// key, null for a top node; an image never set is null.
nlohmann::ordered_json DescribeTree(const Control& tree);

// The publish dialog's transcript: {"messages" (as Transcript writes them), "pointer": [the mouse
// pointer values set during the play, in order (11 hourglass, 0 default); [] when none], "controls"
// (as Transcript writes them, the tree described by DescribeTree)}. The dialog must show through a
// ScriptedUi (raises 13 otherwise).
nlohmann::ordered_json PublishTranscript(const DialogModel& dialog);

}  // namespace orva::dialogs
