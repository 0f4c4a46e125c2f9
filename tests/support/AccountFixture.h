#pragma once
// Account databases for tests: a new account (empty or the demo suite) in its own temporary folder,
// the host's properties string for one scope, and direct SQL counts to check what services wrote.

#include <unistd.h>

#include <string>

#include "account/AccountCreation.h"
#include "account/AccountLocation.h"
#include "automation/Text.h"
#include "services/PropertyStore.h"
#include "storage/SqliteDatabase.h"
#include "support/TempDir.h"

namespace orva::components::testing {

class TestAccount {
public:
    explicit TestAccount(bool demo = true) { CreateAccountFile(FileName(), {.demo = demo}); }

    std::string FileName() const { return (m_dir / "account.db").string(); }
    AccountAddress Address(bool readOnly = false) const { return {FileName(), readOnly}; }
    const std::filesystem::path& Folder() const { return m_dir.Path(); }

    // A scalar query on a connection of its own (not one of the services' pool).
    int64_t Count(const std::string& sql) const {
        auto database = SqliteDatabase::Open(FileName(), SqliteDatabase::OpenMode::ReadOnly);
        return database->QueryInteger(sql);
    }

private:
    orva::testing::TempDir m_dir;
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
