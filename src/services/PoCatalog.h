#pragma once
// PoCatalog: the translations of one gettext PO file, read with libgettextpo, as a map from msgid to
// msgstr. The string loader reads its resource files through it.
//
// Translation files are named "<base name>.<language>.po" (for example "OrvaDesign.EN.po") and are
// searched, in this order, in:
//   1. the folder named by the environment variable ORVA_TRANSLATIONS_DIR, when it is set and not
//      empty; it is then the only folder searched, so a translator can test a file in place;
//   2. <folder of the loaded library>/../share/orva/translations (the installed layout; from a
//      multiarch library folder lib/<triplet>, ../../share/orva/translations);
//   3. the source tree's data/translations (so a build runs without being installed; left out of a
//      build configured with ORVA_BUILD_TREE_DATA off, as packages are).
//
// Each file is read once per process and kept (CatalogFor). A missing or malformed file never fails
// a caller: it yields an empty catalogue, so every lookup falls back to the key, and it leaves one
// warning for the program to show (TakeCatalogWarnings).

#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "automation/Text.h"

namespace orva::components {

class PoCatalog {
public:
    // The catalogue of the PO file at path. Raises AutomationError 53 when the file cannot be opened
    // or libgettextpo (opened with the first file read) cannot be loaded, and 321 (naming the file, the line
    // and libgettextpo's message) when it is not a well-formed UTF-8 PO file. Fuzzy, obsolete, plural and
    // context entries and empty msgstrs are left out.
    static std::shared_ptr<const PoCatalog> Read(const std::filesystem::path& path);

    // A catalogue without entries.
    static std::shared_ptr<const PoCatalog> Empty();

    // The translation of msgid, or nullptr when the file has none. The pointer lives as long as the
    // catalogue.
    const automation::Text* Find(automation::TextView msgid) const;

    size_t Size() const { return m_entries.size(); }
    // The file it was read from; empty for a catalogue that stands in for a missing file.
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
    std::unordered_map<automation::Text, automation::Text> m_entries;
};

// The folders searched for translation files, in search order (see above).
std::vector<std::filesystem::path> TranslationFolders();

// The catalogue of baseName in language (upper-cased for the file name), from the first folder that
// holds "<baseName>.<LANGUAGE>.po". Read once per process and kept; thread-safe. Never fails: an empty
// language or base name, a name that is not a plain file name, a missing file or a malformed file all
// give an empty catalogue. The last two leave a warning, except that no file is expected for "CHS",
// the language in which the keys are written.
std::shared_ptr<const PoCatalog> CatalogFor(automation::TextView baseName, automation::TextView language);

// The warnings about translation files left since the last call (UTF-8, one line each, no newline);
// each warning is handed out once.
std::vector<std::string> TakeCatalogWarnings();

// Forgets every catalogue read so far and every warning, so the next CatalogFor reads again. For
// tests that point ORVA_TRANSLATIONS_DIR at their own files.
void ForgetCatalogs();

}  // namespace orva::components
