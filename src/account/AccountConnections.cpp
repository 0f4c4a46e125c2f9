#include "account/AccountConnections.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "account/AccountSchema.h"
#include "automation/AutomationError.h"
#include "automation/PendingError.h"
#include "storage/ServerDatabase.h"
#include "storage/SqliteDatabase.h"

namespace orva::components {

using namespace automation;

namespace {

// A file's device and inode; all zero for a server account, whose URI is its identity.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct PoolEntry {
    FileIdentity identity;
    bool prepared = false;  // the schema of this account was checked by this process
    std::vector<std::unique_ptr<Database>> idle;
};

struct Pool {
    std::mutex mutex;
    // SQLite: the file name, "?mode=ro" added for read-only; a server: its URI.
    std::unordered_map<std::string, PoolEntry> entries;
    std::unordered_map<std::string, DatabaseRef> pinned;  // PinnedAccountTransaction's connections
};

// Shared with the leases, which may outlive the static at process exit.
const std::shared_ptr<Pool>& ThePool() {
    static const std::shared_ptr<Pool> pool = std::make_shared<Pool>();
    return pool;
}

std::string PoolKey(const AccountAddress& address) {
    return address.location + (address.readOnly && !address.IsServer() ? "?mode=ro" : "");
}

FileIdentity IdentifyAccountFile(const std::string& fileName) {
    struct stat status {};
    if (stat(fileName.c_str(), &status) != 0) {
        int error = errno;
        if (error == ENOENT || error == ENOTDIR) {
            Raise(errors::kFileNotFound, DatabaseErrorText(fileName, "no such account database"));
        }
        Raise(kDatabaseError, DatabaseErrorText(fileName, std::strerror(error)));
    }
    return FileIdentity{status.st_dev, status.st_ino};
}

DatabaseRef Lend(std::unique_ptr<Database> database, std::string key, FileIdentity identity) {
    std::weak_ptr<Pool> weakPool = ThePool();
    return DatabaseRef(database.release(), [weakPool, key = std::move(key), identity](Database* raw) {
        std::unique_ptr<Database> returned(raw);
        // Closing it rolls back; a server connection that was lost is of no use to anybody.
        if (returned->InTransaction() || returned->ConnectionLost()) return;
        std::shared_ptr<Pool> pool = weakPool.lock();
        if (!pool) return;
        std::lock_guard lock(pool->mutex);
        auto entry = pool->entries.find(key);
        if (entry != pool->entries.end() && entry->second.identity == identity &&
            entry->second.idle.size() < kMaxIdleConnections) {
            entry->second.idle.push_back(std::move(returned));
        }
    });
}

std::unique_ptr<Database> Connect(const AccountAddress& address) {
    if (address.IsServer()) return OpenServerDatabase(address.location, address.readOnly);
    return SqliteDatabase::Open(address.location, address.readOnly ? SqliteDatabase::OpenMode::ReadOnly
                                                                   : SqliteDatabase::OpenMode::ReadWrite);
}

}  // namespace

DatabaseRef OpenAccount(const AccountAddress& address) {
    std::string key = PoolKey(address);
    const std::shared_ptr<Pool>& pool = ThePool();
    {
        std::lock_guard lock(pool->mutex);
        auto pinned = pool->pinned.find(key);
        if (pinned != pool->pinned.end()) return pinned->second;
    }
    FileIdentity identity;
    if (!address.IsServer()) {
        try {
            identity = IdentifyAccountFile(address.location);
        } catch (const AutomationError&) {
            CloseIdleAccountConnections(address.location);  // connections to a file that is gone
            throw;
        }
    }
    std::vector<std::unique_ptr<Database>> stale;  // closed outside the lock
    bool prepared = false;
    {
        std::lock_guard lock(pool->mutex);
        PoolEntry& entry = pool->entries[key];
        if (!(entry.identity == identity)) {
            stale.swap(entry.idle);
            entry.identity = identity;
            entry.prepared = false;
        }
        // A server may have closed an idle connection (a restart, an administrator ending sessions):
        // such a connection is dropped, not lent, so the caller does not fail on it.
        while (!entry.idle.empty()) {
            std::unique_ptr<Database> database = std::move(entry.idle.back());
            entry.idle.pop_back();
            if (!database->ConnectionLost()) return Lend(std::move(database), std::move(key), identity);
            stale.push_back(std::move(database));
        }
        prepared = entry.prepared;
    }
    stale.clear();

    std::unique_ptr<Database> database = Connect(address);
    if (!prepared) {
        PrepareAccount(*database);
        std::lock_guard lock(pool->mutex);
        PoolEntry& entry = pool->entries[key];
        if (entry.identity == identity) entry.prepared = true;
    }
    return Lend(std::move(database), std::move(key), identity);
}

void CloseIdleAccountConnections(const std::string& location) {
    std::vector<std::string> keys;
    if (IsPostgresConnectString(location)) {
        keys.push_back(location);
    } else {
        std::string absolute = std::filesystem::absolute(location).lexically_normal().string();
        keys = {absolute, absolute + "?mode=ro"};
    }
    std::vector<std::unique_ptr<Database>> idle;
    {
        const std::shared_ptr<Pool>& pool = ThePool();
        std::lock_guard lock(pool->mutex);
        for (const std::string& key : keys) {
            auto entry = pool->entries.find(key);
            if (entry == pool->entries.end()) continue;
            for (auto& database : entry->second.idle) idle.push_back(std::move(database));
            pool->entries.erase(entry);
        }
    }
}

void CloseIdleAccountConnections() {
    std::vector<std::unique_ptr<Database>> idle;
    {
        const std::shared_ptr<Pool>& pool = ThePool();
        std::lock_guard lock(pool->mutex);
        for (auto& [key, entry] : pool->entries) {
            for (auto& database : entry.idle) idle.push_back(std::move(database));
            entry.idle.clear();
        }
    }
}

PinnedAccountTransaction::PinnedAccountTransaction(const AccountAddress& address)
    : m_key(PoolKey(address)), m_database(OpenAccount(address)) {
    m_database->BeginWrite();
    const std::shared_ptr<Pool>& pool = ThePool();
    std::lock_guard lock(pool->mutex);
    if (!pool->pinned.emplace(m_key, m_database).second) {
        m_key.clear();  // not this object's pin
        // m_database is released in a transaction, so it is closed, which rolls back.
        Raise(errors::kInvalidCall,
              FromUtf8Lossy(address.DisplayName() + ": a trial run on this account is already going on"));
    }
}

PinnedAccountTransaction::~PinnedAccountTransaction() {
    {
        const std::shared_ptr<Pool>& pool = ThePool();
        std::lock_guard lock(pool->mutex);
        auto pinned = pool->pinned.find(m_key);
        if (pinned != pool->pinned.end() && pinned->second == m_database) pool->pinned.erase(pinned);
    }
    // A connection that cannot roll back is closed when released, which rolls back all the same.
    RunIgnoring([&] {
        if (m_database->InTransaction()) m_database->Execute("ROLLBACK");
    });
}

}  // namespace orva::components
