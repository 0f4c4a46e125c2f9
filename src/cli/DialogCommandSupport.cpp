#include "cli/DialogCommandSupport.h"

#include <filesystem>
#include <ostream>

#include "automation/AutomationError.h"
#include "cli/CommandSupport.h"
#include "dialogs/common/Screenshot.h"

namespace orva::cli {

using namespace automation;

int ReportUsage(Streams& streams, const std::string& command, const std::string& message) {
    streams.err << "orva-deploy: " << command << ": " << TerminalText(message) << "\n";
    return kExitUsage;
}

std::optional<std::string> ReadPlayScriptFile(const std::string& path, dialogs::PlayScript& script) {
    try {
        script = dialogs::ParsePlayScript(ReadInputFile(path), FromUtf8(path));
    } catch (const dialogs::PlayError& error) {
        return ToUtf8Lossy(error.Message());
    } catch (const AutomationError& error) {
        return ToUtf8Lossy(error.Description());
    }
    return std::nullopt;
}

void PictureEachInput(dialogs::PlayOptions& options, const std::string& png) {
    options.afterInputTyped = [png = std::filesystem::path(png)](dialogs::DialogModel& input,
                                                                 int32_t answer) {
        dialogs::RenderDialogPng(input, png.parent_path() / (png.stem().string() + "-frmInput-" +
                                                             std::to_string(answer) + ".png"));
    };
}

void PictureEachMessage(const dialogs::DialogModel& dialog, const std::string& png) {
    const auto* ui = dynamic_cast<const dialogs::ScriptedUi*>(&dialog.Ui());
    if (!ui) return;
    const std::filesystem::path path(png);
    int n = 0;
    for (const dialogs::MessageBoxRequest& message : ui->Messages()) {
        dialogs::RenderMessagePng(message, path.parent_path() / (path.stem().string() + "-message-" +
                                                                 std::to_string(++n) + ".png"));
    }
}

}  // namespace orva::cli
