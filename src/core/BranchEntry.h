#pragma once
// The deployment entry of an exported function detail (core/BranchExport.h): its fields in their
// order, and where the value of each comes from. The one description of an entry that both ways of
// exporting read, the packet set built as a dictionary tree and the packet file written straight from
// the details, so that the two cannot drift apart.

#include <array>
#include <cstdint>

#include "automation/Text.h"
#include "bag/TextFormatter.h"
#include "catalog/CatalogBranch.h"

namespace orva::core {

// One field of the entry: its key, and where its value comes from.
struct BranchEntryField {
    enum class Source : uint8_t {
        Id,         // the identifier of the node at level, as decimal text
        Name,       // the name of the node at level, in language
        Attribute,  // a member of the function detail, as stored
        Line,       // the publish line (PublishLine.h) with the names in the packet's language
    };
    static constexpr int8_t kPacketLanguage = -1;

    automation::Text key;
    Source source = Source::Id;
    uint8_t level = 0;                  // Id and Name: 0 top class, 1 subsystem, 2 sub-function, 3 detail
    int8_t language = kPacketLanguage;  // Name: a CatalogLanguage, or the packet's own
    automation::Text components::BranchNode::*attribute = nullptr;  // Attribute
};

inline constexpr size_t kBranchEntryFieldCount = 24;

// The fields in their order: the twelve a deployment entry has (BuildDeployPacket's, with the names in
// the packet's language), then the names of the four levels in all three languages.
const std::array<BranchEntryField, kBranchEntryFieldCount>& BranchEntryFields();

// The values of one entry at a time. Looks the publish-line patterns up once; never raises after that
// but for memory.
class BranchEntryValues {
public:
    BranchEntryValues();

    // Makes the entry of detail in the packet of language (0 CHS, 1 CHT, 2 EN) the current one. Every
    // detail selected must stay alive and unchanged while this object is used (the identifiers' texts
    // are kept by the node they belong to).
    void Select(const components::BranchDetail& detail, size_t language);

    // The node at level (0 top class .. 3 the function detail) of the current entry.
    const components::BranchNode* Node(size_t level) const { return m_levels[level]; }

    // The value of field in the current entry; valid until the next Select.
    automation::TextView Value(const BranchEntryField& field) const {
        switch (field.source) {
            case BranchEntryField::Source::Id:
                return m_ids[field.level];
            case BranchEntryField::Source::Name:
                return m_levels[field.level]
                    ->names[field.language < 0 ? m_language : static_cast<size_t>(field.language)];
            case BranchEntryField::Source::Attribute:
                return m_levels[3]->*field.attribute;
            case BranchEntryField::Source::Line:
                break;
        }
        return m_line;
    }

private:
    std::array<automation::Text, 3> m_patterns;
    components::TextFormatter m_formatter;
    std::array<const components::BranchNode*, 4> m_levels{};  // of the current detail, top class first
    size_t m_language = 0;
    std::array<automation::Text, 3> m_ids;                   // of m_levels[0 .. 2]
    std::array<const components::BranchNode*, 3> m_idsOf{};  // the nodes m_ids were made for
    automation::Text m_line;
};

}  // namespace orva::core
