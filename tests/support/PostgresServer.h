#pragma once
// The PostgreSQL server of the tests: its admin URI comes from the environment variable
// ORVA_TEST_POSTGRES (scripts/pg-server start DIR prints one), and each test that needs a database
// creates a scratch one on it.
//
// A test that needs the server starts with ORVA_REQUIRE_POSTGRES(): without a server it is skipped
// with a message saying how to get one, or fails under CI=true, where a missing server must never
// pass for a green run.

#include <gtest/gtest.h>

#include <string>

namespace orva::testing {

// The admin URI (a database the test user may create databases from), or "" when none is configured.
std::string PostgresAdminUri();

// Why a test that needs the server did not run, and how to give it one.
std::string PostgresMissingMessage();

// True under CI=true.
bool RunningUnderCi();

// uri with its database replaced by database (the path of the URI; its options stay).
std::string UriWithDatabase(const std::string& uri, const std::string& database);

// A database with a unique name on the test server, created by the constructor and dropped (WITH
// (FORCE), so connections left open do not keep it) by the destructor. The constructor raises
// kDatabaseError when the server refuses.
class ScratchPostgresDatabase {
public:
    ScratchPostgresDatabase();
    ~ScratchPostgresDatabase();
    ScratchPostgresDatabase(const ScratchPostgresDatabase&) = delete;
    ScratchPostgresDatabase& operator=(const ScratchPostgresDatabase&) = delete;

    // The URI of the new database, for OpenServerDatabase.
    const std::string& Uri() const { return m_uri; }
    const std::string& DatabaseName() const { return m_name; }

private:
    std::string m_name;
    std::string m_uri;
};

}  // namespace orva::testing

// Skips the current test (fails it under CI=true) when no test server is configured.
#define ORVA_REQUIRE_POSTGRES()                                            \
    do {                                                                   \
        if (::orva::testing::PostgresAdminUri().empty()) {                 \
            if (::orva::testing::RunningUnderCi()) {                       \
                FAIL() << ::orva::testing::PostgresMissingMessage();       \
            } else {                                                       \
                GTEST_SKIP() << ::orva::testing::PostgresMissingMessage(); \
            }                                                              \
        }                                                                  \
    } while (false)
