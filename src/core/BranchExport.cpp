#include "core/BranchExport.h"

#include "automation/TextHelpers.h"
#include "bag/TextFormatter.h"
#include "bag/Vector.h"
#include "core/DeployPacket.h"
#include "core/PublishLine.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

// The entry's name fields, from the top class down, with the node each names.
struct NamedLevel {
    const char16_t* field;
    const BranchNode& node;
};

}  // namespace

DictionaryRef BuildBranchPacketSet(std::span<const BranchDetail> details) {
    const std::array<Text, 3> patterns = PublishLinePatterns();
    const TextFormatter formatter;
    std::array<VectorRef, 3> packets;
    for (VectorRef& packet : packets) packet = Vector::Create();
    std::vector<Variant> lineArgs(4);
    for (const BranchDetail& detail : details) {
        const NamedLevel levels[] = {{fields::kTopClassName, *detail.topClass},
                                     {fields::kSubSystemName, *detail.subSystem},
                                     {fields::kSubFuncName, *detail.subFunc},
                                     {fields::kFuncName, detail.detail}};
        const Text topId = Int32ToText(detail.topClass->id);
        const Text subId = Int32ToText(detail.subSystem->id);
        const Text funcId = Int32ToText(detail.subFunc->id);
        for (size_t k = 0; k < packets.size(); ++k) {
            const Text& funcName = detail.detail.names[k];
            lineArgs = {funcName, detail.topClass->names[k], detail.subSystem->names[k],
                        detail.subFunc->names[k]};
            DictionaryRef entry = Dictionary::Create();
            entry->SetValue(fields::kTopClassId, topId);
            entry->SetValue(fields::kTopClassName, detail.topClass->names[k]);
            entry->SetValue(fields::kSubSystemId, subId);
            entry->SetValue(fields::kSubSystemName, detail.subSystem->names[k]);
            entry->SetValue(fields::kSubFuncId, funcId);
            entry->SetValue(fields::kSubFuncName, detail.subFunc->names[k]);
            entry->SetValue(fields::kNewName, funcName);
            entry->SetValue(fields::kFuncName, funcName);
            entry->SetValue(fields::kClassName, detail.detail.className);
            entry->SetValue(fields::kClassParam, detail.detail.classParam);
            entry->SetValue(fields::kHelpCode, detail.detail.helpCode);
            entry->SetValue(fields::kNo, formatter.Format(patterns[k], lineArgs));
            for (const NamedLevel& level : levels) {
                for (CatalogLanguage language : kCatalogLanguages) {
                    entry->SetValue(LanguageField(level.field, language),
                                    level.node.names[static_cast<size_t>(language)]);
                }
            }
            packets[k]->Add(entry);
        }
    }
    DictionaryRef packetSet = Dictionary::Create();
    for (size_t k = 0; k < packets.size(); ++k) packetSet->SetValue(kPacketLanguages[k], packets[k]);
    return packetSet;
}

DictionaryRef ExportCatalogBranches(const AccountAddress& account, std::span<const BranchRoot> roots,
                                    bool includeHidden, const BranchProgress& progress) {
    std::vector<BranchDetail> details = ReadCatalogBranches(account, roots, includeHidden, progress);
    return BuildBranchPacketSet(details);
}

}  // namespace orva::core
