#include "dialogs/play/PublishPlay.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "dialogs/common/ScriptedUi.h"
#include "dialogs/common/TreeView.h"

namespace orva::dialogs {

using automation::Text;
using Json = nlohmann::ordered_json;

namespace {

Json TextOrNull(const std::optional<Text>& text) {
    return text ? Json(automation::ToUtf8Lossy(*text)) : Json(nullptr);
}

std::optional<Text> TreeStep(DialogModel&, Control& control, const PlayStep& step) {
    auto& tree = static_cast<TreeView&>(control);
    const int32_t node = tree.Find(step.key);
    if (node == 0)
        return tree.Name() + u" has no node with the key \"" + automation::Abbreviate(step.key) + u"\"";
    // The tree's own user actions ignore a click that changes nothing, and a disabled tree.
    if (step.action == StepAction::Check) {
        tree.CheckByUser(node, step.value);
    } else {
        tree.ExpandByUser(node, step.value);
    }
    return std::nullopt;
}

}  // namespace

PlayExtensions PublishPlayExtensions() {
    PlayExtensions extensions;
    extensions.treeStep = TreeStep;
    extensions.activate = [](DialogModel& dialog) { dialog.Activate(); };
    extensions.describeTree = DescribeTree;
    return extensions;
}

Json DescribeTree(const Control& control) {
    const auto& tree = static_cast<const TreeView&>(control);
    Json nodes = Json::array();
    for (int32_t i = 1; i <= tree.Count(); ++i) {
        const TreeNode& node = tree.Node(i);
        Json entry = Json::object();
        entry["key"] = automation::ToUtf8Lossy(node.key);
        entry["text"] = automation::ToUtf8Lossy(node.text);
        entry["tag"] = automation::ToUtf8Lossy(node.tag);
        entry["parent"] =
            node.parent ? Json(automation::ToUtf8Lossy(tree.Node(node.parent).key)) : Json(nullptr);
        entry["checked"] = node.checked;
        entry["expanded"] = node.expanded;
        entry["image"] = TextOrNull(node.image);
        entry["selectedImage"] = TextOrNull(node.selectedImage);
        entry["expandedImage"] = TextOrNull(node.expandedImage);
        nodes.push_back(std::move(entry));
    }
    return Json{{"nodes", std::move(nodes)}};
}

Json PublishTranscript(const DialogModel& dialog) {
    auto* ui = dynamic_cast<const ScriptedUi*>(&dialog.Ui());
    if (!ui) {
        automation::Raise(automation::errors::kTypeMismatch,
                          dialog.Name() + u" does not show through a scripted user, so it has no transcript");
    }
    Json pointer = Json::array();
    for (MousePointer value : ui->PointerHistory()) pointer.push_back(static_cast<int32_t>(value));
    Json root = Json::object();
    root["messages"] = TranscriptMessages(dialog);
    root["pointer"] = std::move(pointer);
    root["controls"] = TranscriptControls(dialog, PublishPlayExtensions());
    return root;
}

}  // namespace orva::dialogs
