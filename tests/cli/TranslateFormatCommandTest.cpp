// orva-deploy translate and format, and the host context every command runs in.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

#include "cli/CliRunner.h"
#include "hostctx/SharedProperties.h"
#include "services/PoCatalog.h"
#include "services/PropertyStore.h"

namespace orva::cli {
namespace {

using testing::RunTool;

TEST(TranslateCommand, PrintsTheTextTheLibraryShowsInTheHostLanguage) {
    auto english = RunTool({"--language", "en", "translate", "  功能发布完毕！ "});
    ASSERT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(english.out, "  Publishing of functions completed. \n");
    EXPECT_EQ(english.err, "");

    auto chinese = RunTool({"translate", "发布"});
    EXPECT_EQ(chinese.out, "发布\n");

    auto all = RunTool({"translate", "--all", "发布列表"});
    EXPECT_EQ(all.out, "CHS\t发布列表\nCHT\t發佈清單\nEN\tPublish List\n");
}

TEST(TranslateCommand, TellsTheTranslatorWhenATextHasNoEntry) {
    auto missing = RunTool({"--language", "EN", "translate", "没有这个键"});
    EXPECT_EQ(missing.status, 0);
    EXPECT_EQ(missing.out, "没有这个键\n");
    EXPECT_NE(missing.err.find("OrvaDesign.EN.po has no translation"), std::string::npos) << missing.err;
}

TEST(TranslateCommand, WarnsOnceAboutAMissingTranslationFolder) {
    setenv("ORVA_TRANSLATIONS_DIR", "/nonexistent/orva-translations", 1);
    components::ForgetCatalogs();
    auto first = RunTool({"--language", "CHT", "translate", "发布"});
    auto second = RunTool({"--language", "CHT", "translate", "发布"});
    unsetenv("ORVA_TRANSLATIONS_DIR");
    components::ForgetCatalogs();
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, "发布\n");
    EXPECT_NE(first.err.find("warning: no translation file OrvaDesign.CHT.po"), std::string::npos)
        << first.err;
    EXPECT_EQ(second.err, "");
}

TEST(FormatCommand, TranslatesThePatternAndFillsInTheValues) {
    auto english =
        RunTool({"--language", "EN", "format", "%1失败(%2)!", "[A] publish to: [B.C.D]", "disk full"});
    ASSERT_EQ(english.status, 0) << english.err;
    EXPECT_EQ(english.out, "[A] publish to: [B.C.D] failed (disk full).\n");
    auto chinese = RunTool({"format", "%1-%2", "基础资料", "维护"});
    EXPECT_EQ(chinese.out, "基础资料-维护\n");
    EXPECT_EQ(RunTool({"format", "%1|%2", "[a,b]", ""}).out, "[a,b]|\n") << "values are taken as written";
    EXPECT_EQ(RunTool({"format", "%1 %2", "x"}).out, "x %2\n");
    EXPECT_EQ(RunTool({"format"}).status, kExitUsage);
}

TEST(HostContext, EveryCommandPublishesLanguageAndPropsString) {
    RunTool({"--props", "DefLanguage=chs;language=cht", "--catalog", "/tmp/a.db", "translate", "x"});
    EXPECT_EQ(hostctx::GetSharedProperty(u"Language"), automation::Variant(u"CHT"));
    EXPECT_EQ(hostctx::GetPropsString(), u"DefLanguage=chs;language=cht;ConnectString=sqlite:/tmp/a.db;");
    RunTool({"--language", "en", "translate", "x"});
    EXPECT_EQ(hostctx::GetSharedProperty(u"Language"), automation::Variant(u"EN"));
    components::SharedPropertyTable::Instance().Withdraw(static_cast<int32_t>(getpid()));
}

}  // namespace
}  // namespace orva::cli
