#include "components/PacketFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "automation/AutomationError.h"
#include "components/AtomicFile.h"

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

std::string ReadWholeFile(const Text& path) {
    if (path.empty()) Raise(errors::kInvalidCall, u"No file name was given");
    if (FindLoneSurrogate(path) != TextView::npos) RaiseRead(ENOENT, path);  // no such name can exist
    int fd = ::open(ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) RaiseRead(errno, path);
    std::string bytes;
    struct stat status {};
    int error = 0;
    if (::fstat(fd, &status) != 0) {
        error = errno;
    } else if (S_ISDIR(status.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(status.st_mode)) {
        // A device or a pipe could feed bytes without end.
        ::close(fd);
        Raise(errors::kPermissionDenied, path + u": not a regular file");
    } else {
        // The size is a hint only: the file may change while it is read. One byte more than the size
        // lets the read that finds the end fit without growing (and copying) the buffer.
        bytes.resize((status.st_size > 0 ? static_cast<size_t>(status.st_size) : 0) + 1);
        size_t filled = 0;
        for (;;) {
            if (filled == bytes.size()) bytes.resize(bytes.size() + 4096);
            ssize_t got = ::read(fd, bytes.data() + filled, bytes.size() - filled);
            if (got < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            if (got == 0) break;
            filled += static_cast<size_t>(got);
        }
        bytes.resize(filled);
    }
    ::close(fd);
    if (error != 0) RaiseRead(error, path);
    return bytes;
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
        return DecodePacket(ReadWholeFile(path), path);
    } catch (const std::bad_alloc&) {
        Raise(errors::kOutOfMemory, path + u": not enough memory to load the file");
    }
}

}  // namespace orva::components
