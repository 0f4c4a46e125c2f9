#pragma once
// OrvaText.StringLoader: the suite's resource-string component. It answers a text key (the Simplified
// Chinese wording of a text) with the text in its language, read from the translation file
// "<ResFileBaseName>.<LanguageID>.po" (see PoCatalog.h for where the files are found).
//
// A key that the file does not translate answers the key itself: the Chinese wording is the best text
// there is, and a missing translation stays visible instead of leaving a blank control. The same holds
// for "CHS" (the keys are its texts), an empty LanguageID or ResFileBaseName, and a missing or malformed
// file (which also leaves a warning, see TakeCatalogWarnings).
//
// By name: ResFileBaseName and LanguageID (text properties, get and let), LoadString(key), with the key
// passed by reference and left unchanged.

#include <memory>

#include "automation/Object.h"

namespace orva::components {

class StringLoader : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaText.StringLoader";

    static std::shared_ptr<StringLoader> Create() { return std::make_shared<StringLoader>(); }

    // Both start empty.
    const automation::Text& ResFileBaseName() const { return m_resFileBaseName; }
    void SetResFileBaseName(automation::Text name) { m_resFileBaseName = std::move(name); }
    // Matched without regard to letter case ("cht" reads OrvaDesign.CHT.po); kept as given.
    const automation::Text& LanguageID() const { return m_languageId; }
    void SetLanguageID(automation::Text language) { m_languageId = std::move(language); }

    // The text of key in LanguageID, or key itself when there is none (see above). Never raises.
    automation::Text LoadString(automation::TextView key) const;

    automation::Text TypeName() const override { return u"StringLoader"; }
    // Raises 438 for other members, 450 for a wrong number of arguments, 13 when a value is not text.
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    automation::Text m_resFileBaseName;
    automation::Text m_languageId;
};

}  // namespace orva::components
