#pragma once
// Loads the limits plug-in with dlopen exactly as a host does, against a
// station of its own in a temporary directory: plinth.ini, the configuration
// directory and the trace file.
#include <gtest/gtest.h>

#include <string>

#include "count_of.h"
#include "ext_family.h"
#include "platform/dynamic_library.h"
#include "temp_dir.h"

namespace testing_support {

class LimbankPlugin : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Writes plinth.ini for this station ([env] with configDirectory,
    // databaseLine and stationLine). The default database line names a data
    // source that does not exist.
    void WriteEnvironment(const std::string &stationLine = "",
                          const std::string &databaseLine = "station,,,,,user,secret");
    // Opens the plug-in file (default: liblimbank.so, or Limbank.dll, of the
    // build); false on failure.
    bool Load(const std::string &file = STATION_TEST_LIMBANK_FILE);
    void Unload() { library_.Close(); }
    template <typename Fn>
    Fn Entry(const char *name) {
        return reinterpret_cast<Fn>(library_.Symbol(name));
    }
    std::string ConfigDir() const { return station_.File("config"); }
    std::string TraceText() const { return ReadBytes(station_.File("trace.log")); }

    TempDir station_;
    platform::DynamicLibrary library_;
};

}  // namespace testing_support
