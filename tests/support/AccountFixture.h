#pragma once
// Account databases for tests: a new account (empty or the demo suite) in its own temporary folder,
// the host's properties string for one scope, and direct SQL counts to check what services wrote.

#include <unistd.h>

#include <memory>
#include <string>

#include "account/AccountCreation.h"
#include "account/AccountLocation.h"
#include "automation/Text.h"
#include "services/PropertyStore.h"
#include "storage/ServerDatabase.h"
#include "storage/SqliteDatabase.h"
#include "support/PostgresServer.h"
#include "support/TempDir.h"
#include "support/TestBackend.h"

namespace orva::components::testing {

// With ORVA_TEST_BACKEND=postgres the account is a scratch database on the test server, and
// FileName() is its URI (TestBackend.h); alwaysFile makes a file whatever the environment says (the
// file to compare a server account with).
class TestAccount {
public:
    explicit TestAccount(bool demo = true, bool alwaysFile = false) {
        if (orva::testing::AccountsOnServer() && !alwaysFile) {
            orva::testing::CheckServerForAccounts();
            m_server = std::make_unique<orva::testing::ScratchPostgresDatabase>();
            CreateServerAccount(m_server->Uri(), {.demo = demo});
        } else {
            CreateAccountFile(FileName(), {.demo = demo});
        }
    }

    std::string FileName() const { return m_server ? m_server->Uri() : (m_dir / "account.db").string(); }
    // A server account has no read-only form: readOnly is for files.
    AccountAddress Address(bool readOnly = false) const {
        if (m_server) return {m_server->Uri(), false, AccountKind::Postgres};
        return {FileName(), readOnly};
    }
    // The ConnectString value of a properties string naming this account.
    std::string ConnectString() const { return m_server ? m_server->Uri() : "sqlite:" + FileName(); }
    const std::filesystem::path& Folder() const { return m_dir.Path(); }
    bool OnServer() const { return m_server != nullptr; }

    // A scalar query on a connection of its own (not one of the services' pool).
    int64_t Count(const std::string& sql) const {
        if (m_server) return OpenServerDatabase(m_server->Uri(), true)->QueryInteger(sql);
        auto database = SqliteDatabase::Open(FileName(), SqliteDatabase::OpenMode::ReadOnly);
        return database->QueryInteger(sql);
    }

private:
    orva::testing::TempDir m_dir;
    std::unique_ptr<orva::testing::ScratchPostgresDatabase> m_server;
};

// Publishes "PropsString" for this process and puts the earlier value back at the end of the scope.
class ScopedPropsString {
public:
    explicit ScopedPropsString(const std::string& props)
        : m_previous(SharedPropertyTable::Instance().Get(Pid(), u"PropsString")) {
        PublishOwnProperty(u"PropsString", automation::FromUtf8(props));
    }
    ~ScopedPropsString() { PublishOwnProperty(u"PropsString", m_previous); }
    ScopedPropsString(const ScopedPropsString&) = delete;
    ScopedPropsString& operator=(const ScopedPropsString&) = delete;

private:
    static int32_t Pid();
    automation::Variant m_previous;
};

inline int32_t ScopedPropsString::Pid() { return static_cast<int32_t>(::getpid()); }

}  // namespace orva::components::testing
