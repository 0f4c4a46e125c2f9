#pragma once
// What the commands that open a dialog (wizard, publish) share: their usage errors, reading a --play
// script, and picturing each answer typed into the name dialog and each message box shown when
// --screenshot is given.

#include <optional>
#include <string>

#include "cli/Command.h"
#include "dialogs/play/DialogPlayer.h"
#include "dialogs/play/PlayScript.h"

namespace orva::cli {

// Prints "orva-deploy: <command>: <message>" to err (made safe for a terminal) and returns kExitUsage.
int ReportUsage(Streams& streams, const std::string& command, const std::string& message);

// Reads and parses the play script at path into script. A script that cannot be read or parsed is a
// wrong command line: answers the message that says why (naming the file), or nothing when it was
// read.
std::optional<std::string> ReadPlayScriptFile(const std::string& path, dialogs::PlayScript& script);

// Makes options render each frmInput the script types an answer into as InputPicturePath(png, N).
void PictureEachInput(dialogs::PlayOptions& options, const std::string& png);

// "<stem>-frmInput-<N>.png" beside png: the picture of the N-th answer typed (from 1).
std::string InputPicturePath(const std::string& png, int32_t answer);

// Checks, before a dialog opens, every file that --screenshot png may write: png and, with a script,
// the picture of each answer its "input" steps may type. Answers the message refusing the first that
// could not be saved (a folder, a device, a FIFO, a link to nothing, a missing folder: see
// CheckReplaceable in storage/AtomicFile.h), naming it, or nothing.
std::optional<std::string> CheckPictureTargets(const std::string& png, const dialogs::PlayScript* script);

// Renders each message box the play showed (through dialog's scripted user) as
// "<stem>-message-<N>.png" beside png (N counting them from 1), details open. Raises what rendering
// raises (57 naming a file that cannot be written).
void PictureEachMessage(const dialogs::DialogModel& dialog, const std::string& png);

}  // namespace orva::cli
