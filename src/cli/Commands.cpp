#include "cli/Commands.h"

namespace orva::cli {

std::vector<std::unique_ptr<Command>> MakeCommands() {
    std::vector<std::unique_ptr<Command>> commands;
    commands.push_back(MakePackCommand());
    commands.push_back(MakeShowCommand());
    commands.push_back(MakeDeployCommand());
    commands.push_back(MakeExportCommand());
    commands.push_back(MakeTranslateCommand());
    commands.push_back(MakeFormatCommand());
    commands.push_back(MakeInitCommand());
    commands.push_back(MakeCatalogCommand());
    commands.push_back(MakeHistoryCommand());
    commands.push_back(MakeUndoCommand());
    commands.push_back(MakeTypesCommand());
    commands.push_back(MakeReportsCommand());
    commands.push_back(MakeSubsystemsCommand());
    commands.push_back(MakeWizardCommand());
    commands.push_back(MakePublishCommand());
    commands.push_back(MakeRegisterCommand());
    commands.push_back(MakeUnregisterCommand());
    return commands;
}

}  // namespace orva::cli
