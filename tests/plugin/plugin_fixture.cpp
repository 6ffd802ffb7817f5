#include "plugin_fixture.h"

#include <cstdlib>
#include <filesystem>

namespace testing_support {

void LimbankPlugin::SetUp() {
    std::filesystem::create_directory(ConfigDir());
    ::setenv("PLINTH_ENV", station_.File("plinth.ini").c_str(), 1);
    ::setenv("STATION_TRACE", station_.File("trace.log").c_str(), 1);
    ::setenv("STATION_SYSDIR", STATION_TEST_LIB_DIR, 1);
    WriteEnvironment();
}

void LimbankPlugin::TearDown() {
    Unload();
    ::unsetenv("PLINTH_ENV");
    ::unsetenv("STATION_TRACE");
    ::setenv("STATION_SYSDIR", STATION_TEST_LIB_DIR, 1);
}

void LimbankPlugin::WriteEnvironment(const std::string &stationLine,
                                     const std::string &databaseLine) {
    WriteBytes(station_.File("plinth.ini"), "[env]\nconfigDirectory=" + ConfigDir() +
                                                "\ndatabaseLine=" + databaseLine +
                                                "\nstationLine=" + stationLine + "\n");
}

bool LimbankPlugin::Load(const std::string &file) {
    return library_.Open(std::string(STATION_TEST_LIB_DIR) + "/" + file);
}

}  // namespace testing_support
