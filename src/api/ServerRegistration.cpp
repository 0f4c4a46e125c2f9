#include "api/ServerRegistration.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "api/LibraryLocation.h"
#include "api/clsDeploywizard.h"
#include "api/clsPromulgator.h"
#include "automation/AutomationError.h"
#include "capi/orva_server_abi.h"
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

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::string ReadWholeFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

fs::path RegistryFolderFor(RegistryScope scope, const fs::path& explicitFolder) {
    if (!explicitFolder.empty()) return fs::absolute(explicitFolder);
    if (std::string chosen = EnvironmentValue(ORVA_REGISTRY_ENVIRONMENT); !chosen.empty()) {
        return fs::absolute(chosen);
    }
    if (scope == RegistryScope::System) return ORVA_REGISTRY_SYSTEM_FOLDER;
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

fs::path RegisteredLibraryPath() { return LibraryFolder() / ORVA_LIBRARY_SONAME; }

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

std::vector<fs::path> RegisterServer(const fs::path& folder, const fs::path& library) {
    std::error_code error;
    if (!library.is_absolute() || !fs::is_regular_file(library, error)) {
        Raise(errors::kFileNotFound,
              Named(library) +
                  u": the library file to register does not exist; no entry names a missing library");
    }
    if (!fs::create_directories(folder, error) && error) {
        Raise(components::FileErrorNumber(error.value(), Named(folder)),
              Named(folder) + u": cannot create the registry folder: " + FromUtf8Lossy(error.message()));
    }
    std::vector<fs::path> written;
    for (const RegistryEntry& entry : LibraryEntries(library)) {
        fs::path file = RegistryEntryFile(folder, entry.progId);
        std::string text = FormatRegistryEntry(entry);
        if (!fs::is_regular_file(file, error) || ReadWholeFile(file) != text) {
            components::WriteFileAtomically(Named(file), text);
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
        } catch (const automation::AutomationError&) {
            // Not an entry this library could have written: somebody else's file, left alone.
            outcome.keptForeign.push_back(file);
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
        } catch (const automation::AutomationError& failure) {
            entry.problem = ToUtf8(failure.Description());
        }
        listed.push_back(std::move(entry));
    }
    std::sort(listed.begin(), listed.end(),
              [](const ListedEntry& a, const ListedEntry& b) { return a.file < b.file; });
    return listed;
}

}  // namespace orva::api
