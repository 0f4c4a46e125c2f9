// A library opened on demand: its functions are found once it is open, and a library that is missing,
// is no shared object or lacks the function is an error naming it and the package to install.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "automation/AutomationError.h"
#include "automation/OnDemandLibrary.h"
#include "support/TempDir.h"

namespace orva::automation {
namespace {

TEST(OnDemandLibrary, FindsFunctionsOrNamesTheLibraryAndItsPackage) {
    orva::testing::TempDir dir;
    const std::string notElf = (dir / "坏的库.so.1").string();
    std::ofstream(notElf) << "not a shared object";
    struct Case {
        std::string soname;
        const char* symbol;
        std::string says;  // empty: the function is found
    };
    const Case cases[] = {
        {"libc.so.6", "strlen", ""},
        {"liborva-not-installed.so.7", "f", "liborva-not-installed.so.7 could not be loaded ("},
        {notElf, "f", notElf + " could not be loaded ("},
        {"libc.so.6", "orva_no_such_function",
         "libc.so.6 is of another version (it has no orva_no_such_function)"},
    };
    for (const Case& c : cases) {
        OnDemandLibrary library(c.soname, "libexample9", "the example library");
        try {
            auto length = library.Function<size_t (*)(const char*)>(c.symbol);
            EXPECT_TRUE(c.says.empty()) << c.soname << " " << c.symbol << " was found";
            EXPECT_EQ(length("部署"), std::strlen("部署"));
        } catch (const AutomationError& error) {
            EXPECT_EQ(error.Number(), errors::kFileNotFound);
            const std::string description = ToUtf8(error.Description());
            EXPECT_FALSE(c.says.empty()) << description;
            EXPECT_EQ(description.rfind("the example library " + c.says, 0), 0u) << description;
            EXPECT_TRUE(description.ends_with("): install the package libexample9")) << description;
        }
    }
}

}  // namespace
}  // namespace orva::automation
