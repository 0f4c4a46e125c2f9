#include "api/ServerRegistration.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>

#include "api/clsDeploywizard.h"
#include "api/clsPromulgator.h"
#include "automation/AutomationError.h"
#include "capi/orva_server_abi.h"
#include "services/LibraryLocation.h"
#include "storage/AtomicFile.h"

namespace orva::api {

namespace fs = std::filesystem;
using automation::FromUtf8;
using automation::FromUtf8Lossy;
using automation::Raise;
using automation::ToUtf8;
namespace errors = automation::errors;

namespace {

automation::Text Named(const fs::path& path) { return FromUtf8Lossy(path.string()); }

constexpr mode_t kEntryMode = 0644;
constexpr mode_t kFolderMode = 0755;

// A value for a message: control characters as \n, \r, \0 or \xNN.
std::string ShownValue(const std::string& value) {
    std::string shown;
    for (unsigned char c : value) {
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\r') {
            shown += "\\r";
        } else if (c == 0) {
            shown += "\\0";
        } else if (c < 0x20 || c == 0x7f) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", c);
            shown += escaped;
        } else {
            shown += static_cast<char>(c);
        }
    }
    return shown;
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path& SystemFolder() {
    static fs::path folder = ORVA_REGISTRY_SYSTEM_FOLDER;
    return folder;
}

// The text of the trusted regular file at path, read without following a link at its name nor
// waiting on a FIFO; nothing when it is anything else, so that registering writes it afresh.
std::optional<std::string> TrustedEntryText(const fs::path& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (descriptor < 0) return std::nullopt;
    struct stat info {};
    std::optional<std::string> text;
    char reason[256];
    if (::fstat(descriptor, &info) == 0 &&
        orva_registry_check_entry_file(&info, reason, sizeof reason) == 0 &&
        (info.st_mode & 07777) == kEntryMode && info.st_size <= ORVA_REGISTRY_MAX_ENTRY_SIZE) {
        text.emplace(static_cast<size_t>(info.st_size), '\0');
        if (::read(descriptor, text->data(), text->size()) != info.st_size) text.reset();
    }
    ::close(descriptor);
    return text;
}

// Makes folder and the missing folders above it, each with rights 0755 whatever the umask (an entry
// in the system's folder must be readable by every user). A folder that exists is left as it is.
void MakeRegistryFolder(const fs::path& folder) {
    fs::path partial;
    for (const fs::path& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), kFolderMode) == 0) {
            int made = ::open(partial.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (made >= 0) {
                ::fchmod(made, kFolderMode);  // skip mode: mkdir already gave at most these rights
                ::close(made);
            }
        } else if (errno != EEXIST) {
            int error = errno;
            Raise(components::FileErrorNumber(error, Named(folder)),
                  Named(folder) + u": cannot create the registry folder: " +
                      FromUtf8Lossy(std::strerror(error)));
        }
    }
}

}  // namespace

ScopedSystemRegistryFolder::ScopedSystemRegistryFolder(fs::path folder) : m_previous(SystemFolder()) {
    SystemFolder() = std::move(folder);
}

ScopedSystemRegistryFolder::~ScopedSystemRegistryFolder() { SystemFolder() = m_previous; }

fs::path RegistryFolderFor(RegistryScope scope, const fs::path& explicitFolder) {
    if (!explicitFolder.empty()) return fs::absolute(explicitFolder);
    if (std::string chosen = EnvironmentValue(ORVA_REGISTRY_ENVIRONMENT); !chosen.empty()) {
        return fs::absolute(chosen);
    }
    if (scope == RegistryScope::System) return SystemFolder();
    // A relative XDG_DATA_HOME is invalid and ignored, as the XDG base directory rules say.
    if (std::string dataHome = EnvironmentValue("XDG_DATA_HOME"); !dataHome.empty() && dataHome[0] == '/') {
        return fs::path(dataHome) / "orva" / "registry";
    }
    if (std::string home = EnvironmentValue("HOME"); !home.empty() && home[0] == '/') {
        return fs::path(home) / ".local" / "share" / "orva" / "registry";
    }
    Raise(errors::kInvalidCall,
          u"The user's registry folder is unknown: neither XDG_DATA_HOME nor HOME is set");
}

fs::path RegisteredLibraryPath() { return services::LibraryFolder() / ORVA_LIBRARY_SONAME; }

std::vector<RegistryEntry> LibraryEntries(const fs::path& library) {
    auto entry = [&](const char16_t* progId, const char16_t* classId, const char16_t* interfaceId,
                     const char16_t* eventInterfaceId) {
        return RegistryEntry{.progId = ToUtf8(progId),
                             .classId = ToUtf8(classId),
                             .interfaceId = ToUtf8(interfaceId),
                             .eventInterfaceId = eventInterfaceId ? ToUtf8(eventInterfaceId) : std::string(),
                             .version = ORVA_LIBRARY_VERSION,
                             .library = library.string(),
                             .registeredBy = ORVA_REGISTRY_OWNER};
    };
    return {
        entry(clsDeploywizard::kProgId, clsDeploywizard::kClassId, clsDeploywizard::kInterfaceId, nullptr),
        entry(clsPromulgator::kProgId, clsPromulgator::kClassId, clsPromulgator::kInterfaceId,
              clsPromulgator::kEventInterfaceId)};
}

std::string FormatRegistryEntry(const RegistryEntry& entry) {
    std::string text = ORVA_REGISTRY_FORMAT_LINE "\n";
    auto line = [&](const char* key, const std::string& value) {
        for (unsigned char c : value) {
            if (c < 0x20 || c == 0x7f) {
                Raise(errors::kInvalidCall, FromUtf8(key) + u" \"" + FromUtf8Lossy(ShownValue(value)) +
                                                u"\" holds a line end or another control character; a "
                                                u"registry entry cannot name it");
            }
        }
        if (!value.empty()) text += std::string(key) + "=" + value + "\n";
    };
    line("ProgID", entry.progId);
    line("ClassID", entry.classId);
    line("InterfaceID", entry.interfaceId);
    line("EventInterfaceID", entry.eventInterfaceId);
    line("Version", entry.version);
    line("Library", entry.library);
    line("RegisteredBy", entry.registeredBy);
    return text;
}

fs::path RegistryEntryFile(const fs::path& folder, const std::string& progId) {
    char fileName[256];
    if (orva_registry_file_name(progId.c_str(), fileName, sizeof fileName) != 0) {
        Raise(errors::kInvalidCall, u"\"" + FromUtf8Lossy(progId) + u"\" is not a program ID");
    }
    return folder / fileName;
}

RegistryEntry ReadRegistryEntry(const fs::path& path) {
    orva_registry_entry raw;
    char problem[ORVA_REGISTRY_MAX_VALUE + 512];
    if (int32_t number = orva_registry_read_entry(path.c_str(), &raw, problem, sizeof problem); number != 0) {
        Raise(number, FromUtf8Lossy(problem));
    }
    return RegistryEntry{.progId = raw.prog_id,
                         .classId = raw.class_id,
                         .interfaceId = raw.interface_id,
                         .eventInterfaceId = raw.event_interface_id,
                         .version = raw.version,
                         .library = raw.library,
                         .registeredBy = raw.registered_by};
}

std::vector<fs::path> RegisterServer(const fs::path& folder, const fs::path& library,
                                     std::vector<fs::path>* unchanged) {
    std::error_code error;
    if (!library.is_absolute() || !fs::is_regular_file(library, error)) {
        Raise(errors::kFileNotFound,
              Named(library) +
                  u": the library file to register does not exist; no entry names a missing library");
    }
    char reason[2 * ORVA_REGISTRY_MAX_VALUE];
    if (orva_registry_check_library(library.c_str(), nullptr, 0, reason, sizeof reason) != 0) {
        Raise(ORVA_REGISTRY_UNTRUSTED, Named(library) + u": not trusted: " + FromUtf8Lossy(reason) +
                                           u"; hosts would refuse to load it");
    }
    // Every text first: a value that cannot be written leaves the folder as it was.
    std::vector<std::pair<fs::path, std::string>> entries;
    for (const RegistryEntry& entry : LibraryEntries(library)) {
        entries.emplace_back(RegistryEntryFile(folder, entry.progId), FormatRegistryEntry(entry));
    }
    // Checked before any folder is made: the folders made here are ours, so the nearest one that
    // exists decides, and a refusal leaves nothing behind.
    fs::path existing = folder;
    while (!fs::exists(existing, error) && existing.has_relative_path()) existing = existing.parent_path();
    std::string role = existing == folder ? "the folder" : "the folder " + existing.string() + " above it";
    if (orva_registry_check_folders(existing.c_str(), role.c_str(), reason, sizeof reason) != 0) {
        Raise(ORVA_REGISTRY_UNTRUSTED, Named(folder) + u": not trusted: " + FromUtf8Lossy(reason) +
                                           u"; hosts would refuse the entries written there");
    }
    MakeRegistryFolder(folder);
    std::vector<fs::path> written;
    for (const auto& [file, text] : entries) {
        if (TrustedEntryText(file) != text) {
            components::WriteTrustedFileAtomically(file, Named(file), text, kEntryMode);
        } else if (unchanged) {
            unchanged->push_back(file);
        }
        written.push_back(file);
    }
    return written;
}

UnregisterOutcome UnregisterServer(const fs::path& folder, const fs::path& library) {
    UnregisterOutcome outcome;
    for (const RegistryEntry& ours : LibraryEntries(library)) {
        fs::path file = RegistryEntryFile(folder, ours.progId);
        std::error_code error;
        if (!fs::exists(fs::symlink_status(file, error))) continue;
        RegistryEntry found;
        try {
            found = ReadRegistryEntry(file);
        } catch (const automation::AutomationError& failure) {
            // Not an entry this library could have written: somebody else's file, left alone.
            if (failure.Number() == ORVA_REGISTRY_UNTRUSTED) {
                outcome.keptUntrusted.push_back(ToUtf8(failure.Description()));
            } else {
                outcome.keptForeign.push_back(file);
            }
            continue;
        }
        if (found.library != ours.library || found.registeredBy != ours.registeredBy) {
            outcome.keptForeign.push_back(file);
            continue;
        }
        if (!fs::remove(file, error) && error) {
            Raise(components::FileErrorNumber(error.value(), Named(file)),
                  Named(file) + u": cannot remove the registry entry: " + FromUtf8Lossy(error.message()));
        }
        outcome.removed.push_back(file);
    }
    return outcome;
}

std::vector<ListedEntry> ListRegistry(const fs::path& folder) {
    std::vector<ListedEntry> listed;
    std::error_code error;
    for (const fs::directory_entry& item : fs::directory_iterator(folder, error)) {
        if (item.path().extension() != ORVA_REGISTRY_FILE_SUFFIX) continue;
        ListedEntry entry;
        entry.file = item.path();
        try {
            entry.entry = ReadRegistryEntry(item.path());
            entry.libraryMissing = !fs::is_regular_file(entry.entry.library, error);
            char reason[2 * ORVA_REGISTRY_MAX_VALUE];
            if (!entry.libraryMissing && orva_registry_check_library(entry.entry.library.c_str(), nullptr, 0,
                                                                     reason, sizeof reason) != 0) {
                entry.libraryProblem = reason;
            }
        } catch (const automation::AutomationError& failure) {
            entry.problem = ToUtf8(failure.Description());
            entry.untrusted = failure.Number() == ORVA_REGISTRY_UNTRUSTED;
        }
        listed.push_back(std::move(entry));
    }
    std::sort(listed.begin(), listed.end(),
              [](const ListedEntry& a, const ListedEntry& b) { return a.file < b.file; });
    return listed;
}

}  // namespace orva::api
