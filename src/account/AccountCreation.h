#pragma once
// Creating an account database: the one operation that makes a new file, or turns an empty server
// database into an account. The services only ever open existing accounts (AccountConnections.h).

#include <cstdint>
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

struct ServerAccountCreation {
    bool created = false;  // false: the database was an account already (and is brought up to date)
    std::string name;      // the database as messages name it: "host:port/database"
    int32_t schemaVersion = 0;
};

// Makes the empty PostgreSQL database at uri an account at the latest schema version, with the
// demo data when asked, in one transaction under pg_advisory_xact_lock(kAccountApplicationId): a
// failure leaves the database as it was, and of several processes doing it at once one creates the
// account and the others find it. A database that is an account already is migrated to the latest
// version and otherwise left as it is, demo data or not (created = false): data already on a server
// is never replaced, so options.overwrite is refused (5) before anything is done.
// The demo data is built in an in-memory SQLite account from the same SQL as a file's, then copied
// table by table, with the identity sequences set past the largest identifiers.
// Raises kNotAnAccount naming the database when it holds other tables or a newer schema, and
// kDatabaseError for the server's failures (one that cannot be reached among them).
ServerAccountCreation CreateServerAccount(const std::string& uri, const AccountCreationOptions& options);

}  // namespace orva::components
