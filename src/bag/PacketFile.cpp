#include "bag/PacketFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <new>

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "bag/PacketCodec.h"
#include "cbor/ByteSource.h"
#include "storage/AtomicFile.h"

namespace orva::components {

using namespace automation;

namespace {

[[noreturn]] void RaiseRead(int errnoValue, const Text& path) {
    int32_t number = FileErrorNumber(errnoValue, path);
    Text what = number == errors::kFileNotFound ? Text(u"file not found")
                : number == errors::kPathNotFound
                    ? Text(u"path not found")
                    : u"cannot read the file: " + FromUtf8(std::strerror(errnoValue));
    Raise(number, path + u": " + what);
}

// The packet file as the decoder's byte source: read piece by piece where the decoder asks, so that
// loading never holds the whole file besides the tree built from it. Owns the descriptor.
class FileSource final : public ByteSource {
public:
    FileSource(int fd, size_t size, const Text& path) : m_fd(fd), m_size(size), m_path(path) {}
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
    ~FileSource() override { ::close(m_fd); }

    size_t Size() const override { return m_size; }

    size_t ReadAt(size_t offset, char* out, size_t size) override {
        size_t filled = 0;
        while (filled < size) {
            ssize_t got = ::pread(m_fd, out + filled, size - filled, static_cast<off_t>(offset + filled));
            if (got < 0) {
                if (errno == EINTR) continue;
                RaiseRead(errno, m_path);
            }
            if (got == 0) break;
            filled += static_cast<size_t>(got);
        }
        return filled;
    }

private:
    int m_fd;
    size_t m_size;
    const Text& m_path;
};

// Opens path for reading. Its size is taken now; the reader holds the file to it (a file that grows
// or shrinks while it is read is refused).
std::unique_ptr<FileSource> OpenPacketFile(const Text& path) {
    if (path.empty()) Raise(errors::kInvalidCall, u"No file name was given");
    RequireNoNul(path, u"The file name");
    if (FindLoneSurrogate(path) != TextView::npos) RaiseRead(ENOENT, path);  // no such name can exist
    // O_NONBLOCK: opening a FIFO must not wait for a writer before the file's kind is known; reads
    // of a regular file are not affected by it.
    int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) RaiseRead(errno, path);
    struct stat status {};
    int error = 0;
    if (::fstat(fd, &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(status.st_mode)) {
        // A device or a pipe could feed bytes without end.
        ::close(fd);
        Raise(errors::kPermissionDenied,
              path + u": it is " + FromUtf8(FileKindName(status.st_mode)) + u", not a regular file");
    }
    if (error != 0) {
        ::close(fd);
        RaiseRead(error, path);
    }
    size_t size = status.st_size > 0 ? static_cast<size_t>(status.st_size) : 0;
    try {
        return std::make_unique<FileSource>(fd, size, path);
    } catch (...) {
        ::close(fd);  // no failure mode: the descriptor is closed and the failure passes on
        throw;
    }
}

}  // namespace

void SavePacketFile(const Text& path, const Dictionary& root) {
    std::string bytes;
    try {
        bytes = EncodePacket(root);
    } catch (const AutomationError& error) {
        Raise(error.Number(), path + u": " + error.Description());
    }
    WriteFileAtomically(path, bytes);
}

DictionaryRef LoadPacketFile(const Text& path) {
    try {
        std::unique_ptr<FileSource> file = OpenPacketFile(path);
        return DecodePacket(*file, path);
    } catch (const std::bad_alloc&) {
        Raise(errors::kOutOfMemory, path + u": not enough memory to load the file");
    }
}

}  // namespace orva::components
