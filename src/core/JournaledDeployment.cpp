#include "core/JournaledDeployment.h"

#include <memory>

#include "account/AccountLocation.h"
#include "automation/AutomationError.h"
#include "automation/PendingError.h"
#include "automation/TextHelpers.h"
#include "hostctx/SharedProperties.h"
#include "hostctx/Texts.h"
#include "services/PropsString.h"

namespace orva::core {

using namespace automation;
using namespace components;

std::vector<Text> MessageLines(const Vector& messages) {
    std::vector<Text> lines;
    lines.reserve(static_cast<size_t>(messages.Count()));
    for (int32_t i = messages.LowerBound(); i <= messages.UpperBound(); ++i) {
        Text line;
        // Ignored: a line without a text form is journaled empty rather than losing the run's end.
        RunIgnoring([&] { line = messages.Item(i).ToText(); });
        lines.push_back(std::move(line));
    }
    return lines;
}

bool DeployJournaled(JournalRunInfo info, const Variant& packet, VectorRef& messages,
                     const DeployProgress& progress) {
    if (!messages) messages = Vector::Create();
    std::unique_ptr<JournalRun> run;
    Text props = HostPropsString();
    if (PropsEntry(props, u"ConnectString")) {
        bool started = TrapAndEnd(
            [&] {
                if (info.language.empty()) info.language = UCase(hostctx::GetPropsValue(u"Language"));
                if (info.language.empty()) info.language = u"CHS";  // what the readers take then
                run = std::make_unique<JournalRun>(AccountFromPropsString(props), info);
            },
            [&](const AutomationError& error) {
                messages->Add(hostctx::FormatText(patterns::kDeployFailed, {error.Description()}));
            });
        if (!started) return false;
    }
    bool result = DeployPacketToCatalogue(packet, messages, progress);
    // Ignored: the nodes and their journal rows are committed; only the run's end is missing.
    if (run) RunIgnoring([&] { run->Finish(result, MessageLines(*messages)); });
    return result;
}

}  // namespace orva::core
