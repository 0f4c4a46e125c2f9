#pragma once
// Entry of orva-deploy: parses the command line, publishes the host context and runs one command.

#include <string>
#include <vector>

#include "cli/Command.h"

namespace orva::cli {

// Returns the exit status: 0 success, 1 the operation failed, 2 the command line was wrong.
int RunCli(int argc, const char* const* argv, Streams& streams);
int RunCli(const std::vector<std::string>& args, Streams& streams);  // args without the program name

}  // namespace orva::cli
