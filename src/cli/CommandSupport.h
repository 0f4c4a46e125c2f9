#pragma once
// Small helpers shared by the commands: file reading with errors that name the file, and the
// printing of automation errors.

#include <optional>
#include <string>

#include "automation/AutomationError.h"
#include "cli/Command.h"

namespace orva::cli {

// The whole content of a file. Raises 53 naming the file when it cannot be read.
std::string ReadWholeFile(const std::string& path);

// Prints "orva-deploy: <context>: <description>" to err and returns kExitFailure.
int ReportFailure(Streams& streams, const std::string& context, const automation::AutomationError& error);

// True when the stream is a terminal (for progress output).
bool IsTerminal(const std::ostream& stream);

}  // namespace orva::cli
