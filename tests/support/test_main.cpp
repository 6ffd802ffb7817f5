// Main of every test program: the modules under test find the build's
// libraries (libplinth.so and its code dictionary) through $STATION_SYSDIR.
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv) {
    ::setenv("STATION_SYSDIR", STATION_TEST_LIB_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
