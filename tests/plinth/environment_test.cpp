// The environment record that GetPlinth fills from section [env].
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "plinth.h"
#include "plinth_copy.h"
#include "temp_dir.h"

namespace {

using plinth_test::PlinthCopy;
using plinth_test::ScopedEnv;
using testing_support::Gbk;
using testing_support::TempDir;

std::string TextAt(const std::vector<char> &env, std::size_t offset) {
    return std::string(env.data() + offset);
}

// Every byte outside [offset, offset + length] of the listed texts is zero.
bool ZeroOutside(const std::vector<char> &env,
                 std::initializer_list<std::pair<std::size_t, std::size_t>> texts) {
    std::vector<bool> used(env.size(), false);
    for (auto [offset, length] : texts) std::fill_n(used.begin() + offset, length, true);
    for (std::size_t i = 0; i < env.size(); ++i)
        if (!used[i] && env[i] != 0) return false;
    return true;
}

TEST(GetPlinth, CopiesEnvValuesAtTheirOffsets) {
    TempDir dir;
    const std::string station = Gbk("检测站") + ",1,2";
    testing_support::WriteBytes(dir.File("env.ini"),
                                "[other]\ndatabaseLine=wrong\n"
                                "[ENV]\r\n"
                                "DatabaseLine = stationdb,,,,,sa,pw\r\n"
                                "configDirectory=/srv/station/config\n"
                                "moduleDirectory=/srv/station/lib\n"
                                "stationLine=" +
                                    station + "\n");
    ScopedEnv env("PLINTH_ENV", dir.File("env.ini"));
    EXPECT_EQ(GetPlinthStrSize(), PLINTH_ENV_SIZE);
    std::vector<char> record(PLINTH_ENV_SIZE, '\x5A');
    ASSERT_EQ(GetPlinth(record.data()), 1);
    EXPECT_EQ(TextAt(record, PLINTH_ENV_DATABASE_LINE), "stationdb,,,,,sa,pw");
    EXPECT_EQ(TextAt(record, PLINTH_ENV_CONFIG_DIRECTORY), "/srv/station/config");
    EXPECT_EQ(TextAt(record, PLINTH_ENV_MODULE_DIRECTORY), "/srv/station/lib");
    EXPECT_EQ(TextAt(record, PLINTH_ENV_STATION_LINE), station) << "bytes are not converted";
    EXPECT_TRUE(ZeroOutside(record, {{PLINTH_ENV_DATABASE_LINE, 19},
                                     {PLINTH_ENV_CONFIG_DIRECTORY, 19},
                                     {PLINTH_ENV_MODULE_DIRECTORY, 16},
                                     {PLINTH_ENV_STATION_LINE, station.size()}}));
}

TEST(GetPlinth, OverLongValuesAreCutToTheirRoom) {
    TempDir dir;
    const std::string wide = std::string(258, 'm') + Gbk("中") + "x";  // char at 258..259
    testing_support::WriteBytes(dir.File("env.ini"),
                                "[env]\ndatabaseLine=" + std::string(1300, 'd') +
                                    "\nconfigDirectory=" + std::string(300, 'c') +
                                    "\nmoduleDirectory=" + wide +
                                    "\nstationLine=" + std::string(1100, 's') + "\n");
    ScopedEnv env("PLINTH_ENV", dir.File("env.ini"));
    std::vector<char> record(PLINTH_ENV_SIZE, '\x5A');
    ASSERT_EQ(GetPlinth(record.data()), 1);
    EXPECT_EQ(TextAt(record, PLINTH_ENV_DATABASE_LINE), std::string(1231, 'd'));
    EXPECT_EQ(TextAt(record, PLINTH_ENV_CONFIG_DIRECTORY), std::string(259, 'c'));
    EXPECT_EQ(TextAt(record, PLINTH_ENV_MODULE_DIRECTORY), std::string(258, 'm'));
    EXPECT_EQ(TextAt(record, PLINTH_ENV_STATION_LINE), std::string(1023, 's'));
    EXPECT_TRUE(ZeroOutside(record, {{PLINTH_ENV_DATABASE_LINE, 1231},
                                     {PLINTH_ENV_CONFIG_DIRECTORY, 259},
                                     {PLINTH_ENV_MODULE_DIRECTORY, 258},
                                     {PLINTH_ENV_STATION_LINE, 1023}}));
}

TEST(GetPlinth, MissingFileGivesZeroedRecord) {
    TempDir dir;
    testing_support::WriteBytes(dir.File("file"), "");
    ScopedEnv env("PLINTH_ENV", dir.File("file/plinth.ini"));  // ENOTDIR
    std::vector<char> record(PLINTH_ENV_SIZE, '\x5A');
    ASSERT_EQ(GetPlinth(record.data()), 1);
    EXPECT_TRUE(ZeroOutside(record, {}));
    EXPECT_EQ(GetPlinth(nullptr), 0);
}

// A FIFO (which blocks a plain open for ever) or a device (which never ends)
// in place of plinth.ini reads as a missing file, at once; the alarm turns a
// regression into a failure instead of a hang.
TEST(GetPlinth, FifoOrDeviceReadsAsMissingWithoutBlocking) {
#if defined(_WIN32)
    GTEST_SKIP() << "Windows has no FIFOs nor /dev/zero: devices and pipes are refused in "
                    "windows_platform_test";
#else
    TempDir dir;
    const std::string fifo = dir.File("fifo.ini");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string zero = dir.File("plinth.ini");
    ASSERT_EQ(::symlink("/dev/zero", zero.c_str()), 0);
    for (const std::string &path : {fifo, zero}) {
        ScopedEnv env("PLINTH_ENV", path);
        std::vector<char> record(PLINTH_ENV_SIZE, '\x5A');
        ::alarm(5);
        const int result = GetPlinth(record.data());
        ::alarm(0);
        EXPECT_EQ(result, 1) << path;
        EXPECT_TRUE(ZeroOutside(record, {})) << path;
    }
#endif
}

// Without $PLINTH_ENV (unset or empty) the library reads plinth.ini beside itself.
TEST(GetPlinth, FallsBackToPlinthIniBesideTheLibrary) {
    PlinthCopy copy(std::nullopt, std::string("[env]\nconfigDirectory=/beside\n"));
    auto getPlinth = copy.Get<int(char *)>("GetPlinth");
    ASSERT_NE(getPlinth, nullptr);
    for (std::optional<std::string> value :
         {std::optional<std::string>(), std::optional<std::string>("")}) {
        ScopedEnv env("PLINTH_ENV", value);
        std::vector<char> record(PLINTH_ENV_SIZE, '\x5A');
        ASSERT_EQ(getPlinth(record.data()), 1);
        EXPECT_EQ(TextAt(record, PLINTH_ENV_CONFIG_DIRECTORY), "/beside");
        EXPECT_TRUE(ZeroOutside(record, {{PLINTH_ENV_CONFIG_DIRECTORY, 7}}));
    }
}

}  // namespace
