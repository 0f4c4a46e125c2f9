#pragma once
// Whole-file writes that a crash cannot tear, and the error numbers file failures raise.

#include <cstdint>
#include <string_view>

#include "automation/Text.h"

namespace orva::components {

// Replaces the file at path with bytes such that the path holds either the earlier file or the
// complete new one, whatever happens: the bytes go to a new temporary file in the same folder, which
// is flushed and synced to the disk, then renamed over path; last the folder is synced so that the
// rename itself is durable. The new file keeps the access rights of the file it replaces (new files
// get 0666 less the umask). A symbolic link at path is replaced, not written through.
//
// Raises AutomationError "<path>: cannot <step>: <system message>" with 76 when the folder does not
// exist, 70 when access is denied or path is a folder, 57 for other failures (disk full, quota, I/O
// error), 5 when path is empty or holds a lone surrogate. Until the rename, a failure leaves an
// earlier file at path untouched and removes the temporary file. Should syncing the folder fail
// after the rename (an I/O error), path already holds the new file; the error says so.
void WriteFileAtomically(const automation::Text& path, std::string_view bytes);

// The error number for a failed file operation on path, from its errno value: 53 for a missing file
// (76 when its folder is missing too), 70 for denied access or a folder where a file is expected,
// 57 for anything else.
int32_t FileErrorNumber(int errnoValue, const automation::Text& path);

}  // namespace orva::components
