// Shared main of the test programs: registers the library's classes as loading the library does,
// then runs GoogleTest.
#include <gtest/gtest.h>

#include "api/Registration.h"

int main(int argc, char** argv) {
    orva::api::RegisterLibraryClasses();
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
