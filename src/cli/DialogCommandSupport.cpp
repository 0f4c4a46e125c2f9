#include "cli/DialogCommandSupport.h"

#include <filesystem>
#include <ostream>
#include <vector>

#include "automation/AutomationError.h"
#include "cli/CommandSupport.h"
#include "dialogs/common/Screenshot.h"
#include "storage/AtomicFile.h"

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
    options.afterInputTyped = [png](dialogs::DialogModel& input, int32_t answer) {
        dialogs::RenderDialogPng(input, InputPicturePath(png, answer));
    };
}

std::string InputPicturePath(const std::string& png, int32_t answer) {
    std::filesystem::path path(png);
    return (path.parent_path() / (path.stem().string() + "-frmInput-" + std::to_string(answer) + ".png"))
        .string();
}

std::optional<std::string> CheckPictureTargets(const std::string& png, const dialogs::PlayScript* script) {
    std::vector<std::string> targets{png};
    int32_t answers = 0;
    if (script) {
        for (const dialogs::PlayStep& step : script->steps) {
            if (step.action == dialogs::StepAction::Input)
                targets.push_back(InputPicturePath(png, ++answers));
        }
    }
    for (const std::string& target : targets) {
        try {
            components::CheckReplaceable(FromUtf8(target));
        } catch (const AutomationError& error) {
            return "--screenshot: " + ToUtf8Lossy(error.Description());
        }
    }
    return std::nullopt;
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
