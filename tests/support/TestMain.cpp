// Shared main of the test programs: registers the library's classes as loading the library does,
// then runs GoogleTest.
#include <gtest/gtest.h>

#include "api/Registration.h"

// Read by LeakSanitizer in the sanitizer builds only. The views library keeps its QApplication for
// the life of the process (Qt cannot be started twice), so the font database Qt builds through
// fontconfig is never freed, and tests that render a dialog would report it at exit.
extern "C" const char* __lsan_default_suppressions() { return "leak:libfontconfig.so\n"; }

int main(int argc, char** argv) {
    orva::api::RegisterLibraryClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
