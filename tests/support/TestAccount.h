#pragma once
// An account database in a temporary folder, published as this process's host context (Language and
// PropsString), as a host program does before it calls the library. With ORVA_TEST_BACKEND=postgres
// the account is a scratch database on the test server instead, and Path() is its URI
// (support/TestBackend.h).

#include <memory>
#include <string>

#include "automation/Text.h"
#include "support/TempDir.h"

namespace orva::testing {

class ScratchPostgresDatabase;

class TestAccount {
public:
    // Creates the account (with the demo suite when demo is true) and publishes it with language.
    explicit TestAccount(bool demo = false, const std::string& language = "CHS");
    ~TestAccount();
    TestAccount(const TestAccount&) = delete;
    TestAccount& operator=(const TestAccount&) = delete;

    // Publishes the host context again with another language or connect-string suffix ("?mode=ro", for
    // a file only).
    void Publish(const std::string& language, const std::string& connectSuffix = "") const;

    // The file's path, or the server database's URI.
    const std::string& Path() const { return m_path; }
    const TempDir& Folder() const { return m_dir; }
    bool OnServer() const { return m_server != nullptr; }

private:
    TempDir m_dir;
    std::unique_ptr<ScratchPostgresDatabase> m_server;
    std::string m_path;
};

}  // namespace orva::testing
