#pragma once
// Creating an account database: the one operation that makes a new file. The services only ever
// open existing accounts (AccountConnections.h).

#include <cstdint>
#include <string>

namespace orva::components {

// Automation's "file already exists".
inline constexpr int32_t kFileAlreadyExists = 58;

struct AccountCreationOptions {
    bool demo = false;       // fill the account with the demo suite (three languages)
    bool overwrite = false;  // replace an existing file at the path
};

// Creates the account database fileName (UTF-8 path) at the latest schema version, in WAL mode, with
// the demo data when asked. The file is built under a temporary name in the same folder and renamed
// into place only when complete, so a failure or a crash leaves either nothing or the old file.
// Replacing an account also removes its old "-wal" and "-shm" files, which must never be paired with
// the new one. Replace an account only while no program has it open: a connection to the old file
// that closes later may remove the new file's "-wal".
// Raises kFileAlreadyExists "<file>: the file already exists" unless overwrite is set (also when another
// process creates the file meanwhile), 76 when the folder does not exist, 75 when the path is a folder,
// kDatabaseError for SQLite's failures and other file-system errors.
void CreateAccountFile(const std::string& fileName, const AccountCreationOptions& options);

}  // namespace orva::components
