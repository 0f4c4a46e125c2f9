#include "core/BranchEntry.h"

#include <iterator>

#include "automation/TextHelpers.h"
#include "core/DeployPacket.h"
#include "core/PublishLine.h"

namespace orva::core {

using namespace automation;
using namespace components;

namespace {

std::array<BranchEntryField, kBranchEntryFieldCount> MakeFields() {
    using Source = BranchEntryField::Source;
    const BranchEntryField fixed[] = {
        {fields::kTopClassId, Source::Id, 0},
        {fields::kTopClassName, Source::Name, 0},
        {fields::kSubSystemId, Source::Id, 1},
        {fields::kSubSystemName, Source::Name, 1},
        {fields::kSubFuncId, Source::Id, 2},
        {fields::kSubFuncName, Source::Name, 2},
        {fields::kNewName, Source::Name, 3},
        {fields::kFuncName, Source::Name, 3},
        {fields::kClassName, Source::Attribute, 3, BranchEntryField::kPacketLanguage, &BranchNode::className},
        {fields::kClassParam, Source::Attribute, 3, BranchEntryField::kPacketLanguage,
         &BranchNode::classParam},
        {fields::kHelpCode, Source::Attribute, 3, BranchEntryField::kPacketLanguage, &BranchNode::helpCode},
        {fields::kNo, Source::Line},
    };
    // The name fields of the levels, from the top class down.
    const char16_t* levelNames[] = {fields::kTopClassName, fields::kSubSystemName, fields::kSubFuncName,
                                    fields::kFuncName};
    static_assert(std::size(fixed) + std::size(levelNames) * std::size(kCatalogLanguages) ==
                  kBranchEntryFieldCount);
    std::array<BranchEntryField, kBranchEntryFieldCount> all;
    size_t at = 0;
    for (const BranchEntryField& field : fixed) all[at++] = field;
    for (uint8_t level = 0; level < std::size(levelNames); ++level) {
        for (CatalogLanguage language : kCatalogLanguages) {
            all[at++] = {LanguageField(levelNames[level], language), Source::Name, level,
                         static_cast<int8_t>(language)};
        }
    }
    return all;
}

}  // namespace

const std::array<BranchEntryField, kBranchEntryFieldCount>& BranchEntryFields() {
    static const std::array<BranchEntryField, kBranchEntryFieldCount> fields = MakeFields();
    return fields;
}

BranchEntryValues::BranchEntryValues() : m_patterns(PublishLinePatterns()) {}

void BranchEntryValues::Select(const BranchDetail& detail, size_t language) {
    m_levels = {detail.topClass.get(), detail.subSystem.get(), detail.subFunc.get(), &detail.detail};
    m_language = language;
    // Consecutive entries mostly share the nodes above them, and with them the identifiers' texts.
    for (size_t level = 0; level < m_ids.size(); ++level) {
        if (m_idsOf[level] == m_levels[level]) continue;
        m_ids[level] = Int32ToText(m_levels[level]->id);
        m_idsOf[level] = m_levels[level];
    }
    const TextView lineArgs[] = {detail.detail.names[language], detail.topClass->names[language],
                                 detail.subSystem->names[language], detail.subFunc->names[language]};
    m_line = m_formatter.Format(m_patterns[language], lineArgs);
}

}  // namespace orva::core
