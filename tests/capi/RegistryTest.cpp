// The registry of in-process servers: the entries registering writes, the folder rules, reading
// entries strictly, unregistering only what this library wrote, and entries whose library is gone.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "api/ServerRegistration.h"
#include "api/clsPromulgator.h"
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

// Written with the rights registering gives, so that the umask cannot make an entry untrusted.
void WriteFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
    fs::permissions(path, fs::perms(0644));
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

struct Fixture {
    TempDir dir;
    fs::path library = dir / "libOrvaClassDeploy.so.0";
    fs::path folder = dir / "registry";
    Fixture() { WriteFile(library, "not really a library"); }
};

TEST(ServerRegistration, WritesOneEntryPerPublicClassThatReadsBackAndRegisteringAgainChangesNothing) {
    Fixture f;
    std::vector<fs::path> files = RegisterServer(f.folder, f.library);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].filename(), "orvaclassdeploy.clsdeploywizard.entry");
    EXPECT_EQ(ReadFile(files[0]).substr(0, 20), "OrvaRegistryEntry/1\n");

    RegistryEntry promulgator = ReadRegistryEntry(files[1]);
    EXPECT_EQ(promulgator.progId, "OrvaClassDeploy.clsPromulgator");
    EXPECT_EQ(promulgator.classId, automation::ToUtf8(clsPromulgator::kClassId));
    EXPECT_EQ(promulgator.interfaceId, automation::ToUtf8(clsPromulgator::kInterfaceId));
    EXPECT_EQ(promulgator.eventInterfaceId, automation::ToUtf8(clsPromulgator::kEventInterfaceId));
    EXPECT_EQ(promulgator.library, f.library.string());
    EXPECT_EQ(promulgator.registeredBy, "OrvaClassDeploy");
    EXPECT_FALSE(promulgator.version.empty());
    EXPECT_TRUE(ReadRegistryEntry(files[0]).eventInterfaceId.empty());

    struct stat before {};
    ASSERT_EQ(stat(files[0].c_str(), &before), 0);
    EXPECT_EQ(RegisterServer(f.folder, f.library), files);
    struct stat after {};
    ASSERT_EQ(stat(files[0].c_str(), &after), 0);
    EXPECT_EQ(before.st_ino, after.st_ino) << "an identical entry is not rewritten";
    EXPECT_EQ(std::distance(fs::directory_iterator(f.folder), fs::directory_iterator()), 2);
}

TEST(ServerRegistration, RefusesToRegisterALibraryFileThatDoesNotExist) {
    Fixture f;
    automation::Text description;
    EXPECT_EQ(ErrorNumberOf([&] { RegisterServer(f.folder, f.dir / "gone.so.0"); }, &description), 53);
    EXPECT_NE(description.find(u"gone.so.0"), automation::Text::npos);
    EXPECT_FALSE(fs::exists(f.folder / "orvaclassdeploy.clsdeploywizard.entry"));
}

TEST(ServerRegistration, UnregisterRemovesOnlyEntriesThisLibraryWrote) {
    struct Case {
        const char* what;
        std::string library;       // "" for ours
        std::string registeredBy;  // "" for ours
        std::string rawText;       // when set, the file's whole text
        bool removed;
        mode_t mode = 0644;
    };
    const Case cases[] = {
        {"ours", "", "", "", true},
        {"ours, but others may change it", "", "", "", false, 0666},
        {"another installation's library", "/opt/other/libOrvaClassDeploy.so.0", "", "", false},
        {"written by somebody else for our library", "", "SomethingElse", "", false},
        {"not an entry at all", "", "", "just some file\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        RegisterServer(f.folder, f.library);
        fs::path wizardFile = RegistryEntryFile(f.folder, "OrvaClassDeploy.clsDeploywizard");
        RegistryEntry entry = ReadRegistryEntry(wizardFile);
        if (!c.library.empty()) entry.library = c.library;
        if (!c.registeredBy.empty()) entry.registeredBy = c.registeredBy;
        WriteFile(wizardFile, c.rawText.empty() ? FormatRegistryEntry(entry) : c.rawText);
        fs::permissions(wizardFile, fs::perms(c.mode));
        WriteFile(f.folder / "othervendor.thing.entry",
                  "OrvaRegistryEntry/1\nProgID=OtherVendor.Thing\nLibrary=" + f.library.string() + "\n");

        UnregisterOutcome outcome = UnregisterServer(f.folder, f.library);
        EXPECT_EQ(fs::exists(wizardFile), !c.removed);
        EXPECT_EQ(outcome.keptForeign.size() + outcome.keptUntrusted.size(), c.removed ? 0u : 1u);
        EXPECT_EQ(outcome.keptUntrusted.size(), c.mode == 0644 ? 0u : 1u);
        EXPECT_FALSE(fs::exists(RegistryEntryFile(f.folder, "OrvaClassDeploy.clsPromulgator")));
        EXPECT_TRUE(fs::exists(f.folder / "othervendor.thing.entry"));
        EXPECT_NO_THROW(UnregisterServer(f.folder, f.library)) << "unregistering again is no error";
    }
}

TEST(ServerRegistration, ReadingAnEntryRefusesWhatIsNotThisFormatNamingTheFile) {
    struct Case {
        std::string text;
        int32_t number;
        const char16_t* named;  // part of the description
    };
    using namespace std::string_literals;
    const Case cases[] = {
        {"ProgID=A.B\nLibrary=/x.so\n", 321, u"line 1: not a registry entry"},
        {"OrvaRegistryEntry/2\nProgID=A.B\nLibrary=/x.so\n", 321, u"another format version"},
        {"OrvaRegistryEntry/1\nProgID A.B\nLibrary=/x.so\n", 321, u"line 2: a line without \"=\""},
        {"OrvaRegistryEntry/1\nProgID=A.B\nLibrary=lib/x.so\n", 321, u"not an absolute path"},
        {"OrvaRegistryEntry/1\nLibrary=/x.so\n", 321, u"no ProgID"},
        {"", 321, u"empty"},
        // Format 1 knows all its keys: a later format changes the first line instead.
        {"OrvaRegistryEntry/1\nProgID=A.B\nThreading=Apartment\nLibrary=/x.so\n", 321,
         u"line 3: an unknown key \"Threading\""},
        {"OrvaRegistryEntry/1\nProgID=A.B\nlibrary=/x.so\n", 321, u"an unknown key \"library\""},
        {"OrvaRegistryEntry/1\nProgID=A.B\n=/x.so\n", 321, u"an unknown key \"\""},
        // A second Library (a line end in the first value) would decide which code runs.
        {"OrvaRegistryEntry/1\nProgID=A.B\nLibrary=/x.so\nLibrary=/evil.so\n", 321,
         u"line 4: the key Library appears a second time"},
        {"OrvaRegistryEntry/1\nProgID=A.B\nLibrary=/x.so\rLibrary=/evil.so\n", 321,
         u"the value of Library holds a control character"},
        {"OrvaRegistryEntry/1\nProgID=A.B\nLibrary=/x.so\0/evil.so\n"s, 321, u"holds a NUL byte"},
        {"OrvaRegistryEntry/1\n#" + std::string(ORVA_REGISTRY_MAX_ENTRY_SIZE, 'x') + "\n", 321,
         u"larger than 65536 bytes"},
        // Comments, blank lines and Windows line ends are read.
        {"OrvaRegistryEntry/1\r\n# comment\n\nProgID=A.B\r\nLibrary=/x.so\n", 0, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 80));
        TempDir dir;
        WriteFile(dir / "a.b.entry", c.text);
        automation::Text description;
        EXPECT_EQ(ErrorNumberOf([&] { ReadRegistryEntry(dir / "a.b.entry"); }, &description), c.number);
        EXPECT_NE(description.find(c.named), automation::Text::npos) << automation::ToUtf8(description);
        if (c.number != 0) {
            EXPECT_NE(description.find(u"a.b.entry"), automation::Text::npos);
        }
    }
    TempDir dir;
    EXPECT_EQ(ErrorNumberOf([&] { ReadRegistryEntry(dir / "missing.entry"); }), 53);
}

TEST(ServerRegistration, ProgramIdsThatCouldLeaveTheFolderAreRefused) {
    for (const char* progId : {"", "../etc.passwd", "a/b", ".hidden", "a b", "Name\n"}) {
        SCOPED_TRACE(progId);
        EXPECT_EQ(ErrorNumberOf([&] { RegistryEntryFile("/tmp", progId); }), 5);
    }
    EXPECT_EQ(RegistryEntryFile("/r", "Orva_Class-Deploy.X1").filename(), "orva_class-deploy.x1.entry");
}

TEST(ServerRegistration, FolderRulesForWritingAndForSearching) {
    struct Case {
        const char* registry;
        const char* dataHome;
        const char* home;
        const char* user;      // RegistryFolderFor(User)
        const char* system;    // RegistryFolderFor(System)
        const char* searched;  // orva_registry_search_folders, joined by "|"
    };
    const Case cases[] = {
        {"/tmp/reg", "/d", "/h", "/tmp/reg", "/tmp/reg", "/tmp/reg"},
        {nullptr, "/d", "/h", "/d/orva/registry", "/etc/orva/registry",
         "/d/orva/registry|/etc/orva/registry"},
        {"", nullptr, "/h", "/h/.local/share/orva/registry", "/etc/orva/registry",
         "/h/.local/share/orva/registry|/etc/orva/registry"},
        // A relative XDG_DATA_HOME is ignored.
        {nullptr, "rel", "/h", "/h/.local/share/orva/registry", "/etc/orva/registry",
         "/h/.local/share/orva/registry|/etc/orva/registry"},
        {nullptr, nullptr, nullptr, nullptr, "/etc/orva/registry", "/etc/orva/registry"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.registry ? c.registry : "-") + " " + (c.dataHome ? c.dataHome : "-"));
        ScopedEnvironment environment;
        environment.Set("ORVA_REGISTRY", c.registry);
        environment.Set("XDG_DATA_HOME", c.dataHome);
        environment.Set("HOME", c.home);
        if (c.user) {
            EXPECT_EQ(RegistryFolderFor(RegistryScope::User), c.user);
        } else {
            EXPECT_EQ(ErrorNumberOf([] { RegistryFolderFor(RegistryScope::User); }), 5);
        }
        EXPECT_EQ(RegistryFolderFor(RegistryScope::System), c.system);
        EXPECT_EQ(RegistryFolderFor(RegistryScope::System, "/given"), "/given");

        char folders[1024];
        int count = orva_registry_search_folders(folders, sizeof folders);
        std::string joined;
        const char* folder = folders;
        for (int i = 0; i < count; ++i, folder += std::strlen(folder) + 1) {
            joined += (i ? "|" : "") + std::string(folder);
        }
        EXPECT_EQ(joined, c.searched);
    }
}

TEST(ServerRegistration, ListingFlagsEntriesWhoseLibraryIsGoneAndUnreadableFiles) {
    Fixture f;
    RegisterServer(f.folder, f.library);
    WriteFile(f.folder / "broken.entry", "garbage\n");
    fs::remove(f.library);
    std::vector<ListedEntry> listed = ListRegistry(f.folder);
    ASSERT_EQ(listed.size(), 3u);
    EXPECT_FALSE(listed[0].problem.empty());  // broken.entry sorts first
    EXPECT_TRUE(listed[1].libraryMissing);
    EXPECT_TRUE(listed[2].libraryMissing);
    EXPECT_TRUE(ListRegistry(f.dir / "no-such-folder").empty());
}

}  // namespace
}  // namespace orva::api
