#include "support/PostgresServer.h"

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>

#include "automation/AutomationError.h"
#include "storage/ServerDatabase.h"

namespace orva::testing {

std::string PostgresAdminUri() {
    const char* uri = std::getenv("ORVA_TEST_POSTGRES");
    return uri ? uri : "";
}

std::string PostgresMissingMessage() {
    return "no PostgreSQL test server: set ORVA_TEST_POSTGRES to the admin URI that "
           "`scripts/pg-server start DIR` prints (scripts/test does it for you)";
}

bool RunningUnderCi() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string(ci) == "true";
}

std::string UriWithDatabase(const std::string& uri, const std::string& database) {
    size_t authority = uri.find("://");
    authority = authority == std::string::npos ? 0 : authority + 3;
    size_t query = uri.find('?', authority);
    size_t path = uri.find('/', authority);
    if (path == std::string::npos || path > query) path = query == std::string::npos ? uri.size() : query;
    size_t pathEnd = query == std::string::npos ? uri.size() : query;
    return uri.substr(0, path) + "/" + database + uri.substr(pathEnd);
}

ScratchPostgresDatabase::ScratchPostgresDatabase() {
    static std::atomic<int> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    m_name = "orva_test_" + std::to_string(getpid()) + "_" + std::to_string(++counter) + "_" +
             std::to_string(static_cast<uint64_t>(now) % 1000000);
    m_uri = UriWithDatabase(PostgresAdminUri(), m_name);
    components::OpenServerDatabase(PostgresAdminUri(), false)->Execute("CREATE DATABASE " + m_name);
}

ScratchPostgresDatabase::~ScratchPostgresDatabase() {
    try {
        components::OpenServerDatabase(PostgresAdminUri(), false)
            ->Execute("DROP DATABASE IF EXISTS " + m_name + " WITH (FORCE)");
    } catch (const automation::AutomationError& error) {
        // Reported, not raised: a database left behind goes with the throwaway server.
        std::cerr << "could not drop the test database " << m_name << ": "
                  << automation::ToUtf8Lossy(error.Description()) << "\n";
    }
}

}  // namespace orva::testing
