#include "cli/CommandSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "cli/HostContext.h"
#include "cli/TerminalProgress.h"
#include "services/PropsString.h"
#include "storage/AtomicFile.h"

namespace orva::cli {

using namespace automation;

namespace {

[[noreturn]] void RefuseInput(int32_t number, const std::string& path, const std::string& what) {
    Raise(number, FromUtf8Lossy(path) + u": " + FromUtf8(what));
}

// Closes the descriptor when the read ends, however it ends.
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

bool NeedsEscape(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
           (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) || c == 0x2028 || c == 0x2029;
}

}  // namespace

std::string ReadInputFile(const std::string& path) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer before the file's kind is known.
    int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        RefuseInput(errors::kFileNotFound, path,
                    std::string("cannot read the file: ") + std::strerror(errno));
    }
    Descriptor file{fd};
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        RefuseInput(errors::kFileNotFound, path,
                    std::string("cannot read the file: ") + std::strerror(errno));
    }
    if (!S_ISREG(status.st_mode)) {
        RefuseInput(errors::kPermissionDenied, path,
                    "is " + std::string(components::FileKindName(status.st_mode)) + ", not a regular file");
    }
    const std::string tooLarge = "is larger than " + std::to_string(kMaxInputFileBytes >> 20) + " MiB";
    if (static_cast<uint64_t>(status.st_size) > kMaxInputFileBytes) {
        RefuseInput(errors::kPermissionDenied, path, tooLarge);
    }
    std::string content(static_cast<size_t>(status.st_size) + 1, '\0');
    size_t filled = 0;
    while (true) {
        if (filled == content.size()) {
            if (content.size() > kMaxInputFileBytes) RefuseInput(errors::kPermissionDenied, path, tooLarge);
            content.resize(std::min(content.size() * 2, kMaxInputFileBytes + 1));
        }
        ssize_t got = ::read(fd, content.data() + filled, content.size() - filled);
        if (got < 0) {
            if (errno == EINTR) continue;
            RefuseInput(errors::kFileNotFound, path,
                        std::string("cannot read the file: ") + std::strerror(errno));
        }
        if (got == 0) break;
        filled += static_cast<size_t>(got);
    }
    content.resize(filled);
    return content;
}

int ReportFailure(Streams& streams, const std::string& context, const AutomationError& error) {
    streams.err << "orva-deploy: " << context << ": " << TerminalText(error.Description()) << "\n";
    return kExitFailure;
}

int ReportNoAccount(Streams& streams, const std::string& context, TextView propsString,
                    const AutomationError& error) {
    if (!components::PropsEntry(propsString, u"ConnectString")) {
        streams.err << "orva-deploy: " << context << ": no account database named: give --catalog FILE\n";
    } else {
        streams.err << "orva-deploy: " << context << ": " << TerminalText(error.Description()) << "\n";
    }
    return kExitUsage;
}

components::VectorRef PrintedMessageList(Streams& streams, TerminalProgress& meter) {
    const bool sameScreen = meter.Enabled() && IsTerminal(streams.out);
    components::VectorRef messages = components::Vector::Create();
    messages->SetAppendObserver([&streams, &meter, sameScreen](const Variant& line) {
        if (sameScreen) meter.Erase();
        streams.out << TerminalText(line.ToText()) << std::endl;
        if (sameScreen) meter.Restore();
    });
    return messages;
}

std::optional<components::AccountAddress> HostAccount(const HostOptions& host, Streams& streams,
                                                      const std::string& context) {
    Text propsString = FromUtf8(ComposePropsString(host));
    try {
        return components::AccountFromPropsString(propsString);
    } catch (const AutomationError& error) {
        ReportNoAccount(streams, context, propsString, error);
        return std::nullopt;
    }
}

std::string TerminalText(TextView text) {
    std::u16string safe;
    safe.reserve(text.size());
    for (char16_t c : text) {
        if (c == u'\\') {
            safe += u"\\\\";
        } else if (NeedsEscape(c)) {
            char escape[8];
            std::snprintf(escape, sizeof escape, c <= 0xFF ? "\\x%02x" : "\\u%04x", static_cast<unsigned>(c));
            for (const char* p = escape; *p; ++p) safe += static_cast<char16_t>(*p);
        } else {
            safe += c;
        }
    }
    return ToUtf8Lossy(safe);
}

std::string TerminalText(std::string_view utf8) { return TerminalText(FromUtf8Lossy(utf8)); }

bool IsTerminal(const std::ostream& stream) {
    if (&stream == &std::cout) return isatty(STDOUT_FILENO) != 0;
    if (&stream == &std::cerr) return isatty(STDERR_FILENO) != 0;
    return false;
}

}  // namespace orva::cli
