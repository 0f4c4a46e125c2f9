#include "cli/CommandSupport.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

namespace orva::cli {

using namespace automation;

std::string ReadWholeFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        Raise(errors::kFileNotFound,
              FromUtf8("cannot read file \"" + path + "\": " + std::strerror(errno)));
    }
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

int ReportFailure(Streams& streams, const std::string& context, const AutomationError& error) {
    streams.err << "orva-deploy: " << context << ": " << ToUtf8Lossy(error.Description()) << "\n";
    return kExitFailure;
}

bool IsTerminal(const std::ostream& stream) {
    if (&stream == &std::cout) return isatty(STDOUT_FILENO) != 0;
    if (&stream == &std::cerr) return isatty(STDERR_FILENO) != 0;
    return false;
}

}  // namespace orva::cli
