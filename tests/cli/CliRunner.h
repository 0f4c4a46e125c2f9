#pragma once
// Runs orva-deploy in-process with captured streams.

#include <sstream>
#include <string>
#include <vector>

#include "cli/Cli.h"

namespace orva::cli::testing {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

inline CliResult RunTool(const std::vector<std::string>& args, const std::string& input = {}) {
    std::istringstream in(input);
    std::ostringstream out, err;
    Streams streams{in, out, err};
    int status = RunCli(args, streams);
    return {status, out.str(), err.str()};
}

}  // namespace orva::cli::testing
