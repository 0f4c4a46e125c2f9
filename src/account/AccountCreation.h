#pragma once
// Creating an account database: the one operation that makes a new file. The services only ever
// open existing accounts (AccountConnections.h).

#include <string>

#include "storage/AtomicFile.h"

namespace orva::components {

struct AccountCreationOptions {
    bool demo = false;       // fill the account with the demo suite (three languages)
    bool overwrite = false;  // replace an existing file at the path
};

// Creates the account database fileName (UTF-8 path) at the latest schema version, in WAL mode, with
// the demo data when asked. SQLite builds it under a temporary name beside the target (AtomicFile.h)
// with a rollback journal and without syncing, then switches it to WAL, closes it, and checks the
// result on a new connection (integrity check, schema version, application id, WAL mode, no journal
// left behind), so that the file is whole in itself; only then is it synced and published: linked
// into place when not overwriting (a file created meanwhile by another process is refused), renamed
// over the old file otherwise, keeping the old file's access rights. A failure anywhere leaves
// either nothing or the old file, untouched, and no temporary file.
// Replacing an account also removes its old "-wal" and "-shm" files (just before the rename), which
// must never be paired with the new one. Replace an account only while no program has it open: a
// connection to the old file that closes later may remove the new file's "-wal".
// A symbolic link is followed: the account it leads to is replaced; the link stays.
// Raises, naming fileName: kFileAlreadyExists "<file>: the file already exists" unless overwrite is
// set; the numbers of AtomicFile.h for the file itself (76 missing folder, 70 for a folder, a device,
// a FIFO or denied access, 53 for a link to nothing, 57 for a disk that is full or failing);
// kDatabaseError for SQLite's failures while building, and when the built file fails its check.
void CreateAccountFile(const std::string& fileName, const AccountCreationOptions& options);

}  // namespace orva::components
