#pragma once
// A throw-away copy of an account database, for trial runs ("what would this deployment do?")
// that must not change the real account. The copy is taken with SQLite's online backup, so it is
// consistent even while other processes write to the account.

#include <filesystem>

namespace orva::components {

class AccountSnapshot {
public:
    // Copies the account at source into a new temporary file. Raises 53 naming source when it does
    // not exist, and an error with SQLite's message when the copy fails (then no file is left).
    explicit AccountSnapshot(const std::filesystem::path& source);
    // Removes the copy and its journal files.
    ~AccountSnapshot();
    AccountSnapshot(const AccountSnapshot&) = delete;
    AccountSnapshot& operator=(const AccountSnapshot&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_path;
};

}  // namespace orva::components
