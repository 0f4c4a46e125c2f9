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

namespace orva::components {

using namespace automation;

namespace {

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct PoolEntry {
    FileIdentity identity;
    bool prepared = false;  // the schema of this file was checked by this process
    std::vector<std::unique_ptr<SqliteDatabase>> idle;
};

struct Pool {
    std::mutex mutex;
    std::unordered_map<std::string, PoolEntry> entries;  // file name, "?mode=ro" added for read-only
};

// Shared with the leases, which may outlive the static at process exit.
const std::shared_ptr<Pool>& ThePool() {
    static const std::shared_ptr<Pool> pool = std::make_shared<Pool>();
    return pool;
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

DatabaseRef Lend(std::unique_ptr<SqliteDatabase> database, std::string key, FileIdentity identity) {
    std::weak_ptr<Pool> weakPool = ThePool();
    return DatabaseRef(database.release(), [weakPool, key = std::move(key), identity](SqliteDatabase* raw) {
        std::unique_ptr<SqliteDatabase> returned(raw);
        if (returned->InTransaction()) return;  // closing it rolls back
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

}  // namespace

DatabaseRef OpenAccount(const AccountAddress& address) {
    FileIdentity identity;
    try {
        identity = IdentifyAccountFile(address.fileName);
    } catch (const AutomationError&) {
        CloseIdleAccountConnections(address.fileName);  // connections to a file that is gone
        throw;
    }
    std::string key = address.fileName + (address.readOnly ? "?mode=ro" : "");
    const std::shared_ptr<Pool>& pool = ThePool();
    std::vector<std::unique_ptr<SqliteDatabase>> stale;  // closed outside the lock
    bool prepared = false;
    {
        std::lock_guard lock(pool->mutex);
        PoolEntry& entry = pool->entries[key];
        if (!(entry.identity == identity)) {
            stale.swap(entry.idle);
            entry.identity = identity;
            entry.prepared = false;
        }
        if (!entry.idle.empty()) {
            std::unique_ptr<SqliteDatabase> database = std::move(entry.idle.back());
            entry.idle.pop_back();
            return Lend(std::move(database), std::move(key), identity);
        }
        prepared = entry.prepared;
    }
    stale.clear();

    auto database =
        SqliteDatabase::Open(address.fileName, address.readOnly ? SqliteDatabase::OpenMode::ReadOnly
                                                                : SqliteDatabase::OpenMode::ReadWrite);
    if (!prepared) {
        PrepareAccount(*database);
        std::lock_guard lock(pool->mutex);
        PoolEntry& entry = pool->entries[key];
        if (entry.identity == identity) entry.prepared = true;
    }
    return Lend(std::move(database), std::move(key), identity);
}

void CloseIdleAccountConnections(const std::string& fileName) {
    std::string absolute = std::filesystem::absolute(fileName).lexically_normal().string();
    std::vector<std::unique_ptr<SqliteDatabase>> idle;
    {
        const std::shared_ptr<Pool>& pool = ThePool();
        std::lock_guard lock(pool->mutex);
        for (const std::string& key : {absolute, absolute + "?mode=ro"}) {
            auto entry = pool->entries.find(key);
            if (entry == pool->entries.end()) continue;
            for (auto& database : entry->second.idle) idle.push_back(std::move(database));
            pool->entries.erase(entry);
        }
    }
}

void CloseIdleAccountConnections() {
    std::vector<std::unique_ptr<SqliteDatabase>> idle;
    {
        const std::shared_ptr<Pool>& pool = ThePool();
        std::lock_guard lock(pool->mutex);
        for (auto& [key, entry] : pool->entries) {
            for (auto& database : entry.idle) idle.push_back(std::move(database));
            entry.idle.clear();
        }
    }
}

}  // namespace orva::components
