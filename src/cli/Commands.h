#pragma once
// Factories of the individual commands; MakeCommands() gathers them.

#include <memory>

#include "cli/Command.h"

namespace orva::cli {

std::unique_ptr<Command> MakePackCommand();
std::unique_ptr<Command> MakeShowCommand();
std::unique_ptr<Command> MakeDeployCommand();
std::unique_ptr<Command> MakeExportCommand();
std::unique_ptr<Command> MakeTranslateCommand();
std::unique_ptr<Command> MakeFormatCommand();
std::unique_ptr<Command> MakeInitCommand();
std::unique_ptr<Command> MakeCatalogCommand();
std::unique_ptr<Command> MakeTypesCommand();
std::unique_ptr<Command> MakeReportsCommand();
std::unique_ptr<Command> MakeSubsystemsCommand();
std::unique_ptr<Command> MakeWizardCommand();
std::unique_ptr<Command> MakePublishCommand();
std::unique_ptr<Command> MakeRegisterCommand();
std::unique_ptr<Command> MakeUnregisterCommand();
std::unique_ptr<Command> MakeHistoryCommand();
std::unique_ptr<Command> MakeUndoCommand();

}  // namespace orva::cli
