// What a running line gets from the station's writes: every write of the
// limits moves the database's stamp, reload then serves the new limits, and
// a pass that finds nothing to serve keeps the old table and says why.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/ini_file.h"
#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

using stdhost_test::kDataDir;
using stdhost_test::kSedan;
using stdhost_test::Outcome;
using stdhost_test::RunStdhost;
using testing_support::ReadBytes;
using testing_support::TempDir;

namespace {

class Reload : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(RunStdhost("init-station " + Dir()).exitCode, 0);
        // The first judge loads the database and writes the standard file.
        ASSERT_EQ(Stdhost("judge --vehicle " + kSedan).exitCode, 0);
    }
    std::string Dir() const { return root_.File("station"); }
    std::string File(const std::string &name) const { return Dir() + "/" + name; }
    Outcome Stdhost(const std::string &args) {
        return RunStdhost("--station " + Dir() + " " + args);
    }
    stationdb::Connection &Db() {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        if (!db_.IsOpen()) db_.Open("Driver=SQLite3;Database=" + File("station.db") + ";");
        return db_;
    }
    std::string DbStamp() {
        stationdb::Statement st(Db(), "select DBModifyTime from tb_status_memstd");
        st.Execute();
        return st.Fetch() ? st.Utf8(1) : "";
    }
    static bool Has(const Outcome &run, const std::string &text) {
        return run.out.find(text) != std::string::npos;
    }

    TempDir root_;
    stationdb::Connection db_;
};

TEST_F(Reload, AGeneratedSeriesReachesTheLineAtItsNextReload) {
    const std::string before = DbStamp();
    Outcome generated = Stdhost("series generate 大众 捷达 --set 2161=1.5,0");
    ASSERT_EQ(generated.exitCode, 0) << generated.out;
    EXPECT_NE(DbStamp(), before);
    Outcome reload = Stdhost("reload");
    EXPECT_EQ(reload.exitCode, 0) << reload.out;
    EXPECT_TRUE(Has(reload, "reloaded:")) << reload.out;
    EXPECT_FALSE(Has(reload, "nothing reloaded")) << reload.out;
    EXPECT_EQ(platform::GetProfileString(File("config/memstd.ini"), "CREATETIME", "STAMPTEXT", ""),
              DbStamp());
}

// Clearing moves the stamp too; the pass then finds no standards, and the
// line keeps judging with the table and file it had.
TEST_F(Reload, AClearedTableIsNotServedAndReloadSaysWhy) {
    const std::string file = ReadBytes(File("config/StandarFile.sfd"));
    const std::string before = DbStamp();
    ASSERT_EQ(Stdhost("clear-standards --yes").exitCode, 0);
    EXPECT_NE(DbStamp(), before);
    Outcome reload = Stdhost("reload");
    EXPECT_EQ(reload.exitCode, 9) << reload.out;
    EXPECT_TRUE(Has(reload, "holds no standards")) << reload.out;
    EXPECT_FALSE(Has(reload, "locked or busy")) << reload.out;
    EXPECT_EQ(ReadBytes(File("config/StandarFile.sfd")), file);
    Outcome judged = Stdhost("judge --vehicle " + kSedan);
    EXPECT_EQ(judged.exitCode, 0) << judged.out;
}

// A memstd.ini that cannot be written makes every pass read the database.
TEST_F(Reload, AStampThatCannotBeRecordedIsSaid) {
    std::filesystem::remove(File("config/memstd.ini"));
    std::filesystem::create_directory(File("config/memstd.ini"));
    ASSERT_EQ(Stdhost("mark-changed 90").exitCode, 0);
    Outcome reload = Stdhost("reload");
    EXPECT_EQ(reload.exitCode, 10) << reload.out;
    EXPECT_TRUE(Has(reload, "memstd.ini (not a regular file): every reload will read the database"))
        << reload.out;
}

TEST_F(Reload, AMissingStampTableIsADatabaseFaultNotAnUnreachableDatabase) {
    Db().Execute("drop table tb_status_memstd");
    Outcome reload = Stdhost("reload");
    EXPECT_EQ(reload.exitCode, 9) << reload.out;
    EXPECT_TRUE(Has(reload, "cannot read tb_status_memstd")) << reload.out;
    EXPECT_TRUE(Has(reload, "tb_status_memstd")) << reload.out;
    EXPECT_FALSE(Has(reload, "cannot reach")) << reload.out;
}

}  // namespace
