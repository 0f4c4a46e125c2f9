// Trust at the registry: an entry, a folder or a library that somebody other than root or the reading
// user could change is refused before any code is loaded; registering never follows a planted link,
// never writes a value that adds lines, and writes files others cannot change; the exported entry
// points write where their scope says.

#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>

#include "api/ServerRegistration.h"
#include "automation/Text.h"
#include "capi/orva_server_abi.h"
#include "support/ErrorNumber.h"
#include "support/ScopedEnvironment.h"
#include "support/TempDir.h"

namespace orva::api {
namespace {

namespace fs = std::filesystem;
using orva::testing::ErrorNumberOf;
using orva::testing::ScopedEnvironment;
using orva::testing::TempDir;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const fs::path& path, const std::string& text, mode_t mode = 0644) {
    std::ofstream(path, std::ios::binary) << text;
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
}

void SetMode(const fs::path& path, mode_t mode) { ASSERT_EQ(::chmod(path.c_str(), mode), 0) << path; }

mode_t ModeOf(const fs::path& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 ? info.st_mode : 0;
}

// An unprivileged user that exists on every Debian system, to own what must not be trusted.
uid_t Nobody() {
    const passwd* user = ::getpwnam("nobody");
    return user ? user->pw_uid : 0;
}

void GiveToNobody(const fs::path& path) { ASSERT_EQ(::lchown(path.c_str(), Nobody(), (gid_t)-1), 0) << path; }

// A registry holding one entry, "Test.Other", for a copy of a library of another interface version
// that writes `marker` when it is loaded. Every folder is 0755 and every file 0644, owned by us.
struct Scene {
    TempDir dir;
    fs::path registry = dir / "registry";
    fs::path libraries = dir / "lib";
    fs::path library = libraries / "libOther.so.1";
    fs::path entry = registry / "test.other.entry";
    fs::path marker = dir / "loaded";
    Scene() {
        SetMode(dir.Path(), 0755);
        fs::create_directory(registry);
        fs::create_directory(libraries);
        SetMode(registry, 0755);
        SetMode(libraries, 0755);
        fs::copy_file(ORVA_OTHER_VERSION_SERVER, library);
        SetMode(library, 0644);
        WriteFile(entry, EntryText(library.string()));
    }
    static std::string EntryText(const std::string& library) {
        return "OrvaRegistryEntry/1\nProgID=Test.Other\nLibrary=" + library + "\n";
    }
    // Moves the library into folder (made with mode) and leaves a link to it at its registered name.
    void LinkLibraryFrom(const char* folderName, mode_t mode) {
        fs::path folder = dir / folderName;
        fs::create_directories(folder);
        SetMode(folder, mode);
        fs::rename(library, folder / "libOther.so.1.0");
        fs::create_symlink(folder / "libOther.so.1.0", library);
    }
};

TEST(RegistryTrust, AnUntrustedEntryFolderOrLibraryIsRefusedUnloadedAndAnotherInterfaceVersionAfterLoading) {
    ASSERT_NE(Nobody(), 0u) << "the user nobody is needed to own files that must not be trusted";
    struct Case {
        const char* what;
        std::function<void(Scene&)> spoil;
        const char* reason;  // nullptr: trusted, so loaded and refused for its interface version
    };
    const Case cases[] = {
        {"all ours", [](Scene&) {}, nullptr},
        {"entry writable by others", [](Scene& s) { SetMode(s.entry, 0646); },
         "the entry is writable by others"},
        {"entry writable by its group", [](Scene& s) { SetMode(s.entry, 0664); },
         "the entry is writable by its group"},
        {"entry of another user", [](Scene& s) { GiveToNobody(s.entry); },
         "the entry is owned by another user"},
        {"entry is a link",
         [](Scene& s) {
             fs::rename(s.entry, s.dir / "elsewhere.entry");
             fs::create_symlink(s.dir / "elsewhere.entry", s.entry);
         },
         "the entry is a symbolic link"},
        // Opening a FIFO for reading waits for a writer: today's hang.
        {"entry is a FIFO",
         [](Scene& s) {
             fs::remove(s.entry);
             ASSERT_EQ(::mkfifo(s.entry.c_str(), 0644), 0);
         },
         "the entry is a FIFO"},
        {"folder writable by others", [](Scene& s) { SetMode(s.registry, 0777); },
         "the folder is writable by others"},
        {"folder writable by others but sticky", [](Scene& s) { SetMode(s.registry, 01777); }, nullptr},
        {"folder of another user", [](Scene& s) { GiveToNobody(s.registry); },
         "the folder is owned by another user"},
        {"a folder above writable by others", [](Scene& s) { SetMode(s.dir.Path(), 0777); },
         "above it is writable by others"},
        {"a folder above of another user", [](Scene& s) { GiveToNobody(s.dir.Path()); },
         "above it is owned by another user"},
        // A line end in a value once gave a second Library line, and the last one won.
        {"a second Library line",
         [](Scene& s) {
             WriteFile(s.entry, Scene::EntryText("/usr/lib/libc.so.6\nLibrary=" + s.library.string()));
         },
         "the key Library appears a second time"},
        {"library writable by others", [](Scene& s) { SetMode(s.library, 0666); }, "is writable by others"},
        {"library of another user", [](Scene& s) { GiveToNobody(s.library); }, "is owned by another user"},
        {"library's folder writable by others", [](Scene& s) { SetMode(s.libraries, 0777); },
         "the library's folder is writable by others"},
        {"library linked to a file in a trusted folder",
         [](Scene& s) { s.LinkLibraryFrom("versions", 0755); }, nullptr},
        {"library linked to a file in a folder others can write",
         [](Scene& s) { s.LinkLibraryFrom("drop", 0777); }, "the library's folder is writable by others"},
        {"library linked through a link in a folder others can write",
         [](Scene& s) {
             s.LinkLibraryFrom("versions", 0755);
             fs::path drop = s.dir / "drop";
             fs::create_directory(drop);
             SetMode(drop, 0777);
             fs::rename(s.library, drop / "libOther.so.1");  // the link moves, still leading to versions
             fs::create_symlink(drop / "libOther.so.1", s.library);
         },
         "the library's folder is writable by others"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Scene scene;
        c.spoil(scene);
        ScopedEnvironment environment;
        environment.Set("ORVA_REGISTRY", scene.registry.c_str());
        environment.Set("ORVA_TEST_LOAD_MARKER", scene.marker.c_str());

        orva_object* object = nullptr;
        orva_error error = ORVA_ERROR_INIT;
        EXPECT_EQ(orva_create_object("Test.Other", &object, &error), 429);
        EXPECT_EQ(object, nullptr);
        std::string description = error.description ? error.description : "";
        if (c.reason) {
            EXPECT_NE(description.find(c.reason), std::string::npos) << description;
            EXPECT_NE(description.find("Test.Other"), std::string::npos) << description;
            EXPECT_FALSE(fs::exists(scene.marker)) << "the library of an untrusted entry ran";
        } else {
            EXPECT_NE(
                description.find("has interface version " + std::to_string(ORVA_AUTOMATION_ABI_VERSION + 1) +
                                 ", this loader " + std::to_string(ORVA_AUTOMATION_ABI_VERSION)),
                std::string::npos)
                << description;
            EXPECT_TRUE(fs::exists(scene.marker)) << "a trusted library is loaded";
        }
        orva_error_clear(&error);
    }
}

TEST(RegistryTrust, AnotherUserTrustsTheirOwnEntriesAndRootsButNotAThirdUsers) {
    ASSERT_NE(Nobody(), 0u) << "the user nobody is needed to read as another user";
    Scene scene;
    GiveToNobody(scene.registry);
    struct Case {
        const char* progId;
        uid_t owner;
        const char* described;
    };
    const Case cases[] = {
        {"Test.Mine", Nobody(), "has interface version"},
        {"Test.Roots", 0, "has interface version"},
        {"Test.Theirs", Nobody() - 1, "the entry is owned by another user"},
    };
    for (const Case& c : cases) {
        fs::path entry = RegistryEntryFile(scene.registry, c.progId);
        WriteFile(entry, "OrvaRegistryEntry/1\nProgID=" + std::string(c.progId) +
                             "\nLibrary=" + scene.library.string() + "\n");
        ASSERT_EQ(::lchown(entry.c_str(), c.owner, (gid_t)-1), 0);
    }
    ScopedEnvironment environment;
    environment.Set("ORVA_REGISTRY", scene.registry.c_str());
    // The reader is the user nobody, in a child process; its exit status has a bit set per failed case.
    const gid_t group = ::getpwnam("nobody")->pw_gid;
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int failed = 0;
        if (::setgid(group) != 0 || ::setuid(Nobody()) != 0) ::_exit(100);
        for (size_t i = 0; i < std::size(cases); ++i) {
            orva_object* object = nullptr;
            orva_error error = ORVA_ERROR_INIT;
            bool refused = orva_create_object(cases[i].progId, &object, &error) == 429;
            if (!refused || !error.description || !std::strstr(error.description, cases[i].described)) {
                failed |= 1 << i;
            }
        }
        ::_exit(failed);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "a bit per failed case, in table order (100: no change of user)";
}

// The library file registering names: a real file in a folder of the test's own.
struct Library {
    TempDir dir;
    fs::path file;
    explicit Library(const std::string& folderName = "lib") {
        SetMode(dir.Path(), 0755);
        fs::path folder = dir / folderName;
        fs::create_directories(folder);
        file = folder / "libOrvaClassDeploy.so.0";
        WriteFile(file, "not really a library");
    }
};

TEST(RegistryTrust, RegisteringReplacesWhatSitsAtAnEntrysNameWithoutFollowingItAndWritesRights0644) {
    struct Case {
        const char* what;
        // Puts something at the entry's name; dir holds "victim", library is what registering names.
        std::function<void(const fs::path& entry, const fs::path& dir, const fs::path& library)> plant;
        int32_t number;  // of registering
    };
    const Case cases[] = {
        {"nothing", [](const fs::path&, const fs::path&, const fs::path&) {}, 0},
        {"a link to a file elsewhere",
         [](const fs::path& entry, const fs::path& dir, const fs::path&) {
             fs::create_symlink(dir / "victim", entry);
         },
         0},
        {"a link to nothing",
         [](const fs::path& entry, const fs::path& dir, const fs::path&) {
             fs::create_symlink(dir / "planted", entry);
         },
         0},
        {"our very entry, but writable by others",
         [](const fs::path& entry, const fs::path&, const fs::path& library) {
             WriteFile(entry, FormatRegistryEntry(LibraryEntries(library)[0]), 0666);
         },
         0},
        {"a FIFO",
         [](const fs::path& entry, const fs::path&, const fs::path&) {
             ASSERT_EQ(::mkfifo(entry.c_str(), 0644), 0);
         },
         70},
    };
    const mode_t savedMask = ::umask(077);  // folders and entries get their rights whatever the umask
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Library library;
        TempDir dir;
        fs::path folder = dir / "registry" / "orva";
        WriteFile(dir / "victim", "precious\n", 0600);
        fs::create_directories(folder);
        fs::path entry = RegistryEntryFile(folder, "OrvaClassDeploy.clsDeploywizard");
        c.plant(entry, dir.Path(), library.file);

        automation::Text description;
        EXPECT_EQ(ErrorNumberOf([&] { RegisterServer(folder, library.file); }, &description), c.number)
            << automation::ToUtf8(description);
        EXPECT_EQ(ReadFile(dir / "victim"), "precious\n");
        EXPECT_FALSE(fs::exists(fs::symlink_status(dir / "planted")));
        if (c.number == 0) {
            EXPECT_EQ(ModeOf(entry) & 0177777, S_IFREG | 0644);
            EXPECT_EQ(ReadRegistryEntry(entry).library, library.file.string());
        } else {
            EXPECT_NE(description.find(u"FIFO"), automation::Text::npos) << automation::ToUtf8(description);
        }
    }
    {
        Library library;
        TempDir dir;
        fs::path folder = dir / "made" / "registry";
        ASSERT_NO_THROW(RegisterServer(folder, library.file));
        EXPECT_EQ(ModeOf(dir / "made") & 07777, 0755u);
        EXPECT_EQ(ModeOf(folder) & 07777, 0755u);
        EXPECT_EQ(ModeOf(RegistryEntryFile(folder, "OrvaClassDeploy.clsPromulgator")) & 07777, 0644u);
    }
    ::umask(savedMask);
}

TEST(RegistryTrust, RegisteringRefusesValuesThatWouldAddLinesAndFoldersOthersCanWriteWritingNothing) {
    struct Case {
        const char* what;
        std::string libraryFolder;
        mode_t registryMode;
        mode_t libraryMode;
        int32_t number;
        const char16_t* named;
        const char* below = "";  // registering into this folder below the one made with registryMode
    };
    const Case cases[] = {
        {"a line end in the install folder", "lib\nLibrary=/tmp/evil", 0755, 0644, 5,
         u"lib\\nLibrary=/tmp/evil"},
        {"a carriage return", "lib\r", 0755, 0644, 5, u"control character"},
        {"an escape", "lib\x1b[2J", 0755, 0644, 5, u"\\x1b"},
        {"a registry folder others can write", "lib", 0777, 0644, 70,
         u"not trusted: the folder is writable by others"},
        {"a missing registry folder in one others can write", "lib", 0777, 0644, 70,
         u"above it is writable by others", "orva/registry"},
        {"a library others can write", "lib", 0755, 0666, 70,
         u"libOrvaClassDeploy.so.0 is writable by others"},
        {"Chinese names", "\xE5\xBA\x93 \xE6\x96\x87\xE4\xBB\xB6\xE5\xA4\xB9", 0755, 0644, 0, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Library library(c.libraryFolder);
        SetMode(library.file, c.libraryMode);
        TempDir dir;
        fs::path folder = dir / "\xE6\xB3\xA8\xE5\x86\x8C\xE8\xA1\xA8";
        fs::create_directory(folder);
        SetMode(folder, c.registryMode);
        fs::path target = folder / c.below;
        automation::Text description;
        EXPECT_EQ(ErrorNumberOf([&] { RegisterServer(target, library.file); }, &description), c.number);
        EXPECT_NE(description.find(c.named), automation::Text::npos) << automation::ToUtf8(description);
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), c.number ? 0 : 2)
            << "nothing is written, not even a folder, when registering fails";
        if (c.number == 0) {
            EXPECT_EQ(ReadRegistryEntry(RegistryEntryFile(folder, "OrvaClassDeploy.clsPromulgator")).library,
                      library.file.string());
        }
    }
}

TEST(RegistryTrust, TheExportedEntryPointsWriteAndRemoveInTheFolderOfTheirScope) {
    struct Case {
        int32_t scope;
        const char* dataHome;  // relative to the test's folder; nullptr: unset
        const char* written;   // relative to the test's folder; nullptr: refused (5)
    };
    const Case cases[] = {
        {0, "data", "data/orva/registry"},
        {0, nullptr, "home/.local/share/orva/registry"},
        {1, "data", "system"},
        {1, nullptr, "system"},
        {2, "data", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.scope) + " " + (c.dataHome ? c.dataHome : "-"));
        TempDir dir;
        ScopedEnvironment environment;
        environment.Set("ORVA_REGISTRY", nullptr);
        environment.Set("HOME", (dir / "home").c_str());
        environment.Set("XDG_DATA_HOME", c.dataHome ? (dir / c.dataHome).c_str() : nullptr);
        ScopedSystemRegistryFolder system(dir / "system");
        auto entriesIn = [&](const char* folder) {
            std::error_code ignored;
            return std::distance(fs::directory_iterator(dir / folder, ignored), fs::directory_iterator());
        };
        const char* folders[] = {"data/orva/registry", "home/.local/share/orva/registry", "system"};

        orva_error error = ORVA_ERROR_INIT;
        EXPECT_EQ(OrvaRegisterServer(nullptr, c.scope, &error), c.written ? 0 : 5)
            << (error.description ? error.description : "");
        for (const char* folder : folders) {
            EXPECT_EQ(entriesIn(folder), c.written && std::strcmp(folder, c.written) == 0 ? 2 : 0) << folder;
        }
        if (c.written) {
            // The other scope's unregister leaves these entries; their own removes them.
            EXPECT_EQ(OrvaUnregisterServer(nullptr, 1 - c.scope, &error), 0);
            EXPECT_EQ(entriesIn(c.written), 2);
            EXPECT_EQ(OrvaUnregisterServer(nullptr, c.scope, &error), 0);
            EXPECT_EQ(entriesIn(c.written), 0);
        }
        orva_error_clear(&error);
    }
}

}  // namespace
}  // namespace orva::api
