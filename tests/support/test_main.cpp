// Main of every test program: the modules under test find the build's
// libraries (libplinth.so and its code dictionary) through $STATION_SYSDIR,
// and unixODBC finds the project's drivers and a per-process odbc.ini.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/atomic_file.h"

namespace {

// unixODBC reads ODBCSYSINI and ODBCINI once per process, so both are set
// before any test runs. Data sources the tests add go to a private copy of
// the inherited odbc.ini (where CI's PostgreSQL source is defined), which is
// removed at exit.
class OdbcEnvironment {
  public:
    OdbcEnvironment() {
#if defined(_WIN32)
        // Under Wine, odbc32 hands every call to the machine's unixODBC,
        // which reads ODBCSYSINI and ODBCINI from the environment Wine was
        // started with: scripts/test-windows.sh gives each test program its
        // own odbc.ini there, and this process cannot change them.
        return;
#endif
        ::setenv("ODBCSYSINI", STATION_TEST_DATA_DIR, 1);
        const char *base = std::getenv("TMPDIR");
        std::string tmpl = std::string(base != nullptr && base[0] != '\0' ? base : "/tmp") +
                           "/station-odbc-XXXXXX";
        if (::mkdtemp(tmpl.data()) == nullptr) return;
        dir_ = tmpl;
        std::string copy = dir_ + "/odbc.ini";
        std::string bytes;
        const char *inherited = std::getenv("ODBCINI");
        if (inherited == nullptr || !platform::ReadWholeFile(inherited, bytes)) bytes.clear();
        platform::WriteFileAtomically(copy, bytes);
        ::setenv("ODBCINI", copy.c_str(), 1);
    }
    ~OdbcEnvironment() {
        if (dir_.empty()) return;
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    OdbcEnvironment(const OdbcEnvironment &) = delete;
    OdbcEnvironment &operator=(const OdbcEnvironment &) = delete;

  private:
    std::string dir_;
};

}  // namespace

int main(int argc, char **argv) {
    OdbcEnvironment odbc;
    ::setenv("STATION_SYSDIR", STATION_TEST_LIB_DIR, 0);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
