#include "components/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "automation/AutomationError.h"

namespace orva::components {

using namespace automation;

namespace {

std::string NativePath(const Text& path) {
    if (path.empty()) Raise(errors::kInvalidCall, u"No file name was given");
    if (FindLoneSurrogate(path) != TextView::npos) {
        Raise(errors::kInvalidCall,
              FromUtf8(ToUtf8Lossy(path)) + u": the file name holds a lone UTF-16 surrogate");
    }
    return ToUtf8(path);
}

[[noreturn]] void RaiseStep(int errnoValue, int32_t number, const Text& path, const char* step) {
    Raise(number, path + u": cannot " + FromUtf8(step) + u": " + FromUtf8(std::strerror(errnoValue)));
}

// Closes a descriptor once; keeps the first failure for whoever asks.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() {
        if (m_fd >= 0) ::close(m_fd);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const { return m_fd; }
    // Returns 0 or the errno of a failed close.
    int Close() {
        int result = ::close(m_fd);
        m_fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

// Removes the temporary file unless the rename has taken it over.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : m_path(std::move(path)) {}
    ~TemporaryFile() {
        if (!m_path.empty()) ::unlink(m_path.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return m_path; }
    void Release() { m_path.clear(); }

private:
    std::string m_path;
};

int WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return 0;
}

// Creates a new file beside target, named after it (hidden, with a unique suffix).
int CreateTemporary(const std::filesystem::path& target, std::string& created) {
    static std::atomic<unsigned> counter{0};
    std::filesystem::path folder = target.parent_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "." + target.filename().string() + "." + std::to_string(::getpid()) + "." +
                           std::to_string(counter.fetch_add(1)) + ".tmp";
        std::string path = (folder / name).string();
        int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            created = path;
            return fd;
        }
        if (errno != EEXIST) return -1;
    }
    errno = EEXIST;
    return -1;
}

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

void WriteFileAtomically(const Text& path, std::string_view bytes) {
    std::filesystem::path target(NativePath(path));
    if (target.filename().empty()) {
        RaiseStep(EISDIR, errors::kPermissionDenied, path, "write the file");
    }
    std::string temporaryPath;
    int fd = CreateTemporary(target, temporaryPath);
    if (fd < 0) {
        int error = errno;
        // A missing folder reads as "path not found" here, never as "file not found".
        int32_t number = error == ENOENT ? errors::kPathNotFound : FileErrorNumber(error, path);
        RaiseStep(error, number, path, "create a temporary file in its folder");
    }
    TemporaryFile temporary(temporaryPath);
    FileDescriptor file(fd);
    // The replacement keeps the access rights of the file it replaces: a file readable by its owner
    // only must not become readable by all through a save.
    struct stat earlier {};
    if (::stat(target.c_str(), &earlier) == 0 && S_ISREG(earlier.st_mode) &&
        ::fchmod(file.Get(), earlier.st_mode & 07777) != 0) {
        int error = errno;
        RaiseStep(error, FileErrorNumber(error, path), path,
                  "give the temporary file the rights of the file");
    }
    if (int error = WriteAll(file.Get(), bytes)) {
        RaiseStep(error, FileErrorNumber(error, path), path, "write the temporary file");
    }
    if (::fsync(file.Get()) != 0) {
        int error = errno;
        RaiseStep(error, FileErrorNumber(error, path), path, "sync the temporary file to the disk");
    }
    if (int error = file.Close()) {
        RaiseStep(error, FileErrorNumber(error, path), path, "close the temporary file");
    }
    if (::rename(temporary.Path().c_str(), target.c_str()) != 0) {
        int error = errno;
        RaiseStep(error, FileErrorNumber(error, path), path, "replace the file");
    }
    temporary.Release();

    std::filesystem::path folder = target.parent_path().empty() ? "." : target.parent_path();
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    // A folder we may write but not read cannot be opened for syncing; the file system then decides
    // when the rename reaches the disk. Only a real I/O error counts as a failure.
    if (directory.Get() >= 0 && ::fsync(directory.Get()) != 0 && errno == EIO) {
        RaiseStep(EIO, errors::kDeviceIo, path,
                  "sync its folder (the new file is in place but may not survive a crash)");
    }
}

}  // namespace orva::components
