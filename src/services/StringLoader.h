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

using automation::Text;
using automation::TextView;
using automation::Variant;

class StringLoader : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaText.StringLoader";

    static std::shared_ptr<StringLoader> Create() { return std::make_shared<StringLoader>(); }

    // Both start empty.
    const Text& ResFileBaseName() const { return m_resFileBaseName; }
    void SetResFileBaseName(Text name) { m_resFileBaseName = std::move(name); }
    // Matched without regard to letter case ("cht" reads OrvaDesign.CHT.po); kept as given.
    const Text& LanguageID() const { return m_languageId; }
    void SetLanguageID(Text language) { m_languageId = std::move(language); }

    // The text of key in LanguageID, or key itself when there is none (see above). Never raises.
    Text LoadString(TextView key) const;

    Text TypeName() const override { return u"StringLoader"; }
    // Raises 438 for other members, 450 for a wrong number of arguments, 13 when a value is not text.
    Variant Invoke(TextView name, automation::CallKind kind, std::span<Variant> args) override;

private:
    Text m_resFileBaseName;
    Text m_languageId;
};

}  // namespace orva::components
