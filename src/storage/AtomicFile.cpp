#include "storage/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <set>
#include <string>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"

namespace orva::components {

using namespace automation;

namespace {

const FileSystemCalls kSystemCalls{
    .openFolder = [](const char* path, int flags) { return ::open(path, flags); },
    .openAt = [](int folder, const char* name, int flags,
                 mode_t mode) { return ::openat(folder, name, flags, mode); },
    .write = [](int descriptor, const void* data, size_t size) { return ::write(descriptor, data, size); },
    .fchmod = [](int descriptor, mode_t mode) { return ::fchmod(descriptor, mode); },
    .fsync = [](int descriptor) { return ::fsync(descriptor); },
    .close = [](int descriptor) { return ::close(descriptor); },
    .renameAt = [](int folder, const char* from, const char* to,
                   unsigned flags) { return ::renameat2(folder, from, folder, to, flags); },
    .linkAt = [](int folder, const char* from,
                 const char* to) { return ::linkat(folder, from, folder, to, 0); },
};

std::atomic<const FileSystemCalls*> g_calls{&kSystemCalls};

const FileSystemCalls& Calls() { return *g_calls.load(); }

// The companions SQLite keeps beside a database that is built under the temporary's name.
constexpr const char* kCompanionSuffixes[] = {"-journal", "-wal", "-shm"};

std::string NativePath(const Text& path) {
    if (path.empty()) Raise(errors::kInvalidCall, u"No file name was given");
    RequireNoNul(path, u"The file name");
    if (FindLoneSurrogate(path) != TextView::npos) {
        Raise(errors::kInvalidCall,
              FromUtf8(ToUtf8Lossy(path)) + u": the file name holds a lone UTF-16 surrogate");
    }
    return ToUtf8(path);
}

}  // namespace

const char* FileKindName(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

namespace {

// FNV-1a: a short, stable stand-in for the target's name in its temporaries' names.
std::string NameHash(std::string_view name) {
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::string TemporaryPrefix(std::string_view targetName) { return ".orva-" + NameHash(targetName) + "-"; }

// The process id in "<prefix><pid>-<counter>.tmp[companion]", and the name without the companion
// suffix; pid 0 when the name is not one of ours.
pid_t ParseTemporary(std::string_view name, std::string_view prefix, std::string& base) {
    if (!name.starts_with(prefix)) return 0;
    std::string_view rest = name.substr(prefix.size());
    long long pid = 0;
    auto [afterPid, pidError] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (pidError != std::errc() || afterPid == rest.data() || *afterPid != '-' || pid <= 0 ||
        pid > INT32_MAX) {
        return 0;
    }
    rest.remove_prefix(static_cast<size_t>(afterPid - rest.data()) + 1);
    unsigned long long counter = 0;
    auto [afterCounter, counterError] = std::from_chars(rest.data(), rest.data() + rest.size(), counter);
    if (counterError != std::errc() || afterCounter == rest.data()) return 0;
    std::string_view tail = rest.substr(static_cast<size_t>(afterCounter - rest.data()));
    if (!tail.starts_with(".tmp")) return 0;
    tail.remove_prefix(4);
    bool known = tail.empty();
    for (const char* suffix : kCompanionSuffixes) known = known || tail == suffix;
    if (!known) return 0;
    base = std::string(name.substr(0, name.size() - tail.size()));
    return static_cast<pid_t>(pid);
}

bool ProcessAlive(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

int32_t FileErrorNumber(int errnoValue, const Text& path) {
    switch (errnoValue) {
        case ENOENT: {
            std::error_code ignored;
            std::filesystem::path folder = std::filesystem::path(ToUtf8Lossy(path)).parent_path();
            bool folderExists = folder.empty() || std::filesystem::is_directory(folder, ignored);
            return folderExists ? errors::kFileNotFound : errors::kPathNotFound;
        }
        case ENOTDIR:
            return errors::kPathNotFound;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
            return errors::kPermissionDenied;
        default:
            return errors::kDeviceIo;
    }
}

AtomicFile::AtomicFile(const Text& path, Publication publication)
    : AtomicFile(NativePath(path), path, publication) {}

AtomicFile::AtomicFile(const std::string& nativePath, const Text& path, Publication publication, Links links)
    : m_shownPath(path), m_publication(publication) {
    if (nativePath.empty()) Raise(errors::kInvalidCall, u"No file name was given");
    if (std::filesystem::path(nativePath).filename().empty()) RaiseStep(EISDIR, "write the file");

    // Step 1. The system's stat() decides whether a link may be followed at all (a link planted by
    // another user in a shared sticky folder is not, for example); the names are then read one by one.
    m_targetPath = nativePath;
    struct stat status {};
    bool exists = ::lstat(nativePath.c_str(), &status) == 0;
    if (exists && S_ISLNK(status.st_mode) && links == Links::Replace) {
        exists = false;  // published by rename over the link, which replaces the link alone
        status = {};
    }
    if (exists && S_ISLNK(status.st_mode)) {
        struct stat followed {};
        if (::stat(nativePath.c_str(), &followed) != 0 && errno != ENOENT) {
            RaiseStep(errno, "follow the symbolic link");
        }
        for (int hops = 1; S_ISLNK(status.st_mode); ++hops) {
            if (hops > 40) RaiseStep(ELOOP, "follow the symbolic link");
            std::string link(4096, '\0');
            ssize_t length = ::readlink(m_targetPath.c_str(), link.data(), link.size());
            if (length < 0) RaiseStep(errno, "follow the symbolic link");
            link.resize(static_cast<size_t>(length));
            m_targetPath = link.starts_with('/')
                               ? link
                               : (std::filesystem::path(m_targetPath).parent_path() / link).string();
            if (::lstat(m_targetPath.c_str(), &status) != 0) {
                int error = errno;
                if (error != ENOENT) RaiseStep(error, "follow the symbolic link");
                // Refused, as cp refuses it: a link to nothing may name a place nobody meant to write.
                Raise(FileErrorNumber(ENOENT, FromUtf8Lossy(m_targetPath)),
                      m_shownPath + u": is a symbolic link to " + FromUtf8Lossy(m_targetPath) +
                          u", which does not exist");
            }
        }
    }
    if (exists && !S_ISREG(status.st_mode)) {
        Text through = m_targetPath == nativePath
                           ? Text()
                           : u" (the symbolic link leads to " + FromUtf8Lossy(m_targetPath) + u")";
        Raise(errors::kPermissionDenied, m_shownPath + u": cannot be replaced: it is " +
                                             FromUtf8(FileKindName(status.st_mode)) + through);
    }
    if (exists && publication == Publication::CreateOnly) {
        Raise(kFileAlreadyExists, m_shownPath + u": the file already exists");
    }
    m_replacing = exists;
    m_targetMode = status.st_mode & 07777;

    // Step 2.
    std::filesystem::path target(m_targetPath);
    m_targetName = target.filename().string();
    std::string folder = target.parent_path().empty() ? "." : target.parent_path().string();
    m_folder = Calls().openFolder(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (m_folder < 0) {
        int error = errno;
        // A missing folder reads as "path not found" here, never as "file not found".
        Raise(error == ENOENT ? errors::kPathNotFound : FileErrorNumber(error, m_shownPath),
              m_shownPath + u": cannot create a temporary file: its folder cannot be opened: " +
                  FromUtf8(std::strerror(error)));
    }
    // Steps 3 and 4. The destructor does not run for a constructor that raises.
    try {
        RemoveStaleTemporaries();
        CreateTemporary();
    } catch (...) {
        ::close(m_folder);  // no failure mode: the folder is closed and the failure passes on
        throw;
    }
    m_temporaryPath = (target.parent_path() / m_temporaryName).string();
}

AtomicFile::~AtomicFile() {
    if (!m_temporaryName.empty() && !m_published) {
        // Removed before the lock goes with the descriptor, so no other writer takes it for stale.
        ::unlinkat(m_folder, m_temporaryName.c_str(), 0);
        for (const char* suffix : kCompanionSuffixes)
            ::unlinkat(m_folder, (m_temporaryName + suffix).c_str(), 0);
    }
    if (m_temporary >= 0) ::close(m_temporary);
    if (m_folder >= 0) ::close(m_folder);
}

void AtomicFile::RaiseStep(int errnoValue, const char* step) const {
    Raise(FileErrorNumber(errnoValue, m_shownPath),
          m_shownPath + u": cannot " + FromUtf8(step) + u": " + FromUtf8(std::strerror(errnoValue)));
}

// Skip mode throughout: whatever cannot be examined or removed is left for a later save.
void AtomicFile::RemoveStaleTemporaries() const {
    int listing = ::dup(m_folder);
    if (listing < 0) return;
    DIR* directory = ::fdopendir(listing);
    if (directory == nullptr) {
        ::close(listing);
        return;
    }
    ::rewinddir(directory);
    std::string prefix = TemporaryPrefix(m_targetName);
    std::set<std::string> stale;
    while (const dirent* entry = ::readdir(directory)) {
        std::string base;
        pid_t pid = ParseTemporary(entry->d_name, prefix, base);
        if (pid != 0 && pid != ::getpid() && !ProcessAlive(pid)) stale.insert(base);
    }
    ::closedir(directory);
    for (const std::string& base : stale) {
        int lock = ::openat(m_folder, base.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (lock < 0 && errno != ENOENT) continue;
        if (lock >= 0 && ::flock(lock, LOCK_EX | LOCK_NB) != 0) {
            ::close(lock);
            continue;
        }
        for (const char* suffix : kCompanionSuffixes) ::unlinkat(m_folder, (base + suffix).c_str(), 0);
        if (lock >= 0) {
            ::unlinkat(m_folder, base.c_str(), 0);
            ::close(lock);
        }
    }
}

void AtomicFile::CreateTemporary() {
    static std::atomic<unsigned> counter{0};
    std::string prefix = TemporaryPrefix(m_targetName) + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = prefix + std::to_string(counter.fetch_add(1)) + ".tmp";
        int descriptor = Calls().openAt(m_folder, name.c_str(),
                                        O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (descriptor >= 0) {
            m_temporary = descriptor;
            m_temporaryName = name;
            // A file system without locks still has the process id in the name to go by.
            ::flock(descriptor, LOCK_EX | LOCK_NB);
            return;
        }
        if (errno != EEXIST) RaiseStep(errno, "create a temporary file in its folder");
    }
    RaiseStep(EEXIST, "create a temporary file in its folder");
}

void AtomicFile::Write(std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = Calls().write(m_temporary, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            RaiseStep(errno, "write the temporary file");
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

void AtomicFile::Finish() {
    if (m_temporary < 0) return;
    // The replacement keeps the access rights of the file it replaces: a file readable by its owner
    // only must not become readable by all through a save.
    if (m_fixedMode && Calls().fchmod(m_temporary, *m_fixedMode) != 0) {
        RaiseStep(errno, "give the temporary file its access rights");
    } else if (!m_fixedMode && m_replacing && Calls().fchmod(m_temporary, m_targetMode) != 0) {
        RaiseStep(errno, "give the temporary file the rights of the file");
    }
    if (Calls().fsync(m_temporary) != 0) RaiseStep(errno, "sync the temporary file to the disk");
    int descriptor = m_temporary;
    m_temporary = -1;  // closed even when close() reports a failure
    if (Calls().close(descriptor) != 0) RaiseStep(errno, "close the temporary file");
}

void AtomicFile::Publish() {
    Finish();
    const FileSystemCalls& calls = Calls();
    if (m_publication == Publication::Replace) {
        if (calls.renameAt(m_folder, m_temporaryName.c_str(), m_targetName.c_str(), 0) != 0) {
            RaiseStep(errno, "replace the file");
        }
    } else if (calls.linkAt(m_folder, m_temporaryName.c_str(), m_targetName.c_str()) == 0) {
        ::unlinkat(m_folder, m_temporaryName.c_str(), 0);  // skip mode: a second name is stale later
    } else {
        int error = errno;
        // A file system without hard links: the rename that refuses an existing file instead.
        if (error == EPERM || error == ENOTSUP || error == ENOSYS || error == EMLINK) {
            error =
                calls.renameAt(m_folder, m_temporaryName.c_str(), m_targetName.c_str(), RENAME_NOREPLACE) == 0
                    ? 0
                    : errno;
        }
        if (error == EEXIST) Raise(kFileAlreadyExists, m_shownPath + u": the file already exists");
        if (error != 0) RaiseStep(error, "create the file");
    }
    m_published = true;
    if (calls.fsync(m_folder) != 0) {
        RaiseStep(errno, "sync its folder (the new file is in place but may not survive a crash)");
    }
    int folder = m_folder;
    m_folder = -1;
    calls.close(folder);  // a read-only descriptor: nothing can be lost by a failed close
}

void WriteFileAtomically(const Text& path, std::string_view bytes) {
    AtomicFile file(path, AtomicFile::Publication::Replace);
    file.Write(bytes);
    file.Publish();
}

void WriteTrustedFileAtomically(const std::string& nativePath, const Text& path, std::string_view bytes,
                                mode_t mode) {
    AtomicFile file(nativePath, path, AtomicFile::Publication::Replace, AtomicFile::Links::Replace);
    file.SetMode(mode);
    file.Write(bytes);
    file.Publish();
}

void CheckReplaceable(const Text& path) { AtomicFile probe(path, AtomicFile::Publication::Replace); }

const FileSystemCalls& SystemFileSystemCalls() { return kSystemCalls; }

ScopedFileSystemCalls::ScopedFileSystemCalls(FileSystemCalls calls)
    : m_calls(std::move(calls)), m_previous(g_calls.load()) {
    const FileSystemCalls& system = kSystemCalls;
    if (!m_calls.openFolder) m_calls.openFolder = system.openFolder;
    if (!m_calls.openAt) m_calls.openAt = system.openAt;
    if (!m_calls.write) m_calls.write = system.write;
    if (!m_calls.fchmod) m_calls.fchmod = system.fchmod;
    if (!m_calls.fsync) m_calls.fsync = system.fsync;
    if (!m_calls.close) m_calls.close = system.close;
    if (!m_calls.renameAt) m_calls.renameAt = system.renameAt;
    if (!m_calls.linkAt) m_calls.linkAt = system.linkAt;
    g_calls.store(&m_calls);
}

ScopedFileSystemCalls::~ScopedFileSystemCalls() { g_calls.store(m_previous); }

}  // namespace orva::components
