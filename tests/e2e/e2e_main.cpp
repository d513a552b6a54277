// The end-to-end programs' main: the environments that save and put back
// what the suites change are registered here, whatever tests a program
// holds.
#include <gtest/gtest.h>

#include "e2e/program_driver.h"
#include "e2e/title_values.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(NewSavedBrowserSettings());
    testing::AddGlobalTestEnvironment(NewForegroundUnlocked());
    return RUN_ALL_TESTS();
}
