#include "services/PoCatalog.h"

#include <dlfcn.h>
#include <gettext-po.h>

#include <csetjmp>
#include <cstdlib>
#include <map>
#include <mutex>
#include <system_error>

#include "automation/AutomationError.h"
#include "automation/OnDemandLibrary.h"
#include "automation/TextHelpers.h"
#include "services/LeakCheckPause.h"

namespace orva::components {

namespace fs = std::filesystem;
using namespace automation;

#define ORVA_PO_NAME(name) ORVA_PO_QUOTE(name)
#define ORVA_PO_QUOTE(name) #name

namespace {

constexpr const char* kFolderVariable = "ORVA_TRANSLATIONS_DIR";

// The functions of libgettextpo that reading a PO file calls, found when the first file is read
// rather than linked: the PO reader and libunistring under it would otherwise be loaded and bound at
// every program start, also where no translation file is read (the CHS keys need none).
struct GettextPo {
    decltype(&po_file_read) fileRead;
    decltype(&po_file_free) fileFree;
    decltype(&po_message_iterator) messageIterator;
    decltype(&po_message_iterator_free) messageIteratorFree;
    decltype(&po_next_message) nextMessage;
    decltype(&po_message_msgid) msgid;
    decltype(&po_message_msgstr) msgstr;
    decltype(&po_message_msgctxt) msgctxt;
    decltype(&po_message_msgid_plural) msgidPlural;
    decltype(&po_message_is_obsolete) isObsolete;
    decltype(&po_message_is_fuzzy) isFuzzy;

    // Raises 53 naming libgettextpo and its package when it cannot be opened.
    static const GettextPo& Get() {
        static automation::OnDemandLibrary library("libgettextpo.so.0", "libgettextpo0",
                                                   "the PO file reader");
        static const GettextPo functions = [] {
            GettextPo f{};
            // po_file_read is a macro for the current version of the call (po_file_read_v3).
            f.fileRead = library.Function<decltype(f.fileRead)>(ORVA_PO_NAME(po_file_read));
            f.fileFree = library.Function<decltype(f.fileFree)>("po_file_free");
            f.messageIterator = library.Function<decltype(f.messageIterator)>("po_message_iterator");
            f.messageIteratorFree =
                library.Function<decltype(f.messageIteratorFree)>("po_message_iterator_free");
            f.nextMessage = library.Function<decltype(f.nextMessage)>("po_next_message");
            f.msgid = library.Function<decltype(f.msgid)>("po_message_msgid");
            f.msgstr = library.Function<decltype(f.msgstr)>("po_message_msgstr");
            f.msgctxt = library.Function<decltype(f.msgctxt)>("po_message_msgctxt");
            f.msgidPlural = library.Function<decltype(f.msgidPlural)>("po_message_msgid_plural");
            f.isObsolete = library.Function<decltype(f.isObsolete)>("po_message_is_obsolete");
            f.isFuzzy = library.Function<decltype(f.isFuzzy)>("po_message_is_fuzzy");
            return f;
        }();
        return functions;
    }
};

// libgettextpo keeps global parser state and reports problems through plain function pointers, so
// every read runs under this lock and the handlers report to the one read in progress.
std::mutex g_readMutex;

struct ReadProblems {
    std::string first;    // the first error, "file:line: message"
    bool failed = false;  // an error or a fatal error was reported
    std::jmp_buf fatal;   // where a fatal error returns to (libgettextpo's handler must not return)
};
ReadProblems* g_problems = nullptr;  // the read in progress, guarded by g_readMutex

void NoteProblem(int severity, const char* filename, size_t line, const char* text) {
    if (severity == PO_SEVERITY_WARNING || g_problems == nullptr) return;
    if (!g_problems->failed) {
        std::string where = filename != nullptr ? filename : "";
        if (filename != nullptr && line != static_cast<size_t>(-1)) {
            where += ':';
            where += std::to_string(line);
        }
        std::string message = text != nullptr ? text : "error";
        while (!message.empty() && message.back() == '\n') message.pop_back();
        g_problems->first = where.empty() ? message : where + ": " + message;
    }
    g_problems->failed = true;
}

void OnError(int severity, po_message_t, const char* filename, size_t line, size_t, int, const char* text) {
    NoteProblem(severity, filename, line, text);
    if (severity == PO_SEVERITY_FATAL_ERROR && g_problems != nullptr) std::longjmp(g_problems->fatal, 1);
}

void OnError2(int severity, po_message_t, const char* filename1, size_t line1, size_t, int, const char* text1,
              po_message_t, const char*, size_t, size_t, int, const char*) {
    NoteProblem(severity, filename1, line1, text1);
    if (severity == PO_SEVERITY_FATAL_ERROR && g_problems != nullptr) std::longjmp(g_problems->fatal, 1);
}

// Kept free of C++ objects: a fatal error jumps back here across libgettextpo's C frames.
po_file_t ReadRaw(const GettextPo& po, const char* path, const po_xerror_handler* handler) {
    if (setjmp(g_problems->fatal) != 0) return nullptr;
    return po.fileRead(path, handler);
}

// The charset the PO header declares, upper-cased; empty when it declares none.
std::string DeclaredCharset(const char* header) {
    if (header == nullptr) return {};
    std::string text = header;
    size_t at = text.find("charset=");
    if (at == std::string::npos) return {};
    size_t end = text.find_first_of(" \t\n;", at + 8);
    std::string charset = text.substr(at + 8, end == std::string::npos ? std::string::npos : end - at - 8);
    for (char& c : charset) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return charset;
}

[[noreturn]] void Malformed(const fs::path& path, const std::string& why) {
    Raise(errors::kBadFileFormat, FromUtf8("malformed translation file " + path.string() + ": " + why));
}

// The folder of the library holding this code (libOrvaClassDeploy.so), or empty when unknown.
fs::path LoadedLibraryFolder() {
    static const fs::path folder = [] {
        Dl_info info{};
        if (dladdr(reinterpret_cast<void*>(&LoadedLibraryFolder), &info) == 0 || info.dli_fname == nullptr) {
            return fs::path();
        }
        std::error_code error;
        fs::path file = fs::canonical(info.dli_fname, error);
        return error ? fs::path() : file.parent_path();
    }();
    return folder;
}

// True for a name of ASCII letters, digits, "_" and "-": part of a file name that stays in its folder.
bool IsPlainName(TextView name) {
    for (char16_t c : name) {
        bool ok = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') ||
                  c == u'_' || c == u'-';
        if (!ok) return false;
    }
    return true;
}

std::mutex g_cacheMutex;
std::map<std::string, std::shared_ptr<const PoCatalog>> g_catalogs;  // by folders + file name
std::vector<std::string> g_warnings;                                 // not yet taken

std::string JoinFolders(const std::vector<fs::path>& folders) {
    std::string joined;
    for (const fs::path& folder : folders) joined += (joined.empty() ? "" : ", ") + folder.string();
    return joined;
}

// Finds and reads one file; warns (under g_cacheMutex) when it is missing or malformed.
std::shared_ptr<const PoCatalog> FindAndRead(const std::vector<fs::path>& folders,
                                             const std::string& fileName, bool expected) {
    for (const fs::path& folder : folders) {
        fs::path candidate = folder / fileName;
        std::error_code error;
        if (!fs::is_regular_file(candidate, error)) continue;
        try {
            return PoCatalog::Read(candidate);
        } catch (const AutomationError& failure) {
            g_warnings.push_back(ToUtf8Lossy(failure.Description()) + "; its texts are shown untranslated");
            return PoCatalog::Empty();
        }
    }
    if (expected) {
        g_warnings.push_back("no translation file " + fileName + " in " + JoinFolders(folders) +
                             "; its texts are shown untranslated");
    }
    return PoCatalog::Empty();
}

}  // namespace

std::shared_ptr<const PoCatalog> PoCatalog::Read(const fs::path& path) {
    auto catalog = std::make_shared<PoCatalog>();
    catalog->m_path = path;

    const GettextPo& po = GettextPo::Get();
    std::lock_guard lock(g_readMutex);
    ReadProblems problems;
    g_problems = &problems;
    const po_xerror_handler handler{OnError, OnError2};
    po_file_t file = nullptr;
    {
        LeakCheckPause pause;  // libgettextpo loses a few bytes of parser state on some files
        file = ReadRaw(po, path.c_str(), &handler);
    }
    g_problems = nullptr;
    if (file == nullptr && !problems.failed) {
        Raise(errors::kFileNotFound, FromUtf8("cannot read translation file " + path.string()));
    }
    // Frees the file on every way out, also when an entry turns out to be malformed.
    std::unique_ptr<std::remove_pointer_t<po_file_t>, void (*)(po_file_t)> owner(file, po.fileFree);
    if (problems.failed) Malformed(path, problems.first);

    // The header is read from its entry (msgid ""): po_file_domain_header loses its copy of it.
    std::string charset;
    po_message_iterator_t iterator = po.messageIterator(file, nullptr);
    std::unique_ptr<std::remove_pointer_t<po_message_iterator_t>, void (*)(po_message_iterator_t)> iteration(
        iterator, po.messageIteratorFree);
    while (po_message_t message = po.nextMessage(iterator)) {
        const char* msgid = po.msgid(message);
        const char* msgstr = po.msgstr(message);
        if (msgid == nullptr || msgstr == nullptr || po.isObsolete(message)) continue;
        if (*msgid == '\0') {
            charset = DeclaredCharset(msgstr);
            continue;
        }
        if (*msgstr == '\0' || po.isFuzzy(message) || po.msgctxt(message) != nullptr ||
            po.msgidPlural(message) != nullptr) {
            continue;
        }
        try {
            catalog->m_entries.emplace(FromUtf8(msgid), FromUtf8(msgstr));
        } catch (const AutomationError&) {
            Malformed(path, "an entry is not valid UTF-8");
        }
    }
    if (!charset.empty() && charset != "UTF-8" && charset != "UTF8" && charset != "ASCII") {
        Malformed(path, "charset " + charset + " is not UTF-8");
    }
    return catalog;
}

std::shared_ptr<const PoCatalog> PoCatalog::Empty() {
    static const auto empty = std::make_shared<const PoCatalog>();
    return empty;
}

const Text* PoCatalog::Find(TextView msgid) const {
    auto found = m_entries.find(Text(msgid));
    return found == m_entries.end() ? nullptr : &found->second;
}

// The installed data folder seen from the installed library folder: "../share" for lib, "../../share"
// for a multiarch lib/<triplet>. The build sets it from the install layout it was configured with.
#ifndef ORVA_LIBDIR_TO_DATADIR
#define ORVA_LIBDIR_TO_DATADIR "../share"
#endif

std::vector<fs::path> TranslationFolders() {
    const char* chosen = std::getenv(kFolderVariable);
    if (chosen != nullptr && *chosen != '\0') return {fs::path(chosen)};
    // Neither the library's place nor the build's data folder changes while the process runs.
    static const std::vector<fs::path> defaults = [] {
        std::vector<fs::path> folders;
        fs::path library = LoadedLibraryFolder();
        if (!library.empty())
            folders.push_back(
                (library / ORVA_LIBDIR_TO_DATADIR / "orva" / "translations").lexically_normal());
#ifdef ORVA_DATA_DIR
        folders.push_back(fs::path(ORVA_DATA_DIR) / "translations");
#endif
        return folders;
    }();
    return defaults;
}

std::shared_ptr<const PoCatalog> CatalogFor(TextView baseName, TextView language) {
    if (baseName.empty() || language.empty()) return PoCatalog::Empty();
    Text upperLanguage = UCase(language);
    std::string fileName = ToUtf8Lossy(baseName) + "." + ToUtf8Lossy(upperLanguage) + ".po";
    std::vector<fs::path> folders = TranslationFolders();
    std::string key = JoinFolders(folders) + "\n" + fileName;

    std::lock_guard lock(g_cacheMutex);
    auto found = g_catalogs.find(key);
    if (found != g_catalogs.end()) return found->second;
    std::shared_ptr<const PoCatalog> catalog;
    if (IsPlainName(baseName) && IsPlainName(language)) {
        catalog = FindAndRead(folders, fileName, upperLanguage != u"CHS");
    } else {
        // Never let a property value choose a file outside the translation folders.
        g_warnings.push_back("\"" + fileName +
                             "\" is not a translation file name; its texts are shown untranslated");
        catalog = PoCatalog::Empty();
    }
    g_catalogs.emplace(key, catalog);
    return catalog;
}

std::vector<std::string> TakeCatalogWarnings() {
    std::lock_guard lock(g_cacheMutex);
    std::vector<std::string> taken;
    taken.swap(g_warnings);
    return taken;
}

void ForgetCatalogs() {
    std::lock_guard lock(g_cacheMutex);
    g_catalogs.clear();
    g_warnings.clear();
}

}  // namespace orva::components
