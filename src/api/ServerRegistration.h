#pragma once
// Registration of the library as an in-process server: one small file per public class in a registry
// folder, naming the class's program ID, identifiers, version and the library file, so that a host
// (through libOrvaLoader) can create the class by program ID without linking the library.
// docs/registry.md describes the file format and where the folders lie.

#include <filesystem>
#include <string>
#include <vector>

namespace orva::api {

enum class RegistryScope { User, System };

// The folder that register and unregister work on: explicitFolder when given; else the folder named by
// the environment variable ORVA_REGISTRY when it is set and not empty; else, for the user,
// $XDG_DATA_HOME/orva/registry (when XDG_DATA_HOME is absolute) or $HOME/.local/share/orva/registry,
// and for the system /etc/orva/registry. Raises 5 when the user's folder cannot be told (no HOME).
std::filesystem::path RegistryFolderFor(RegistryScope scope,
                                        const std::filesystem::path& explicitFolder = {});

// Makes RegistryFolderFor(System) answer folder in this process for one scope, so that a test can
// register in the system scope without touching the system's folder. Not safe while another thread
// registers; the loader's search is not affected.
class ScopedSystemRegistryFolder {
public:
    explicit ScopedSystemRegistryFolder(std::filesystem::path folder);
    ~ScopedSystemRegistryFolder();
    ScopedSystemRegistryFolder(const ScopedSystemRegistryFolder&) = delete;
    ScopedSystemRegistryFolder& operator=(const ScopedSystemRegistryFolder&) = delete;

private:
    std::filesystem::path m_previous;
};

// The library file that registry entries name: the folder this library was loaded from and the file
// name carrying its soname (libOrvaClassDeploy.so.0), which stays valid across compatible updates.
std::filesystem::path RegisteredLibraryPath();

// One registry entry; fields absent from a file are empty.
struct RegistryEntry {
    std::string progId;
    std::string classId;
    std::string interfaceId;
    std::string eventInterfaceId;  // only classes with an event interface
    std::string version;
    std::string library;
    std::string registeredBy;
};

// The entries that registering writes for library: one per public class.
std::vector<RegistryEntry> LibraryEntries(const std::filesystem::path& library);

// An entry's file text: the format line, then one "Key=Value" line per non-empty field. Raises 5
// naming the key and the value when a value holds a line end, a NUL or another control character:
// such a value would end its line and add keys of its own.
std::string FormatRegistryEntry(const RegistryEntry& entry);

// The file that holds progId's entry in folder. Raises 5 naming progId when it is no program ID.
std::filesystem::path RegistryEntryFile(const std::filesystem::path& folder, const std::string& progId);

// Reads the entry file at path, never following a link at its name nor waiting on a FIFO. Raises 53
// when it does not exist, 70 "<path>: not trusted: <reason>" when it or a folder above it is not
// trusted (docs/registry.md), 321 naming the file and line when it is not an entry of this format
// (unknown or repeated keys included), 57 for other read failures.
RegistryEntry ReadRegistryEntry(const std::filesystem::path& path);

// Writes the entries of library into folder, each file atomically with rights 0644; a link planted
// at an entry's name is replaced, never followed. Missing folders are made with rights 0755. A file
// that already holds the same text (trusted) is left as it is, so registering twice changes nothing.
// An entry of the same program ID written for another library is replaced (the last registration
// wins). Returns the files written or confirmed. Raises 53 naming library when that file does not
// exist (an entry must never name a missing library), 5 when its path holds a control character,
// 70 naming library or folder when readers would not trust it (hosts would refuse the entries), and
// the errors of creating the folder or writing a file; nothing is written then. unchanged, when
// given, receives the files among them that already held their entry (and were left as they were).
std::vector<std::filesystem::path> RegisterServer(const std::filesystem::path& folder,
                                                  const std::filesystem::path& library,
                                                  std::vector<std::filesystem::path>* unchanged = nullptr);

struct UnregisterOutcome {
    std::vector<std::filesystem::path> removed;
    // Entries of our program IDs that another library or installation wrote: left in place.
    std::vector<std::filesystem::path> keptForeign;
    // Files at our entries' names that a reader would not trust (a link, another user's file): left in
    // place, each with its problem ("<file>: not trusted: <reason>").
    std::vector<std::string> keptUntrusted;
};

// Removes from folder the entries of this library's program IDs that name library and were written
// by this library (RegisteredBy); leaves every other file. A missing folder or entry is no error.
// Raises the error of removing a file (70 when access is denied, naming the file).
UnregisterOutcome UnregisterServer(const std::filesystem::path& folder, const std::filesystem::path& library);

// Every entry file in folder, in file-name order, for listing. A file that cannot be read or is not
// trusted carries its problem (untrusted tells which; the problem names the file); libraryMissing
// marks an entry whose library file does not exist, libraryProblem the reason a host would not trust
// the library it names.
struct ListedEntry {
    std::filesystem::path file;
    RegistryEntry entry;
    std::string problem;
    bool untrusted = false;
    bool libraryMissing = false;
    std::string libraryProblem;
};
std::vector<ListedEntry> ListRegistry(const std::filesystem::path& folder);

}  // namespace orva::api
