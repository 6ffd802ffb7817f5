// libsergen.so loaded with dlopen as a host loads it: the init record and its
// connection handle, the fixed answers, the device-data record, the trace
// lines of its load and unload.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "ext_family.h"
#include "platform/coding.h"
#include "platform/dynamic_library.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

using testing_support::ReadBytes;
using testing_support::TempDir;

std::string PluginPath() {
    return std::string(STATION_TEST_LIB_DIR) + "/libsergen.so";
}

std::vector<char> Record(uint32_t handle) {
    std::vector<char> record(1224, '\x5a');
    for (int i = 0; i < 4; ++i) platform::EncodeFixed32(record.data() + 1152 + 4 * i, 10 * (i + 1));
    platform::EncodeFixed32(record.data() + 1168, handle);
    return record;
}

class SergenPlugin : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(library_.Open(PluginPath())) << library_.LastError(); }
    template <typename Fn>
    Fn Entry(const char *name) {
        auto fn = reinterpret_cast<Fn>(library_.Symbol(name));
        EXPECT_NE(fn, nullptr) << name;
        return fn;
    }
    platform::DynamicLibrary library_;
};

TEST_F(SergenPlugin, InitTakesTheRecordWithAConnectionThatResolves) {
    auto init = Entry<int (*)(void *)>("ExtInit");
    auto devData = Entry<unsigned char *(*)()>("GetDevData");
    EXPECT_EQ(devData()[1], 2);
    EXPECT_EQ(devData()[377], 255);

    EXPECT_EQ(init(nullptr), EXT_NULL_ARGUMENT);
    EXPECT_EQ(devData()[39], 1);
    EXPECT_EQ(init(Record(0).data()), EXT_NO_DATABASE);

    testdb::TestDatabase db("sqlite");
    auto connection = std::make_unique<stationdb::Connection>();
    connection->Open(db.ConnectString());
    const unsigned handle = stationdb_register(connection.get());
    EXPECT_EQ(init(Record(handle).data()), EXT_DONE);
    // A handle the host has given up no longer counts as a connection.
    stationdb_unregister(handle);
    EXPECT_EQ(init(Record(handle).data()), EXT_NO_DATABASE);
    EXPECT_EQ(init(Record(handle + 1000).data()), EXT_NO_DATABASE);
}

TEST_F(SergenPlugin, TheOtherExportsGiveTheirFixedAnswers) {
    char error[1000];
    std::memset(error, 'x', sizeof error);
    Entry<void (*)(char *)>("ExtGetErrorInfo")(error);
    EXPECT_EQ(error[0], '\0');
    Entry<void (*)(char *)>("ExtGetErrorInfo")(nullptr);
    int anything = 0;
    EXPECT_EQ(Entry<int (*)(void *)>("ExtGetStand")(&anything), EXT_DONE);
    EXPECT_EQ(Entry<int (*)(void *)>("ExtInitInfo")(nullptr), EXT_DONE);
    EXPECT_EQ(Entry<int (*)()>("ExtRelease")(), EXT_DONE);
    EXPECT_EQ(Entry<int (*)(void *)>("ExtRun")(nullptr), EXT_NOT_PROVIDED);
    EXPECT_EQ(Entry<int (*)()>("ExtStop")(), EXT_NOT_PROVIDED);
    EXPECT_EQ(Entry<int (*)(int, ExtRect)>("ExtShow")(0, ExtRect{1, 2, 3, 4}), EXT_DONE);
    // Only the family's names leave the library.
    EXPECT_EQ(library_.Symbol("ExtParamSave"), nullptr);
    EXPECT_EQ(library_.Symbol("ExtGetCondition"), nullptr);
}

// The plug-in stays loaded once loaded (it holds Qt), so the load and unload
// lines are checked in a fresh process: this program again, running only
// this test with SERGEN_LIFE_CHILD set.
TEST(SergenModuleLife, TracesLoadAndUnload) {
    if (std::getenv("SERGEN_LIFE_CHILD") != nullptr) {
        platform::DynamicLibrary plugin;
        ::exit(plugin.Open(PluginPath()) ? 0 : 1);
    }
    TempDir dir;
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::setenv("STATION_TRACE", dir.File("trace.log").c_str(), 1);
        ::setenv("SERGEN_LIFE_CHILD", "1", 1);
        ::execl("/proc/self/exe", "generator_tests", "--gtest_filter=SergenModuleLife.*",
                static_cast<char *>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(ReadBytes(dir.File("trace.log")),
              "Sergen.DLL Initializing!\nSergen.DLL Terminating!\n");
}

}  // namespace
