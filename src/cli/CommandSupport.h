#pragma once
// Small helpers shared by the commands: reading input files with errors that name the file, the
// printing of automation errors, and texts made safe for a terminal.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "account/AccountLocation.h"
#include "automation/AutomationError.h"
#include "bag/Vector.h"
#include "cli/Command.h"

namespace orva::cli {

class TerminalProgress;

// The largest JSON input a command reads (pack IN.json, deploy --info): 64 MiB, far beyond any packet
// set a wizard makes, and small enough that parsing it stays within a few hundred MB of memory.
inline constexpr size_t kMaxInputFileBytes = size_t{64} << 20;

// The whole content of the regular file at path. Raises 53 naming the file when it cannot be opened
// or read, and 70 naming it and what it is when it is not a regular file ("is a FIFO", "is a
// character device", "is a folder", ...) or holds more than kMaxInputFileBytes. A FIFO is refused
// without waiting for a writer; a file that grows past the bound while it is read is refused too.
std::string ReadInputFile(const std::string& path);

// Prints "orva-deploy: <context>: <description>" to err (made safe for a terminal) and returns
// kExitFailure.
int ReportFailure(Streams& streams, const std::string& context, const automation::AutomationError& error);

// For a properties string that names no usable account: prints "orva-deploy: <context>: no account
// database named: give --catalog FILE" when propsString has no ConnectString, otherwise what is wrong
// with the one it has (a description that shows a server URI only masked). Returns kExitUsage.
int ReportNoAccount(Streams& streams, const std::string& context, automation::TextView propsString,
                    const automation::AutomationError& error);

// A new message list that prints each line appended to it on streams.out as it comes (made safe for a
// terminal); when meter is drawn on the terminal stdout goes to as well, each line goes above the
// meter. streams and meter must outlive the list's use.
components::VectorRef PrintedMessageList(Streams& streams, TerminalProgress& meter);

// The account the command line names (--catalog, --server, ...), or nothing after ReportNoAccount has
// said what is wrong: the caller then returns kExitUsage.
std::optional<components::AccountAddress> HostAccount(const HostOptions& host, Streams& streams,
                                                      const std::string& context);

// The text as UTF-8 for human-readable output, with every character that could move the cursor,
// ring, erase or reorder what a terminal shows written as a visible escape: C0 controls, DEL and C1
// controls as "\xHH" (ESC is "\x1b"), the bidirectional marks, embeddings, overrides and isolates
// (U+061C, U+200E, U+200F, U+202A-U+202E, U+2066-U+2069) and the line and paragraph separators
// (U+2028, U+2029) as "\uHHHH", and the backslash itself as "\\", so that every output reads back
// to one text. A lone surrogate becomes U+FFFD. JSON output does not go through this: it stays exact.
std::string TerminalText(automation::TextView text);
std::string TerminalText(std::string_view utf8);  // invalid UTF-8 bytes become U+FFFD

// True when the stream is a terminal (for progress output).
bool IsTerminal(const std::ostream& stream);

}  // namespace orva::cli
