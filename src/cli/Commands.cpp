#include "cli/Commands.h"

namespace orva::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakePackCommand());
    commands.push_back(MakeShowCommand());
    return commands;
}

}  // namespace orva::cli
