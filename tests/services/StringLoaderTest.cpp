// The string loader over the translation files: real lookups, fallbacks, and bad files.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>

#include "automation/AutomationError.h"
#include "automation/ClassRegistry.h"
#include "services/PoCatalog.h"
#include "services/StringLoader.h"
#include "support/TempDir.h"

namespace orva::components {
namespace {

using namespace automation;
namespace fs = std::filesystem;
using orva::testing::TempDir;

// Points the translation folder at a test's own folder (or at none) and forgets what was read.
class ScopedTranslationsDir {
public:
    explicit ScopedTranslationsDir(const fs::path& folder) {
        setenv("ORVA_TRANSLATIONS_DIR", folder.c_str(), 1);
        ForgetCatalogs();
    }
    ~ScopedTranslationsDir() {
        unsetenv("ORVA_TRANSLATIONS_DIR");
        ForgetCatalogs();
    }
};

void WriteFile(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

const std::string kHeader =
    "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; charset=UTF-8\\n\"\n\"Language: en\\n\"\n\n";

std::shared_ptr<StringLoader> Loader(const Text& language) {
    auto loader = StringLoader::Create();
    loader->SetResFileBaseName(u"OrvaDesign");
    loader->SetLanguageID(language);
    return loader;
}

class StringLoaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        unsetenv("ORVA_TRANSLATIONS_DIR");
        ForgetCatalogs();
    }
    void TearDown() override { ForgetCatalogs(); }
};

TEST_F(StringLoaderTest, AnswersFromTheInstalledTranslationsAndTheKeyWhenItHasNone) {
    EXPECT_EQ(Loader(u"EN")->LoadString(u"功能发布完毕！"), u"Publishing of functions completed.");
    EXPECT_EQ(Loader(u"CHT")->LoadString(u"发布列表"), u"發佈清單");
    EXPECT_EQ(Loader(u"cht")->LoadString(u"发布列表"), u"發佈清單") << "the language in any letter case";
    EXPECT_EQ(Loader(u"EN")->LoadString(u"一个没有翻译的键"), u"一个没有翻译的键");
    EXPECT_EQ(Loader(u"EN")->LoadString(u" 发布"), u" 发布") << "keys are not trimmed";
    EXPECT_EQ(Loader(u"EN")->LoadString(u""), u"") << "the PO header is no translation";
    EXPECT_EQ(Loader(u"CHS")->LoadString(u"发布列表"), u"发布列表");
    EXPECT_EQ(Loader(u"")->LoadString(u"发布列表"), u"发布列表");
    EXPECT_TRUE(TakeCatalogWarnings().empty()) << "no file is expected for CHS or for no language";
}

TEST_F(StringLoaderTest, WorksByNameWithTheKeyByReference) {
    ObjectRef loader = CreateObject(u"OrvaText.StringLoader");
    EXPECT_EQ(GetProperty(loader, u"ResFileBaseName"), Variant(u""));
    LetProperty(loader, u"ResFileBaseName", u"OrvaDesign");
    LetProperty(loader, u"languageid", u"EN");
    EXPECT_EQ(GetProperty(loader, u"LanguageID"), Variant(u"EN"));
    std::vector<Variant> args{Variant(u"发布")};
    EXPECT_EQ(CallByName(loader, u"LoadString", args), Variant(u"Publish"));
    EXPECT_EQ(args[0], Variant(u"发布"));
    try {
        CallMethod(loader, u"Translate", {Variant(u"x")});
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kNoSuchMember);
    }
    EXPECT_THROW(CallMethod(loader, u"LoadString"), AutomationError);
}

TEST_F(StringLoaderTest, MissingFolderFallsBackToTheKeyAndWarnsOnce) {
    TempDir dir;
    ScopedTranslationsDir translations(dir / "absent");
    EXPECT_EQ(Loader(u"EN")->LoadString(u"发布"), u"发布");
    EXPECT_EQ(Loader(u"EN")->LoadString(u"发布"), u"发布");
    std::vector<std::string> warnings = TakeCatalogWarnings();
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("OrvaDesign.EN.po"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find((dir / "absent").string()), std::string::npos) << warnings[0];
    EXPECT_TRUE(TakeCatalogWarnings().empty());
}

TEST_F(StringLoaderTest, MalformedFilesFallBackToTheKeyAndNameTheProblem) {
    TempDir dir;
    ScopedTranslationsDir translations(dir.Path());
    WriteFile(dir / "OrvaDesign.EN.po",
              kHeader + "msgid \"发布\"\nmsgstr \"Publish\"\nmsgid \"维护\nmsgstr x\n");
    WriteFile(dir / "OrvaDesign.CHT.po",
              kHeader + "msgid \"发布\"\nmsgstr \"A\"\n\nmsgid \"发布\"\nmsgstr \"B\"\n");
    WriteFile(dir / "OrvaDesign.JA.po",
              std::string("msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=EUC-JP\\n\"\n") +
                  "\nmsgid \"a\"\nmsgstr \"b\"\n");
    WriteFile(dir / "OrvaDesign.KO.po", kHeader + "msgid \"发布\"\nmsgstr \"\xff\xfe\"\n");
    for (const char16_t* language : {u"EN", u"CHT", u"JA", u"KO"}) {
        EXPECT_EQ(Loader(language)->LoadString(u"发布"), u"发布") << ToUtf8(language);
    }
    std::vector<std::string> warnings = TakeCatalogWarnings();
    ASSERT_EQ(warnings.size(), 4u);
    EXPECT_TRUE(std::regex_search(warnings[0], std::regex("OrvaDesign\\.EN\\.po:[0-9]+: "))) << warnings[0];
    EXPECT_NE(warnings[1].find("duplicate"), std::string::npos) << warnings[1];
    EXPECT_NE(warnings[2].find("EUC-JP"), std::string::npos) << warnings[2];
    EXPECT_NE(warnings[3].find("OrvaDesign.KO.po"), std::string::npos) << warnings[3];
}

TEST_F(StringLoaderTest, SkipsFuzzyAndEmptyEntriesAndReadsEachFileOnce) {
    TempDir dir;
    ScopedTranslationsDir translations(dir.Path());
    WriteFile(dir / "OrvaDesign.EN.po", kHeader +
                                            "#, fuzzy\nmsgid \"维护\"\nmsgstr \"Guess\"\n\n"
                                            "msgid \"查询\"\nmsgstr \"\"\n\n"
                                            "msgid \"发布\"\nmsgstr \"Pub\"\n\"lish\"\n");
    auto loader = Loader(u"EN");
    EXPECT_EQ(loader->LoadString(u"发布"), u"Publish");
    EXPECT_EQ(loader->LoadString(u"维护"), u"维护");
    EXPECT_EQ(loader->LoadString(u"查询"), u"查询");

    WriteFile(dir / "OrvaDesign.EN.po", kHeader + "msgid \"发布\"\nmsgstr \"Changed\"\n");
    EXPECT_EQ(loader->LoadString(u"发布"), u"Publish") << "the file is read once and kept";
    ForgetCatalogs();
    EXPECT_EQ(loader->LoadString(u"发布"), u"Changed");
}

TEST_F(StringLoaderTest, NamesThatLeaveTheFolderAreNotOpened) {
    TempDir dir;
    fs::create_directory(dir / "inner");
    ScopedTranslationsDir translations(dir / "inner");
    WriteFile(dir / "OrvaDesign.EN.po", kHeader + "msgid \"发布\"\nmsgstr \"Outside\"\n");
    auto loader = StringLoader::Create();
    loader->SetResFileBaseName(u"../OrvaDesign");
    loader->SetLanguageID(u"EN");
    EXPECT_EQ(loader->LoadString(u"发布"), u"发布");
    loader->SetResFileBaseName(u"OrvaDesign");
    loader->SetLanguageID(u"EN/../../EN");
    EXPECT_EQ(loader->LoadString(u"发布"), u"发布");
    EXPECT_EQ(TakeCatalogWarnings().size(), 2u);
}

TEST(PoCatalog, ReadRaisesFileNotFoundAndBadFormat) {
    TempDir dir;
    try {
        PoCatalog::Read(dir / "none.po");
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kFileNotFound);
    }
    WriteFile(dir / "bad.po", "\x01 binary junk\n");
    try {
        PoCatalog::Read(dir / "bad.po");
        FAIL();
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.Number(), errors::kBadFileFormat);
    }
    WriteFile(dir / "empty.po", "");
    EXPECT_EQ(PoCatalog::Read(dir / "empty.po")->Size(), 0u);
}

}  // namespace
}  // namespace orva::components
