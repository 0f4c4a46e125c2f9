#include "components/AccountCreation.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

#include "automation/AutomationError.h"
#include "components/AccountConnections.h"
#include "components/AccountSchema.h"
#include "components/AccountSql.h"
#include "components/SqliteDatabase.h"
#include "components/SqliteTransaction.h"

namespace orva::components {

using namespace automation;
namespace fs = std::filesystem;

namespace {

inline constexpr int32_t kPathFileAccessError = 75;

[[noreturn]] void RaiseSystemError(const std::string& fileName, int error) {
    Raise(kDatabaseError, DatabaseErrorText(fileName, std::strerror(error)));
}

// The files SQLite keeps beside a database.
void RemoveCompanions(const std::string& fileName) {
    for (const char* suffix : {"-wal", "-shm", "-journal"}) {
        std::string companion = fileName + suffix;
        if (unlink(companion.c_str()) != 0 && errno != ENOENT) RaiseSystemError(companion, errno);
    }
}

// The temporary database and its companions, removed unless the build got through.
class TemporaryDatabase {
public:
    // Created with O_EXCL under a random name and mode 0666 less the umask, like any new file (mkstemp
    // would make it private to its owner, and the hosts of other users could not open the account).
    explicit TemporaryDatabase(const fs::path& target) {
        std::random_device random;
        for (int attempt = 0; attempt < 100; ++attempt) {
            char suffix[16];
            std::snprintf(suffix, sizeof suffix, "%08x", static_cast<unsigned>(random()));
            std::string candidate =
                (target.parent_path() / ("." + target.filename().string() + ".new-" + suffix)).string();
            int descriptor = open(candidate.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (descriptor >= 0) {
                close(descriptor);
                m_fileName = candidate;
                return;
            }
            if (errno != EEXIST) RaiseSystemError(candidate, errno);
        }
        RaiseSystemError(target.string(), EEXIST);
    }
    ~TemporaryDatabase() {
        if (m_fileName.empty()) return;
        unlink(m_fileName.c_str());
        for (const char* suffix : {"-wal", "-shm", "-journal"}) unlink((m_fileName + suffix).c_str());
    }
    TemporaryDatabase(const TemporaryDatabase&) = delete;
    TemporaryDatabase& operator=(const TemporaryDatabase&) = delete;

    const std::string& FileName() const { return m_fileName; }
    void Release() { m_fileName.clear(); }

private:
    std::string m_fileName;
};

void Build(const std::string& fileName, bool demo) {
    auto database = SqliteDatabase::Open(fileName, SqliteDatabase::OpenMode::ReadWrite);
    database->Execute("PRAGMA journal_mode = WAL");
    if (demo) {
        MigrateAccount(*database, kDemoSchemaVersion);
        SqliteTransaction transaction(*database);
        database->Execute(DemoAccountSql());
        transaction.Commit();
    }
    MigrateAccount(*database);
    // Closing the only connection checkpoints the WAL into the file and removes it.
}

void SyncPath(const std::string& path, int flags) {
    int descriptor = open(path.c_str(), flags | O_CLOEXEC);
    if (descriptor < 0) RaiseSystemError(path, errno);
    int result = fsync(descriptor);
    int error = errno;
    close(descriptor);
    if (result != 0) RaiseSystemError(path, error);
}

// Moves the finished file into place. Without overwrite, link() refuses an existing target
// atomically, so a file created meanwhile by somebody else is never replaced.
void Publish(const std::string& temporary, const std::string& target, bool overwrite) {
    if (!overwrite) {
        if (link(temporary.c_str(), target.c_str()) == 0) {
            unlink(temporary.c_str());
            return;
        }
        int error = errno;
        if (error == EEXIST) Raise(kFileAlreadyExists, DatabaseErrorText(target, "the file already exists"));
        // A file system without hard links: check, then rename (not atomic, but the best it offers).
        if (error != EPERM && error != ENOTSUP && error != ENOSYS) RaiseSystemError(target, error);
        if (fs::exists(target))
            Raise(kFileAlreadyExists, DatabaseErrorText(target, "the file already exists"));
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) RaiseSystemError(target, errno);
}

}  // namespace

void CreateAccountFile(const std::string& fileName, const AccountCreationOptions& options) {
    fs::path target = fs::absolute(fs::path(fileName));
    std::string targetName = target.string();
    std::error_code error;
    if (!options.overwrite && fs::exists(target, error)) {
        Raise(kFileAlreadyExists, DatabaseErrorText(targetName, "the file already exists"));
    }
    if (fs::is_directory(target, error))
        Raise(kPathFileAccessError, DatabaseErrorText(targetName, "is a folder"));
    if (!fs::is_directory(target.parent_path(), error)) {
        Raise(errors::kPathNotFound, DatabaseErrorText(target.parent_path().string(), "no such folder"));
    }

    TemporaryDatabase temporary(target);
    Build(temporary.FileName(), options.demo);
    SyncPath(temporary.FileName(), O_RDONLY);
    // A "-wal" left beside the target would be read as part of the new file: it belongs to the
    // account being replaced (or to one deleted without its companions). This process's idle
    // connections to the old file go first: closing one later would delete the new file's "-wal",
    // which SQLite removes by name.
    CloseIdleAccountConnections();
    RemoveCompanions(targetName);
    Publish(temporary.FileName(), targetName, options.overwrite);
    temporary.Release();
    SyncPath(target.parent_path().string(), O_RDONLY | O_DIRECTORY);
}

}  // namespace orva::components
