#include "core/BranchExport.h"

#include <iterator>

#include "automation/TextHelpers.h"
#include "bag/SharedText.h"
#include "bag/TextFormatter.h"
#include "bag/Vector.h"
#include "core/DeployPacket.h"
#include "core/PublishLine.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

// The name fields of the levels, from the top class down; after the fixed fields each entry has them
// in all three languages.
constexpr const char16_t* kLevelNameFields[] = {fields::kTopClassName, fields::kSubSystemName,
                                                fields::kSubFuncName, fields::kFuncName};
constexpr size_t kFixedFields = 12;
constexpr size_t kEntryFields = kFixedFields + std::size(kLevelNameFields) * std::size(kCatalogLanguages);

// The keys of an entry in their order, made once per packet set and shared by all its entries: the
// entries are filled without looking a key up, each key being a text of its own (the set of fields is
// fixed, its keys differ in more than letter case).
std::array<SharedText, kEntryFields> EntryKeys() {
    const char16_t* fixed[kFixedFields] = {
        fields::kTopClassId, fields::kTopClassName, fields::kSubSystemId, fields::kSubSystemName,
        fields::kSubFuncId,  fields::kSubFuncName,  fields::kNewName,     fields::kFuncName,
        fields::kClassName,  fields::kClassParam,   fields::kHelpCode,    fields::kNo};
    std::array<SharedText, kEntryFields> keys;
    size_t at = 0;
    for (const char16_t* field : fixed) keys[at++] = SharedText(Text(field));
    for (const char16_t* field : kLevelNameFields) {
        for (CatalogLanguage language : kCatalogLanguages)
            keys[at++] = SharedText(LanguageField(field, language));
    }
    return keys;
}

}  // namespace

DictionaryRef BuildBranchPacketSet(std::span<const BranchDetail> details) {
    const std::array<Text, 3> patterns = PublishLinePatterns();
    const std::array<SharedText, kEntryFields> keys = EntryKeys();
    const TextFormatter formatter;
    std::array<VectorRef, 3> packets;
    for (VectorRef& packet : packets) {
        packet = Vector::Create();
        packet->Reserve(details.size());
    }
    for (const BranchDetail& detail : details) {
        const BranchNode* levels[] = {detail.topClass.get(), detail.subSystem.get(), detail.subFunc.get(),
                                      &detail.detail};
        const Text topId = Int32ToText(detail.topClass->id);
        const Text subId = Int32ToText(detail.subSystem->id);
        const Text funcId = Int32ToText(detail.subFunc->id);
        for (size_t k = 0; k < packets.size(); ++k) {
            const Text& funcName = detail.detail.names[k];
            const TextView lineArgs[] = {funcName, detail.topClass->names[k], detail.subSystem->names[k],
                                         detail.subFunc->names[k]};
            DictionaryRef entry = Dictionary::Create();
            entry->Reserve(keys.size());
            size_t at = 0;
            const auto add = [&](Variant value) { entry->AppendUnique(keys[at++], std::move(value)); };
            add(topId);
            add(detail.topClass->names[k]);
            add(subId);
            add(detail.subSystem->names[k]);
            add(funcId);
            add(detail.subFunc->names[k]);
            add(funcName);
            add(funcName);
            add(detail.detail.className);
            add(detail.detail.classParam);
            add(detail.detail.helpCode);
            add(formatter.Format(patterns[k], lineArgs));
            for (const BranchNode* level : levels) {
                for (const Text& name : level->names) add(name);
            }
            packets[k]->Add(std::move(entry));
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
