// The crash-safe write shared by packet files and accounts: what it refuses to replace, where it
// writes through a link, the order of its system calls and what each failing call leaves on disk,
// and the temporaries of writers that were killed.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <fstream>
#include <iostream>
#include <sstream>

#include "account/AccountCreation.h"
#include "automation/AutomationError.h"
#include "storage/AtomicFile.h"
#include "storage/SqliteDatabase.h"
#include "support/ErrorNumber.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using automation::FromUtf8;
using automation::Text;
using automation::ToUtf8Lossy;
using orva::testing::ErrorNumberOf;
namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream content;
    content << file.rdbuf();
    return content.str();
}

std::vector<std::string> FolderContent(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The two ways this library publishes a file.
enum class Saver { PacketFile, Account };

int32_t Save(Saver saver, const fs::path& path, Text* description = nullptr) {
    return ErrorNumberOf(
        [&] {
            if (saver == Saver::PacketFile) {
                WriteFileAtomically(FromUtf8(path.string()), "new packet");
            } else {
                CreateAccountFile(path.string(), {.overwrite = true});
            }
        },
        description);
}

bool HoldsNewContent(Saver saver, const fs::path& path) {
    if (saver == Saver::PacketFile) return ReadBytes(path) == "new packet";
    auto database = SqliteDatabase::Open(path.string(), SqliteDatabase::OpenMode::ReadOnly);
    return database->QueryInteger("PRAGMA application_id") == 0x4F525641;
}

TEST(AtomicFile, ReplacesOnlyRegularFilesAndWritesThroughSymbolicLinks) {
    struct Case {
        const char* name;
        std::function<bool(const fs::path& folder)> make;  // false: not possible here
        int32_t number;                                    // 0: saved
        const char* message;                               // in the error's description
        const char* savedAs;                               // the regular file that receives the save
    };
    const std::vector<Case> cases = {
        {"new file", [](const fs::path&) { return true; }, 0, "", "target"},
        {"regular file", [](const fs::path& f) { return !!(std::ofstream(f / "target") << "old"); }, 0, "",
         "target"},
        {"folder", [](const fs::path& f) { return fs::create_directory(f / "target"); }, 70,
         "cannot be replaced: it is a folder", nullptr},
        {"FIFO", [](const fs::path& f) { return mkfifo((f / "target").c_str(), 0600) == 0; }, 70,
         "cannot be replaced: it is a FIFO", nullptr},
        // A node of its own in the test's folder, never one in /dev: a regression must not replace a
        // device of the machine. Creating one needs privileges, so the case is skipped without them.
        {"character device",
         [](const fs::path& f) { return mknod((f / "target").c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0; },
         70, "cannot be replaced: it is a character device", nullptr},
        {"link to a file",
         [](const fs::path& f) {
             fs::create_directory(f / "real");
             std::ofstream(f / "real" / "file") << "old";
             fs::create_symlink("real/file", f / "target");
             return true;
         },
         0, "", "real/file"},
        {"link to a link to a FIFO",
         [](const fs::path& f) {
             fs::create_symlink("fifo-link", f / "target");
             fs::create_symlink("fifo", f / "fifo-link");
             return mkfifo((f / "fifo").c_str(), 0600) == 0;
         },
         70, "it is a FIFO (the symbolic link leads to", nullptr},
        {"link to nothing",
         [](const fs::path& f) {
             fs::create_symlink("missing", f / "target");
             return true;
         },
         53, "is a symbolic link to", nullptr},
        {"link loop",
         [](const fs::path& f) {
             fs::create_symlink("target", f / "target");
             return true;
         },
         57, "cannot follow the symbolic link", nullptr},
    };
    for (Saver saver : {Saver::PacketFile, Saver::Account}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (saver == Saver::Account ? " (account)" : " (packet file)"));
            orva::testing::TempDir folder;
            if (!c.make(folder.Path())) {
                std::cout << "[ SKIPPED  ] " << c.name << ": cannot be made here\n";
                continue;
            }
            std::vector<std::string> before = FolderContent(folder.Path());
            fs::file_status node = fs::symlink_status(folder / "target");
            Text description;
            int32_t number = Save(saver, folder / "target", &description);
            EXPECT_EQ(number, c.number) << ToUtf8Lossy(description);
            if (c.number != 0) {
                EXPECT_EQ(description.rfind(FromUtf8((folder / "target").string() + ": "), 0), 0u)
                    << ToUtf8Lossy(description);
                EXPECT_NE(description.find(FromUtf8(c.message)), Text::npos) << ToUtf8Lossy(description);
                EXPECT_EQ(FolderContent(folder.Path()), before) << "something was created or removed";
                EXPECT_EQ(fs::symlink_status(folder / "target").type(), node.type());
                continue;
            }
            EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(folder / c.savedAs)));
            if (std::string(c.savedAs) != "target") {
                EXPECT_TRUE(fs::is_symlink(folder / "target")) << "the link was replaced";
                EXPECT_EQ(FolderContent(folder / "real"), std::vector<std::string>{"file"});
            }
            EXPECT_TRUE(HoldsNewContent(saver, folder / c.savedAs));
        }
    }
}

// Records the file-system calls of the saves, naming each by what it acts on, and fails one of them.
class CallRecorder {
public:
    std::vector<std::string> events;
    size_t failAt = SIZE_MAX;  // index of the call to fail
    int failWith = EIO;

    FileSystemCalls Calls() {
        const FileSystemCalls& system = SystemFileSystemCalls();
        FileSystemCalls calls;
        calls.openFolder = [this, &system](const char* path, int flags) {
            if (Fails("open folder")) return -1;
            return m_folder = system.openFolder(path, flags);
        };
        calls.openAt = [this, &system](int folder, const char* name, int flags, mode_t mode) {
            if (Fails("create temporary")) return -1;
            return m_temporary = system.openAt(folder, name, flags, mode);
        };
        calls.write = [this, &system](int descriptor, const void* data, size_t size) -> ssize_t {
            if (Fails("write " + Name(descriptor))) return -1;
            return system.write(descriptor, data, size);
        };
        calls.fchmod = [this, &system](int descriptor, mode_t mode) {
            if (Fails("fchmod " + Name(descriptor))) return -1;
            return system.fchmod(descriptor, mode);
        };
        calls.fsync = [this, &system](int descriptor) {
            if (Fails("fsync " + Name(descriptor))) return -1;
            return system.fsync(descriptor);
        };
        calls.close = [this, &system](int descriptor) {
            // A failed close has closed the descriptor all the same.
            bool fails = Fails("close " + Name(descriptor));
            system.close(descriptor);
            return fails ? -1 : 0;
        };
        calls.renameAt = [this, &system](int folder, const char* from, const char* to, unsigned flags) {
            if (Fails(flags == 0 ? "rename" : "rename without replacing")) return -1;
            return system.renameAt(folder, from, to, flags);
        };
        calls.linkAt = [this, &system](int folder, const char* from, const char* to) {
            if (Fails("link")) return -1;
            return system.linkAt(folder, from, to);
        };
        return calls;
    }

private:
    bool Fails(const std::string& event) {
        events.push_back(event);
        if (events.size() - 1 != failAt) return false;
        errno = failWith;
        return true;
    }
    std::string Name(int descriptor) const {
        return descriptor == m_folder ? "folder" : descriptor == m_temporary ? "temporary" : "other";
    }
    int m_folder = -1;
    int m_temporary = -1;
};

TEST(AtomicFile, SyncsTheTemporaryBeforeTheRenameAndTheFolderAfterItAndAFailedStepLeavesTheOldFile) {
    struct Case {
        const char* name;
        Saver saver;
        bool earlier;  // a file to replace is there
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {"new packet file",
         Saver::PacketFile,
         false,
         {"open folder", "create temporary", "write temporary", "fsync temporary", "close temporary",
          "rename", "fsync folder", "close folder"}},
        {"packet file replaced",
         Saver::PacketFile,
         true,
         {"open folder", "create temporary", "write temporary", "fchmod temporary", "fsync temporary",
          "close temporary", "rename", "fsync folder", "close folder"}},
        {"new account",
         Saver::Account,
         false,
         {"open folder", "create temporary", "fsync temporary", "close temporary", "rename", "fsync folder",
          "close folder"}},
        {"account replaced",
         Saver::Account,
         true,
         {"open folder", "create temporary", "fchmod temporary", "fsync temporary", "close temporary",
          "rename", "fsync folder", "close folder"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        orva::testing::TempDir folder;
        fs::path target = folder / "target";
        if (c.earlier) std::ofstream(target) << "earlier";
        std::vector<std::string> before = FolderContent(folder.Path());
        {
            CallRecorder recorder;
            ScopedFileSystemCalls scope(recorder.Calls());
            ASSERT_EQ(Save(c.saver, target), 0);
            EXPECT_EQ(recorder.events, c.calls);
        }
        for (size_t step = 0; step < c.calls.size(); ++step) {
            SCOPED_TRACE("failing " + c.calls[step]);
            for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(target.string() + suffix);
            if (c.earlier) std::ofstream(target) << "earlier";
            CallRecorder recorder;
            recorder.failAt = step;
            int32_t number = 0;
            {
                ScopedFileSystemCalls scope(recorder.Calls());
                number = Save(c.saver, target);
            }
            bool published = step >= c.calls.size() - 2;  // the folder's sync or close failed
            EXPECT_EQ(FolderContent(folder.Path()), published ? std::vector<std::string>{"target"} : before)
                << "a temporary stayed behind, or the file was published";
            if (c.calls[step] == "close folder") {
                EXPECT_EQ(number, 0) << "nothing can be lost by closing the folder";
            } else {
                EXPECT_EQ(number, automation::errors::kDeviceIo);
            }
            if (published) {
                EXPECT_TRUE(HoldsNewContent(c.saver, target)) << "the rename had happened";
            } else if (c.earlier) {
                EXPECT_EQ(ReadBytes(target), "earlier");
            }
        }
    }
}

TEST(AtomicFile, NotReplacingLinksTheFileIntoPlaceOrRenamesWithoutReplacing) {
    orva::testing::TempDir folder;
    fs::path target = folder / "account.db";
    CallRecorder recorder;
    {
        ScopedFileSystemCalls scope(recorder.Calls());
        CreateAccountFile(target.string(), {});
    }
    EXPECT_EQ(std::count(recorder.events.begin(), recorder.events.end(), "link"), 1);
    EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"account.db"});

    // A file system without hard links, and a file created by somebody else meanwhile.
    for (bool createdMeanwhile : {false, true}) {
        fs::remove(target);
        FileSystemCalls calls = recorder.Calls();
        calls.linkAt = [&](int folderDescriptor, const char* from, const char* to) {
            if (createdMeanwhile) std::ofstream(target) << "theirs";
            (void)folderDescriptor, (void)from, (void)to;
            errno = EPERM;
            return -1;
        };
        ScopedFileSystemCalls scope(calls);
        EXPECT_EQ(ErrorNumberOf([&] { CreateAccountFile(target.string(), {}); }),
                  createdMeanwhile ? kFileAlreadyExists : 0);
        EXPECT_EQ(FolderContent(folder.Path()), std::vector<std::string>{"account.db"});
        if (createdMeanwhile) {
            EXPECT_EQ(ReadBytes(target), "theirs");
        }
    }
}

// A writer killed in the middle of a save, in a child process; returns its process id (gone).
pid_t KillWriterWhileSaving(const fs::path& target) {
    pid_t child = fork();
    if (child == 0) {
        AtomicFile file(FromUtf8(target.string()), AtomicFile::Publication::Replace);
        file.Write("half");
        std::ofstream(file.TemporaryPath() + "-journal") << "its journal";
        kill(getpid(), SIGKILL);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}

TEST(AtomicFile, TheNextSaveRemovesTheTemporariesOfKilledWritersOnly) {
    orva::testing::TempDir folder;
    fs::path target = folder / "DeployFunction.Dat";
    pid_t dead = KillWriterWhileSaving(target);
    std::vector<std::string> left = FolderContent(folder.Path());
    ASSERT_EQ(left.size(), 2u) << "the killed writer left its temporary and its journal";
    std::string stale = left[0];
    ASSERT_LT(stale.size(), 64u) << "a temporary's name is short: " << stale;

    // Temporaries that must stay: of a live process (pid 1), of a writer that still holds its lock,
    // and of another target.
    std::string prefix = stale.substr(0, stale.find("-" + std::to_string(dead) + "-"));
    std::string ofLiveProcess = prefix + "-1-0.tmp";
    std::string locked = prefix + "-" + std::to_string(dead) + "-99999.tmp";
    std::string ofOtherTarget = ".orva-0123456789abcdef-" + std::to_string(dead) + "-0.tmp";
    for (const std::string& name : {ofLiveProcess, locked, ofOtherTarget})
        std::ofstream(folder / name) << "x";
    int lock = open((folder / locked).c_str(), O_RDONLY);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);

    WriteFileAtomically(FromUtf8(target.string()), "whole");
    close(lock);
    std::vector<std::string> expected = {"DeployFunction.Dat", ofLiveProcess, locked, ofOtherTarget};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderContent(folder.Path()), expected);

    // A valid name of 255 bytes is saved: the temporary's name does not grow with it.
    fs::path longest = folder / std::string(255, 'n');
    WriteFileAtomically(FromUtf8(longest.string()), "whole");
    EXPECT_EQ(ReadBytes(longest), "whole");
}

}  // namespace
}  // namespace orva::components
