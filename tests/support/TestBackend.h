#pragma once
// Where the account helpers (TestAccount, AccountFixture.h) make their accounts: a SQLite file in a
// temporary folder, or, with ORVA_TEST_BACKEND=postgres, a scratch database of its own on the test
// server (support/PostgresServer.h). Tests that always need a server start with
// ORVA_REQUIRE_POSTGRES().

#include <cstdlib>
#include <stdexcept>
#include <string_view>

#include "account/AccountConnections.h"
#include "account/AccountLocation.h"
#include "automation/TextHelpers.h"
#include "support/PostgresServer.h"

namespace orva::testing {

inline bool AccountsOnServer() {
    const char* backend = std::getenv("ORVA_TEST_BACKEND");
    return backend && std::string_view(backend) == "postgres";
}

// For the helpers' constructors, which cannot skip a test: a run that asks for server accounts
// without a server fails, loudly.
inline void CheckServerForAccounts() {
    if (PostgresAdminUri().empty()) {
        throw std::runtime_error("ORVA_TEST_BACKEND=postgres, but " + PostgresMissingMessage());
    }
}

// The account a test account's Path() names: a file's path or a server database's URI.
inline components::AccountAddress AccountAt(const std::string& pathOrUri) {
    return components::ParseConnectString(automation::FromUtf8(pathOrUri));
}

// A pooled connection to that account, for the SQL a test runs to set a case up or to check it.
inline components::DatabaseRef OpenTestAccount(const std::string& pathOrUri) {
    return components::OpenAccount(AccountAt(pathOrUri));
}

}  // namespace orva::testing
