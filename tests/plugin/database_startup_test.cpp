// Limbank and the station database, as a host sees it: start-up without a
// standard file loads the database and writes the file and the stamp;
// ExtParamSave reloads when the database's stamp changed.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "engine/condition_rules.h"
#include "engine/vehicle_profile.h"
#include "gbk_texts.h"
#include "platform/ini_file.h"
#include "plinth.h"
#include "plugin_fixture.h"
#include "store/standard_table.h"
#include "test_database.h"

namespace {

using testing_support::CountOf;
using testing_support::FileExists;
using testing_support::LimbankPlugin;

class LimbankDatabase : public LimbankPlugin {
  protected:
    void SetUp() override {
        LimbankPlugin::SetUp();
        db_ = std::make_unique<testdb::TestDatabase>("sqlite");
        WriteEnvironment("", db_->Dsn() + ",,,,," + db_->User() + "," + db_->Password());
        // The condition that the module's load-time vehicle gets for item 201.
        engine::VehicleProfile atLoad;
        char condition[engine::kConditionBytes];
        ASSERT_EQ(engine::BuildCondition(atLoad, 201, condition, 0), 1);
        condition201_ = condition;
        db_->Exec("insert into tb_status_memstd (DBModifyTime) values ('100')");
        db_->Exec("insert into tb_login_lineindex (devid, itemid) values (1, 201)");
        AddLimit(condition201_, 20101, "0", "60");
    }

    void AddLimit(const std::string &condition, int paramid, const char *h, const char *l,
                  int itemid = 201) {
        db_->Exec(
            "insert into tb_id_standard (itemid, condition, paramid, hvalue, lvalue) "
            "values (" +
                std::to_string(itemid) + ", ?, " + std::to_string(paramid) + ", ?, ?)",
            {condition, h, l});
    }
    // The condition that the module's load-time vehicle gets for an item.
    static std::string ConditionAtLoad(int itemid) {
        engine::VehicleProfile atLoad;
        char condition[engine::kConditionBytes];
        EXPECT_EQ(engine::BuildCondition(atLoad, itemid, condition, 0), 1);
        return condition;
    }
    void WritePlinthIni(const std::string &configLine) {
        testing_support::WriteBytes(station_.File("plinth.ini"),
                                    "[env]\n" + configLine + "databaseLine=" + db_->Dsn() +
                                        ",,,,," + db_->User() + "," + db_->Password() + "\n");
    }
    std::string StandardFile() const { return ConfigDir() + "/StandarFile.sfd"; }
    std::string StampFile() const { return ConfigDir() + "/memstd.ini"; }
    int RecordsInFile() const {
        store::StandardTable table;
        return table.LoadFromFile(StandardFile()) == 1 ? static_cast<int>(table.RecordCount()) : -1;
    }
    int ItemsWritten() {
        std::vector<unsigned char> buffer(PLINTH_BUFFER_BYTES);
        return Entry<int (*)(void *)>("ExtGetStand")(buffer.data());
    }

    std::unique_ptr<testdb::TestDatabase> db_;
    std::string condition201_;
};

TEST_F(LimbankDatabase, StartsFromTheDatabaseWhenThereIsNoStandardFile) {
    ASSERT_TRUE(Load()) << library_.LastError();
    EXPECT_EQ(RecordsInFile(), 1);
    EXPECT_EQ(platform::GetProfileInt(StampFile(), "CREATETIME", "TIME", 0), 100);
    // Every item of the loaded table is selected without any ExtInitItem.
    EXPECT_EQ(ItemsWritten(), 1);
    Unload();

    // The next start reads the file and does not open the database at all.
    db_->Exec("drop table tb_login_lineindex");
    ASSERT_TRUE(Load()) << library_.LastError();
    EXPECT_EQ(ItemsWritten(), 1);
    const std::string trace = TraceText();
    EXPECT_EQ(CountOf(trace, texts::kDbDevicesHeading), 1) << trace;
}

TEST_F(LimbankDatabase, ParamSaveReloadsOnlyWhenTheStampChanged) {
    ASSERT_TRUE(Load()) << library_.LastError();
    auto paramSave = Entry<int (*)(void *)>("ExtParamSave");
    ASSERT_NE(paramSave, nullptr);

    AddLimit(condition201_, 20102, "5", "0");
    EXPECT_EQ(paramSave(nullptr), -1000);
    EXPECT_EQ(RecordsInFile(), 1);
    EXPECT_EQ(CountOf(TraceText(), texts::kDbNotUpdated), 1);

    db_->Exec("update tb_status_memstd set DBModifyTime = '101'");
    EXPECT_EQ(paramSave(nullptr), -1000);
    EXPECT_EQ(RecordsInFile(), 2);
    EXPECT_EQ(platform::GetProfileInt(StampFile(), "CREATETIME", "TIME", 0), 101);
}

TEST_F(LimbankDatabase, UnreachableDatabaseLeavesTheTableServing) {
    ASSERT_TRUE(Load()) << library_.LastError();
    db_->Exec("update tb_status_memstd set DBModifyTime = '102'");
    db_->Exec("drop table tb_id_standard");
    auto paramSave = Entry<int (*)(void *)>("ExtParamSave");
    EXPECT_EQ(paramSave(nullptr), -1000);
    EXPECT_EQ(ItemsWritten(), 1);
    EXPECT_EQ(platform::GetProfileInt(StampFile(), "CREATETIME", "TIME", 0), 100);
}

TEST_F(LimbankDatabase, TableReadButNotWrittenStillServesEveryItem) {
    // The configuration directory lies under a regular file: the standard
    // file cannot be written (-8), but the table that was read serves.
    testing_support::WriteBytes(station_.File("blocker"), "a file");
    testing_support::WriteBytes(station_.File("plinth.ini"),
                                "[env]\nconfigDirectory=" + station_.File("blocker/config") +
                                    "\ndatabaseLine=" + db_->Dsn() + ",,,,,,\n");
    ASSERT_TRUE(Load()) << library_.LastError();
    EXPECT_EQ(ItemsWritten(), 1);
}

TEST_F(LimbankDatabase, NoStandardFileAndNoDatabaseStartsEmpty) {
    WriteEnvironment("", "no_such_source,,,,,,");
    ASSERT_TRUE(Load()) << library_.LastError();
    EXPECT_EQ(ItemsWritten(), 0);
    EXPECT_FALSE(FileExists(StandardFile()));
    EXPECT_FALSE(FileExists(StampFile()));
}

TEST_F(LimbankDatabase, NoUsableConfigDirectoryReadsAndWritesNoFile) {
    // Missing, empty, and too long for its field (the environment record
    // would hold a cut path naming another directory).
    const std::string cut = ConfigDir() + "/" + std::string(120, 'a') + "/" + std::string(120, 'b');
    std::filesystem::create_directories(cut.substr(0, 259));
    struct Case {
        std::string line;
        const char *trace;
    } cases[] = {{"", texts::kNoConfigDirectoryTrace},
                 {"configDirectory=\n", texts::kNoConfigDirectoryTrace},
                 {"configDirectory=" + cut + "cc\n", "fills its 259-byte field"}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        WritePlinthIni(c.line);
        std::filesystem::remove(station_.File("trace.log"));
        ASSERT_TRUE(Load()) << library_.LastError();
        EXPECT_EQ(ItemsWritten(), 1);  // the database serves
        const std::string trace = TraceText();
        EXPECT_NE(trace.find(c.trace), std::string::npos) << trace;
        EXPECT_EQ(
            CountOf(trace, texts::kNoConfigDirectory) + CountOf(trace, texts::kConfigDirectoryCut),
            1);
        // A reload reads the database again and still writes nothing.
        db_->Exec("update tb_status_memstd set DBModifyTime = '101'");
        EXPECT_EQ(Entry<int (*)(void *)>("ExtParamSave")(nullptr), -1000);
        Unload();
        EXPECT_EQ(CountOf(TraceText(), texts::kDbDevicesHeading), 2);
        db_->Exec("update tb_status_memstd set DBModifyTime = '100'");
        EXPECT_FALSE(FileExists(StandardFile()));
        EXPECT_FALSE(FileExists(cut.substr(0, 259) + "/StandarFile.sfd"));
        EXPECT_FALSE(FileExists(cut.substr(0, 259) + "/memstd.ini"));
    }
}

TEST_F(LimbankDatabase, StartUpPassEndedByALaterStageSelectsTheLineItems) {
    // The line names items 200 and 231 but the limits are missing (-3) or
    // empty (-5); once they are added, a reload serves both without any
    // ExtInitItem.
    for (const bool missing : {true, false}) {
        SCOPED_TRACE(missing ? "no limit table" : "empty limit table");
        db_->Exec("delete from tb_login_lineindex");
        db_->Exec("delete from tb_id_standard");
        db_->Exec("update tb_status_memstd set DBModifyTime = '100'");
        db_->Exec("insert into tb_login_lineindex (devid, itemid) values (1, 200)");
        db_->Exec("insert into tb_login_lineindex (devid, itemid) values (2, 231)");
        std::filesystem::remove(StandardFile());
        std::filesystem::remove(StampFile());
        if (missing) db_->Exec("alter table tb_id_standard rename to tb_id_standard_away");
        ASSERT_TRUE(Load()) << library_.LastError();
        EXPECT_EQ(ItemsWritten(), 0);
        if (missing) db_->Exec("alter table tb_id_standard_away rename to tb_id_standard");
        AddLimit(ConditionAtLoad(200), 20001, "0", "60", 200);
        AddLimit(ConditionAtLoad(231), 23101, "5", "0", 231);
        db_->Exec("update tb_status_memstd set DBModifyTime = '101'");
        EXPECT_EQ(Entry<int (*)(void *)>("ExtParamSave")(nullptr), -1000);
        EXPECT_EQ(RecordsInFile(), 2);
        EXPECT_EQ(ItemsWritten(), 2);
        Unload();
    }
}

}  // namespace
