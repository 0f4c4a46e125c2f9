#pragma once
// Shell completion for orva-deploy, answered by the program itself so that a new command or option
// completes without a second table: "orva-deploy __complete CWORD WORD..." (the words of the line
// as the shell split them, the program's name first, and the index of the word being completed)
// prints the candidates for that word, one a line, after walking the command tree that RunCli built.
//
// Candidates: command names, options (long names, then short ones) of the command and of the
// program, and option values: CHS, CHT and EN for --language; the FIDs of the account's class types
// for an option whose type is FID (of its reports for --report); its business subsystem numbers for
// --subsystem of type N or INT. Those come from the account the line names (--catalog, --props), opened read
// only; a line naming none, or an account that cannot be read, gives no values and no error. For a file
// (options and arguments of type FILE, PACKETFILE, SCRIPT, PNG, JSON, ACCOUNT, FOLDER) the one line
// kFileCandidates tells the shell script to complete file names itself.

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/Command.h"

namespace orva::cli {

inline constexpr const char* kCompleteCommand = "__complete";
inline constexpr const char* kFileCandidates = ":files";

// Prints the candidates for args (after "__complete": CWORD, then the words) to streams.out and
// returns kExitOk, or kExitUsage when CWORD is not a number. Never raises; writes nothing to err.
int PrintCompletions(CLI::App& app, const std::vector<std::string>& args, Streams& streams);

}  // namespace orva::cli
