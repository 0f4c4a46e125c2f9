#include "account/AccountSnapshot.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <memory>

#include "account/AccountConnections.h"
#include "automation/AutomationError.h"

namespace orva::components {

using namespace automation;

namespace {

struct CloseDatabase {
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using DatabaseHandle = std::unique_ptr<sqlite3, CloseDatabase>;

DatabaseHandle Open(const std::filesystem::path& path, int flags) {
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
    DatabaseHandle handle(db);
    if (rc != SQLITE_OK) {
        Raise(errors::kDeviceIo,
              FromUtf8(path.string() + ": " + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))));
    }
    sqlite3_busy_timeout(db, 30000);
    return handle;
}

}  // namespace

AccountSnapshot::AccountSnapshot(const std::filesystem::path& source) {
    if (!std::filesystem::exists(source)) {
        Raise(errors::kFileNotFound, FromUtf8(source.string() + ": no such account database"));
    }
    std::string pattern = (std::filesystem::temp_directory_path() / "orva-snapshot-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        Raise(errors::kPermissionDenied,
              u"cannot create a folder for the snapshot of " + FromUtf8(source.string()));
    }
    m_folder = pattern;
    m_path = m_folder / source.filename();
    try {
        DatabaseHandle from = Open(source, SQLITE_OPEN_READONLY);
        DatabaseHandle to = Open(m_path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
        if (backup == nullptr)
            Raise(errors::kDeviceIo, FromUtf8(source.string() + ": " + sqlite3_errmsg(to.get())));
        int rc = sqlite3_backup_step(backup, -1);
        sqlite3_backup_finish(backup);
        if (rc != SQLITE_DONE)
            Raise(errors::kDeviceIo, FromUtf8(source.string() + ": " + sqlite3_errstr(rc)));
    } catch (...) {
        // No failure mode: the half-made copy goes, and the failure passes on.
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
        throw;
    }
}

AccountSnapshot::~AccountSnapshot() {
    // Connections kept for reuse would hold the removed copy open for the life of the process.
    CloseIdleAccountConnections(m_path.string());
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

}  // namespace orva::components
