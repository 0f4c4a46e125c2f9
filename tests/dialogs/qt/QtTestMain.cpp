// Main of the Qt view tests: the library's classes registered as loading the library does, one
// QApplication on the offscreen platform (also when ctest lists the tests without the environment),
// then GoogleTest.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "api/Registration.h"

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    orva::api::RegisterLibraryClasses();
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
