#pragma once
// Whole-file writes that a crash cannot tear, and the error numbers file failures raise. One
// implementation serves every file this library publishes: packet files (WriteFileAtomically) and
// account databases, which SQLite builds under the temporary name (AccountCreation.h).
//
// The steps of a save, each through FileSystemCalls (below), in this order:
//   1. check the target: a symbolic link is followed to the file it leads to (the link stays a
//      link and that file is replaced; with Links::Replace the link itself is replaced instead); a
//      link to nothing is refused, as is a target that exists and is not a regular file (a folder, a
//      device, a FIFO, a socket): they are never replaced;
//   2. open the folder of the target (kept open: it is synced in step 10, so a folder that cannot
//      be opened fails here, before anything is written);
//   3. remove the stale temporaries of the same target (left by a writer that was killed, see
//      below); a failure there is skipped, it never fails the save;
//   4. create the temporary ".orva-<hash of the target's name>-<pid>-<counter>.tmp" in that folder
//      (new, 0666 less the umask; short whatever the target's name) and lock it (flock);
//   5. write the bytes (or let SQLite build the database under the temporary's name);
//   6. when replacing, give the temporary the access rights of the file it replaces;
//   7. fsync the temporary;  8. close it;
//   9. publish: rename it over the target, or, when the caller must not replace a file, link() it to
//      the target's name (renameat2 RENAME_NOREPLACE where the file system has no hard links), so that
//      a file created meanwhile by somebody else is refused, never replaced;
//  10. fsync the folder, so that the publication itself survives a crash; close the folder.
//
// Stale temporaries: a writer holds the lock of its temporary until it publishes or removes it,
// and its name carries the writer's process id. A temporary of the same target (with SQLite's
// "-journal", "-wal", "-shm" beside it) is removed when its lock is free and no process of that id
// is alive here. Either alone would do most of the time; together they also cover the moment
// between creating and locking, and writers on another machine sharing the folder.
//
// Errors are AutomationErrors "<path>: <what failed>: <system message>" naming the path the caller
// gave: 5 when path is empty or holds a lone surrogate; 76 when the folder does not exist; 70 when
// access is denied, when path is a folder, a device, a FIFO or a socket ("<path>: cannot be replaced:
// it is a character device"), or a symbolic link the system would not follow for this user; 53 (76)
// for a link to a missing file (folder); kFileAlreadyExists when not replacing and the target
// exists; 57 for other failures (disk full, quota, I/O error). A failure up to and including step 9
// leaves an earlier file at the target untouched and no temporary behind. Should step 10 fail, the
// target already holds the new file, and the error says so.

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "automation/Text.h"

namespace orva::components {

// Automation's "file already exists".
inline constexpr int32_t kFileAlreadyExists = 58;

// Replaces (or creates) the file at path with bytes, in the steps above.
void WriteFileAtomically(const automation::Text& path, std::string_view bytes);

// For a file that readers trust by its owner and rights (a registry entry): as WriteFileAtomically,
// but a symbolic link at nativePath is itself replaced by the file, never followed (what it leads to
// stays untouched), and the file gets exactly mode, whatever the umask and the file it replaces.
void WriteTrustedFileAtomically(const std::string& nativePath, const automation::Text& path,
                                std::string_view bytes, mode_t mode);

// Runs steps 1 to 4 of a save to path and removes the temporary again, writing nothing: raises what
// the save would raise up to there (a folder, device, FIFO or socket at path, a link to nothing, a
// missing or closed folder), so that a command refuses a target before it does the work whose result
// the target is to receive. A FIFO is never opened.
void CheckReplaceable(const automation::Text& path);

// The error number for a failed file operation on path, from its errno value: 53 for a missing file
// (76 when its folder is missing too), 70 for denied access or a folder where a file is expected,
// 57 for anything else.
int32_t FileErrorNumber(int errnoValue, const automation::Text& path);

// What a file of this mode is, for messages: "a folder", "a character device", "a block device",
// "a FIFO", "a socket", or "not a regular file" for any other kind.
const char* FileKindName(mode_t mode);

// A save in progress: the temporary beside its target, published by Publish() or removed with the
// object. Steps 1-4 happen in the constructor, 6-8 in Finish(), 9-10 in Publish().
class AtomicFile {
public:
    enum class Publication {
        Replace,     // rename over an existing file
        CreateOnly,  // refuse an existing file (kFileAlreadyExists), also one created meanwhile
    };
    // What step 1 does with a symbolic link at the target.
    enum class Links {
        Follow,   // the file it leads to is replaced; the link stays
        Replace,  // the link itself is replaced (rename never follows it); its target is never touched
    };

    // path is what error messages name; nativePath, when given, is the file itself (bytes, which
    // need not be UTF-8), otherwise path in UTF-8. Raises as above, and kFileAlreadyExists at once
    // for CreateOnly when the target exists.
    AtomicFile(const automation::Text& path, Publication publication);
    AtomicFile(const std::string& nativePath, const automation::Text& path, Publication publication,
               Links links = Links::Follow);
    // Removes the temporary and SQLite's companions of it unless published; closes what is open.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // The temporary's path, for a writer that opens it by name. It exists (empty) until Publish().
    const std::string& TemporaryPath() const { return m_temporaryPath; }
    // The file that Publish() replaces or creates: the caller's path with symbolic links followed.
    const std::string& TargetPath() const { return m_targetPath; }

    // Step 5: appends bytes to the temporary.
    void Write(std::string_view bytes);
    // Step 6 gives the file exactly mode instead of the rights of the file it replaces.
    void SetMode(mode_t mode) { m_fixedMode = mode; }
    // Steps 6-8. Whoever else wrote the temporary must have closed it first.
    void Finish();
    // Steps 9-10 (Finish() first, if not called yet).
    void Publish();

private:
    [[noreturn]] void RaiseStep(int errnoValue, const char* step) const;
    void RemoveStaleTemporaries() const;
    void CreateTemporary();

    automation::Text m_shownPath;
    Publication m_publication;
    std::string m_targetPath;
    std::string m_targetName;  // file name of m_targetPath, within m_folder
    std::string m_temporaryName;
    std::string m_temporaryPath;
    bool m_replacing = false;  // the target exists (a regular file)
    mode_t m_targetMode = 0;
    std::optional<mode_t> m_fixedMode;
    int m_folder = -1;
    int m_temporary = -1;
    bool m_published = false;
};

// The file-system calls of the steps above: the one seam through which tests watch the order of a
// save and make any step fail. Each has the signature and errno contract of the system call it is
// named after (renameAt is renameat2: flags 0 or RENAME_NOREPLACE).
struct FileSystemCalls {
    std::function<int(const char* path, int flags)> openFolder;
    std::function<int(int folder, const char* name, int flags, mode_t mode)> openAt;
    std::function<ssize_t(int descriptor, const void* data, size_t size)> write;
    std::function<int(int descriptor, mode_t mode)> fchmod;
    std::function<int(int descriptor)> fsync;
    std::function<int(int descriptor)> close;
    std::function<int(int folder, const char* from, const char* to, unsigned flags)> renameAt;
    std::function<int(int folder, const char* from, const char* to)> linkAt;
};

// The system's own calls.
const FileSystemCalls& SystemFileSystemCalls();

// Makes every save of this process use calls for one scope (tests only: not safe while another
// thread saves). Calls that a test leaves empty are the system's.
class ScopedFileSystemCalls {
public:
    explicit ScopedFileSystemCalls(FileSystemCalls calls);
    ~ScopedFileSystemCalls();
    ScopedFileSystemCalls(const ScopedFileSystemCalls&) = delete;
    ScopedFileSystemCalls& operator=(const ScopedFileSystemCalls&) = delete;

private:
    FileSystemCalls m_calls;
    const FileSystemCalls* m_previous;
};

}  // namespace orva::components
