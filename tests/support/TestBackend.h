#pragma once
// Where the account helpers (TestAccount, AccountFixture.h) make their accounts: a SQLite file in a
// temporary folder, or, with ORVA_TEST_BACKEND=postgres, a scratch database of its own on the test
// server (support/PostgresServer.h). Tests that always need a server start with
// ORVA_REQUIRE_POSTGRES().

#include <cstdlib>
#include <stdexcept>
#include <string_view>

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

}  // namespace orva::testing
