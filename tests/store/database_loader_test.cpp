// The database pass against real databases: SQLite always, PostgreSQL when
// $STATION_TEST_PG names a data source. Every body runs on each.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "count_of.h"
#include "gbk_texts.h"
#include "platform/ini_file.h"
#include "platform/trace.h"
#include "store/database_loader.h"
#include "store/standard_table.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

using testing_support::CountOf;
using testing_support::FileExists;
using testing_support::Gbk;
using testing_support::ReadBytes;
using testing_support::TempDir;
using testing_support::WriteBytes;

class DatabaseLoader : public ::testing::TestWithParam<std::string> {
  protected:
    void SetUp() override {
        db_ = std::make_unique<testdb::TestDatabase>(GetParam());
        database_.SetConnectString(db_->ConnectString());
        files_ = store::FilesIn(config_.Path());
        platform::SetTraceHook([this](std::string_view line) { trace_ += line; });
        platform::SetNoticeHook([this](std::string_view line) { notices_.emplace_back(line); });
    }
    void TearDown() override {
        platform::SetTraceHook(nullptr);
        platform::SetNoticeHook(nullptr);
        database_.CloseDatabase();
    }

    void Line(int devid, int itemid) {
        db_->Exec("insert into tb_login_lineindex (devid, itemid) values (" +
                  std::to_string(devid) + ", " + std::to_string(itemid) + ")");
    }
    // A limit row; texts are GBK.
    void Limit(int itemid, const std::string &condition, int paramid, const std::string &hvalue,
               const std::string &lvalue) {
        db_->Exec(
            "insert into tb_id_standard (type, itemid, itemname, condition, paramid, "
            "paramname, hvalue, lvalue, stdorder) values ('dev', " +
                std::to_string(itemid) + ", 'item', ?, " + std::to_string(paramid) +
                ", 'param', ?, ?, 0)",
            {condition, hvalue, lvalue});
    }
    void Stamp(const std::string &text) {
        db_->Exec("delete from tb_status_memstd");
        db_->Exec("insert into tb_status_memstd (DBModifyTime) values (?)", {text});
    }
    // A small line: the brake tester with two items, the headlamp tester with one.
    void SmallLine() {
        Stamp("20261208");
        Line(1, 201);
        Line(1, 202);
        Line(2, 212);
        Limit(201, Gbk("液压/乘用车"), 20101, "0", "60");
        Limit(201, Gbk("液压/乘用车"), 20102, "20.00", "0");
        Limit(202, "A", 20201, "5", "1");
        Limit(212, Gbk("二灯制"), 21101, "0", "15000");
    }

    int Load(int force, store::ReadPath path = store::ReadPath::kStaged) {
        return store::LoadFromDatabase(database_, table_, files_, force, path);
    }
    const store::StdCondition *Find(int item, const std::string &condition) {
        return table_.ScanStandard(item, condition);
    }
    int StampInFile() {
        return platform::GetProfileInt(files_.stampFile, "CREATETIME", "TIME", -99);
    }

    std::unique_ptr<testdb::TestDatabase> db_;
    TempDir config_;
    store::LoaderFiles files_;
    store::StationDatabase database_;
    store::StandardTable table_;
    std::string trace_;
    std::vector<std::string> notices_;
};

// --- A full pass and the freshness test ---------------------------------------

TEST_P(DatabaseLoader, LoadsTheLineWritesTheFileAndThenTheStamp) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    ASSERT_EQ(table_.Devices().size(), 2u);
    EXPECT_EQ(table_.Devices()[0].devid, 1);
    EXPECT_EQ(table_.Devices()[0].items.size(), 2u);
    const store::StdCondition *brake = Find(201, Gbk("液压/乘用车"));
    ASSERT_NE(brake, nullptr);
    ASSERT_EQ(brake->params.size(), 2u);
    EXPECT_EQ(brake->params[0].paramid, 20101);
    EXPECT_FLOAT_EQ(brake->params[0].lvalue, 60.0f);
    EXPECT_FLOAT_EQ(brake->params[1].hvalue, 20.0f);
    EXPECT_EQ(table_.RecordCount(), 4u);
    EXPECT_EQ(StampInFile(), 20261208);
    EXPECT_FALSE(database_.IsOpen());

    store::StandardTable fromFile;
    ASSERT_EQ(fromFile.LoadFromFile(files_.standardFile), 1);
    EXPECT_EQ(fromFile.RecordCount(), 4u);
    EXPECT_NE(trace_.find(texts::kDbDevicesHeading), std::string::npos);
    EXPECT_NE(trace_.find(texts::kDbOrganizing), std::string::npos);
    EXPECT_TRUE(notices_.empty());
}

TEST_P(DatabaseLoader, UnchangedStampSkipsThePass) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    std::remove(files_.standardFile.c_str());
    trace_.clear();
    EXPECT_EQ(Load(0), 2);
    EXPECT_NE(trace_.find(texts::kDbNotUpdated), std::string::npos);
    EXPECT_EQ(trace_.find(texts::kDbDevicesHeading), std::string::npos);
    EXPECT_FALSE(FileExists(files_.standardFile));
    EXPECT_EQ(table_.RecordCount(), 4u);

    Stamp("20261209");
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(StampInFile(), 20261209);
}

TEST_P(DatabaseLoader, EmptyStampTableNeedsForce) {
    Line(1, 201);
    Limit(201, "A", 1, "1", "0");
    EXPECT_EQ(Load(0), 2);
    EXPECT_EQ(table_.RecordCount(), 0u);
    EXPECT_FALSE(FileExists(files_.stampFile));

    EXPECT_EQ(Load(1), 1);
    EXPECT_EQ(StampInFile(), 0);
    // A recorded stamp of 0 never counts as current.
    Stamp("0");
    EXPECT_EQ(Load(0), 1);
}

TEST_P(DatabaseLoader, MissingOrZeroRecordedStampReloads) {
    SmallLine();
    EXPECT_EQ(Load(0), 1);
    ASSERT_TRUE(platform::WriteProfileString(files_.stampFile, "CREATETIME", "TIME", "0"));
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(Load(0), 2);
    Stamp("not a number");
    EXPECT_EQ(Load(0), 1);  // the database's stamp reads as 0
    EXPECT_EQ(StampInFile(), 0);
}

TEST_P(DatabaseLoader, NoConnectionTouchesNothing) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    database_.SetConnectString("DSN=no_such_station_source;UID=;PWD=;");
    Stamp("1");
    EXPECT_EQ(Load(1), 0);
    EXPECT_EQ(table_.RecordCount(), 4u);
    EXPECT_EQ(StampInFile(), 20261208);
    EXPECT_TRUE(notices_.empty());
}

// --- What the stages keep and drop ----------------------------------------------

TEST_P(DatabaseLoader, SkipsDevicesSixAndFortyFourAndNonPositiveIds) {
    Stamp("7");
    for (int devid : {6, 44, 0, -3, 3}) Line(devid, 201);
    Limit(201, "A", 1, "1", "0");
    ASSERT_EQ(Load(1), 1);
    ASSERT_EQ(table_.Devices().size(), 1u);
    EXPECT_EQ(table_.Devices()[0].devid, 3);
    EXPECT_EQ(trace_.find("-3\n"), std::string::npos);
}

TEST_P(DatabaseLoader, DeviceIdsStoredAsTextFindTheirItems) {
    // A station database of another make: ids in text columns, which sort
    // as texts ("10" before "2"). SQLite compares them with the numbers of
    // the statements; PostgreSQL would refuse the comparison.
    if (GetParam() != "sqlite") GTEST_SKIP() << "text ids compare with numbers only in SQLite";
    db_->Exec("drop table tb_login_lineindex");
    db_->Exec("create table tb_login_lineindex (devid varchar(10), itemid varchar(10))");
    for (const char *row : {"('2', '201')", "('10', '202')", "('3', '201')", "('10', '201')"})
        db_->Exec(std::string("insert into tb_login_lineindex (devid, itemid) values ") + row);
    Stamp("7");
    Limit(201, "A", 1, "1", "0");
    Limit(202, "B", 1, "1", "0");
    ASSERT_EQ(Load(1), 1);
    ASSERT_EQ(table_.Devices().size(), 3u);
    for (const store::StdDevice &device : table_.Devices()) {
        SCOPED_TRACE(device.devid);
        ASSERT_FALSE(device.items.empty());
        EXPECT_EQ(device.items.size(), device.devid == 10 ? 2u : 1u);
    }
}

TEST_P(DatabaseLoader, DropsWhatExceedsEachCapacity) {
    Stamp("7");
    for (int devid = 1; devid <= 22; ++devid) Line(devid == 6 ? 60 : devid, 201);
    for (int itemid = 300; itemid < 332; ++itemid) Line(1, itemid);
    Line(2, 300);
    for (int c = 0; c < 503; ++c) Limit(300, "C" + std::to_string(1000 + c), 1, "1", "0");
    for (int p = 1; p <= 52; ++p) Limit(201, "A", p, "1", "0");
    for (const store::ReadPath path : {store::ReadPath::kStaged, store::ReadPath::kPerCondition}) {
        trace_.clear();
        ASSERT_EQ(Load(1, path), 1);
        EXPECT_EQ(table_.Devices().size(), 20u);
        EXPECT_EQ(CountOf(trace_, texts::kDbTooManyDevices), 2);
        EXPECT_EQ(table_.Devices()[0].items.size(), 30u);
        EXPECT_EQ(CountOf(trace_, texts::kDbTooManyItems), 3);
        const auto &item300 = table_.Devices()[0].items[1];
        ASSERT_EQ(item300.itemid, 300);
        EXPECT_EQ(item300.conditions.size(), 500u);
        EXPECT_EQ(item300.conditions.back().condition, "C1499");
        // Once per device-item, in order: item 300 is performed by devices 1 and 2.
        const std::string dropped = Gbk("超3 500\r\n超3 501\r\n超3 502\r\n");
        EXPECT_EQ(CountOf(trace_, dropped + dropped), 1) << static_cast<int>(path);
        ASSERT_NE(Find(201, "A"), nullptr);
        EXPECT_EQ(Find(201, "A")->params.size(), 50u);
        EXPECT_GE(CountOf(trace_, texts::kDbTooManyParams), 2);
    }
}

TEST_P(DatabaseLoader, ConditionKeyIsTheTextWithoutSurroundingBlanks) {
    Stamp("7");
    Line(1, 201);
    Limit(201, "  A  ", 1, "1", "0");
    Limit(201, "A", 2, "2", "0");
    Limit(201, "A ", 3, "3", "0");
    Limit(201, "a", 4, "4", "0");
    Limit(201, "   ", 5, "5", "0");
    Limit(201, "", 6, "6", "0");
    ASSERT_EQ(Load(1), 1);
    const auto &conditions = table_.Devices()[0].items[0].conditions;
    ASSERT_EQ(conditions.size(), 2u);  // "A" and "a"; blank texts are dropped
    EXPECT_EQ(conditions[0].condition, "A");
    EXPECT_EQ(conditions[0].params.size(), 3u);
    EXPECT_EQ(conditions[1].condition, "a");
    EXPECT_EQ(conditions[1].params.size(), 1u);
}

// The conditions come from every row of an item, interleaved or not, also
// from rows whose paramid makes no limit.
TEST_P(DatabaseLoader, ConditionWithoutAValidLimitIsStillACondition) {
    Stamp("7");
    Line(1, 201);
    Limit(201, "A", 1, "1", "0");
    Limit(201, "Z", 0, "9", "9");
    Limit(201, "A", 2, "2", "0");
    Limit(201, " Z", -4, "9", "9");
    Limit(201, "B", 3, "3", "0");
    Limit(201, "A", 4, "4", "0");
    for (const store::ReadPath path : {store::ReadPath::kStaged, store::ReadPath::kPerCondition}) {
        SCOPED_TRACE(static_cast<int>(path));
        ASSERT_EQ(Load(1, path), 1);
        const auto &conditions = table_.Devices()[0].items[0].conditions;
        ASSERT_EQ(conditions.size(), 3u);
        EXPECT_EQ(conditions[2].condition, "Z");
        EXPECT_TRUE(conditions[2].params.empty());
        EXPECT_EQ(conditions[0].params.size(), 3u);
        EXPECT_EQ(conditions[1].params.size(), 1u);
        EXPECT_EQ(table_.RecordCount(), 4u);
    }
}

TEST_P(DatabaseLoader, ApostropheInAConditionLoadsLikeAnyOther) {
    Stamp("7");
    Line(1, 201);
    Limit(201, "O'Brien's", 1, "1", "0");
    Limit(201, "x' or '1'='1", 2, "2", "0");
    ASSERT_EQ(Load(1), 1);
    ASSERT_NE(Find(201, "O'Brien's"), nullptr);
    EXPECT_EQ(Find(201, "O'Brien's")->params.size(), 1u);
    ASSERT_NE(Find(201, "x' or '1'='1"), nullptr);
    EXPECT_EQ(Find(201, "x' or '1'='1")->params[0].paramid, 2);
    EXPECT_TRUE(notices_.empty());
}

TEST_P(DatabaseLoader, LimitTextsConvertLikeTheLineSoftwareDid) {
    Stamp("7");
    Line(1, 201);
    Limit(201, "A", 1, "12.50", "");
    Limit(201, "A", 2, " 3.25 ", "abc");
    Limit(201, "A", 3, "7kg", "-1.5");
    Limit(201, "A", 2, "9", "9");  // a duplicate parameter row is kept as well
    Limit(201, "A", 4, "+2", "1e2");
    Limit(201, "A", 5, "0x10", "-0x8");
    Limit(201, "A", 6, ".5", "1e999");
    Limit(201, "A", 7, "1e39", "-1e39");  // beyond float, within double
    Limit(201, "A", 8, "+-5", "-+5");     // strtod takes one sign only
    ASSERT_EQ(Load(1), 1);
    const store::StdCondition *a = Find(201, "A");
    ASSERT_NE(a, nullptr);
    ASSERT_EQ(a->params.size(), 9u);
    EXPECT_EQ(a->params[8].hvalue, 0.0f);
    EXPECT_EQ(a->params[8].lvalue, 0.0f);
    EXPECT_TRUE(std::isinf(a->params[7].hvalue) && a->params[7].hvalue > 0);
    EXPECT_TRUE(std::isinf(a->params[7].lvalue) && a->params[7].lvalue < 0);
    EXPECT_FLOAT_EQ(a->params[4].hvalue, 2.0f);
    EXPECT_FLOAT_EQ(a->params[4].lvalue, 100.0f);
    EXPECT_FLOAT_EQ(a->params[5].hvalue, 16.0f);  // as strtod reads it
    EXPECT_FLOAT_EQ(a->params[5].lvalue, -8.0f);
    EXPECT_FLOAT_EQ(a->params[6].hvalue, 0.5f);
    EXPECT_TRUE(std::isinf(a->params[6].lvalue));
    EXPECT_FLOAT_EQ(a->params[0].hvalue, 12.5f);
    EXPECT_FLOAT_EQ(a->params[0].lvalue, 0.0f);
    EXPECT_EQ(a->params[1].paramid, 2);
    EXPECT_EQ(a->params[2].paramid, 2);
    EXPECT_FLOAT_EQ(a->params[1].hvalue, 3.25f);
    EXPECT_FLOAT_EQ(a->params[3].hvalue, 7.0f);
    EXPECT_FLOAT_EQ(a->params[3].lvalue, -1.5f);
    EXPECT_EQ(table_.RecordCount(), 9u);  // the file holds both rows of parameter 2
}

TEST_P(DatabaseLoader, ConditionWithNoGbkFormIsDroppedAlone) {
    Stamp("7");
    Line(1, 201);
    // The row goes in as UTF-8: Thai has no GBK form.
    stationdb::Statement st(db_->Admin(),
                            "insert into tb_id_standard (itemid, condition, paramid, hvalue, "
                            "lvalue) values (201, ?, 1, '1', '0')");
    st.BindUtf8(1, "\xe0\xb8\x81 Thai");
    st.Execute();
    Limit(201, "B", 2, "2", "0");
    ASSERT_EQ(Load(1), 1);
    ASSERT_EQ(table_.Devices()[0].items[0].conditions.size(), 1u);
    EXPECT_NE(Find(201, "B"), nullptr);
    EXPECT_NE(trace_.find("no GBK form"), std::string::npos);
}

TEST_P(DatabaseLoader, PresentItemsKeepTheirFlagsAndGainNewOnes) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    EXPECT_EQ(table_.PresentItems().IsItemSelected(212), 1);
    db_->Exec("delete from tb_login_lineindex where devid = 2");
    Line(1, 205);
    Stamp("8");
    ASSERT_EQ(Load(0), 1);
    EXPECT_EQ(table_.Devices().size(), 1u);
    EXPECT_EQ(table_.PresentItems().IsItemSelected(212), 1);
    EXPECT_EQ(table_.PresentItems().IsItemSelected(205), 1);
}

// --- Failures ------------------------------------------------------------------

struct StageFault {
    const char *name;
    const char *sabotage;  // statements run before the pass
    int result;
};

TEST_P(DatabaseLoader, DatabaseErrorsEndThePassAndKeepTheServedTable) {
    const StageFault faults[] = {
        {"no line index", "drop table tb_login_lineindex", -1},
        {"no stamp table", "drop table tb_status_memstd", -1},
        {"line index without items",
         "drop table tb_login_lineindex;create table tb_login_lineindex (devid integer);insert "
         "into tb_login_lineindex (devid) values (1)",
         -2},
        {"no standards", "drop table tb_id_standard", -3},
        {"standards without limits",
         "drop table tb_id_standard;create table tb_id_standard (itemid integer, condition "
         "varchar(150), paramid integer)",
         -4},
    };
    for (const StageFault &fault : faults) {
        SCOPED_TRACE(fault.name);
        db_ = std::make_unique<testdb::TestDatabase>(GetParam());
        database_.CloseDatabase();
        database_.SetConnectString(db_->ConnectString());
        SmallLine();
        ASSERT_EQ(Load(1), 1);
        const std::string file = ReadBytes(files_.standardFile);
        std::string sql = fault.sabotage;
        for (std::size_t start = 0; start < sql.size();) {
            std::size_t end = sql.find(';', start);
            if (end == std::string::npos) end = sql.size();
            db_->Exec(sql.substr(start, end - start));
            start = end + 1;
        }
        notices_.clear();
        EXPECT_EQ(Load(1), fault.result);
        ASSERT_EQ(notices_.size(), 1u);
        EXPECT_LE(notices_[0].size(), 500u);
        EXPECT_EQ(table_.RecordCount(), 4u);  // the previous table still serves
        EXPECT_EQ(ReadBytes(files_.standardFile), file);
        EXPECT_EQ(StampInFile(), 20261208);
    }
}

// A limit read that fails where the conditions alone would not ends the
// pass at the limits, after the condition stage's own trace lines.
TEST_P(DatabaseLoader, FailingLimitReadEndsAfterTheConditionTraces) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    db_->Exec("drop table tb_id_standard");
    db_->Exec("create table tb_id_standard (itemid integer, condition varchar(150))");
    for (int c = 0; c < 501; ++c)
        db_->Exec("insert into tb_id_standard (itemid, condition) values (201, 'C" +
                  std::to_string(1000 + c) + "')");
    trace_.clear();
    notices_.clear();
    EXPECT_EQ(Load(1), -4);
    ASSERT_EQ(notices_.size(), 1u);
    // The limit read's own message, not the condition statement's.
    EXPECT_NE(notices_[0].find("paramid"), std::string::npos) << notices_[0];
    const std::size_t heading = trace_.find(texts::kDbConditionsHeading);
    const std::size_t dropped = trace_.find(Gbk("超3 500\r\n"));
    EXPECT_TRUE(heading != std::string::npos && heading < dropped && dropped != std::string::npos)
        << trace_;
    EXPECT_EQ(CountOf(trace_, texts::kDbConditionsHeading), 1);
    EXPECT_EQ(table_.RecordCount(), 4u);
}

TEST_P(DatabaseLoader, UnknownLineItemIsTracedInTheItemSectionOnce) {
    char noSuchItem[64];
    std::snprintf(noSuchItem, sizeof noSuchItem, texts::kNoSuchItem, 999);
    const std::string expected = std::string("999\n") + noSuchItem;
    for (const store::ReadPath path : {store::ReadPath::kStaged, store::ReadPath::kPerCondition}) {
        SCOPED_TRACE(static_cast<int>(path));
        db_ = std::make_unique<testdb::TestDatabase>(GetParam());
        database_.SetConnectString(db_->ConnectString());
        SmallLine();
        Line(1, 999);
        for (const int result : {1, -3}) {
            SCOPED_TRACE(result);
            trace_.clear();
            ASSERT_EQ(Load(1, path), result);
            const std::size_t items = trace_.find(texts::kDbItemsHeading);
            const std::size_t conditions = trace_.find(texts::kDbConditionsHeading);
            const std::size_t found = trace_.find(expected);
            EXPECT_TRUE(items < found && found < conditions) << trace_;
            EXPECT_EQ(CountOf(trace_, noSuchItem), 1);
            // The next pass ends at the conditions.
            if (result == 1) db_->Exec("drop table tb_id_standard");
        }
    }
}

TEST_P(DatabaseLoader, LineWithoutLimitsGivesMinusFiveAndNoStamp) {
    Stamp("7");
    Line(1, 201);
    EXPECT_EQ(Load(1), -5);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], texts::kNoStandardFound2);
    EXPECT_FALSE(FileExists(files_.stampFile));
    EXPECT_TRUE(table_.Devices().empty());  // the served table is not replaced
}

// A cleared table or line index is a failed pass: the line keeps judging
// with what it had, and the file keeps it for the next start.
TEST_P(DatabaseLoader, PassWithoutStandardsKeepsTheServedTableAndTheFile) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    const std::string file = ReadBytes(files_.standardFile);
    db_->Exec("delete from tb_id_standard");
    Stamp("20261209");
    EXPECT_EQ(Load(0), -5);
    db_->Exec("delete from tb_login_lineindex");
    Stamp("20261210");
    EXPECT_EQ(Load(0), 0);
    ASSERT_EQ(notices_.size(), 2u);
    EXPECT_EQ(notices_[0], texts::kNoStandardFound2);
    EXPECT_EQ(notices_[1], texts::kNoStandardFound);
    EXPECT_EQ(table_.RecordCount(), 4u);
    EXPECT_NE(Find(202, "A"), nullptr);
    EXPECT_EQ(ReadBytes(files_.standardFile), file);
    EXPECT_EQ(StampInFile(), 20261208);
}

TEST_P(DatabaseLoader, NoDeviceGivesZeroWithItsNotice) {
    Stamp("7");
    Line(6, 201);
    EXPECT_EQ(Load(1), 0);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0], texts::kNoStandardFound);
}

TEST_P(DatabaseLoader, UnwritableDirectoryServesTheTableAndRetriesLater) {
    SmallLine();
    WriteBytes(config_.File("file"), "not a directory");
    files_ = store::FilesIn(config_.File("file/sub"));
    EXPECT_EQ(Load(0), -8);
    EXPECT_EQ(table_.RecordCount(), 4u);
    files_ = store::FilesIn(config_.Path());
    // The stamp was not recorded: the next pass runs again.
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(StampInFile(), 20261208);
}

TEST_P(DatabaseLoader, EveryPassSeesTheDatabaseAsItIsNow) {
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    EXPECT_FALSE(database_.IsOpen());
    ASSERT_EQ(Load(0), 2);
    EXPECT_FALSE(database_.IsOpen());  // also after a pass that found nothing new

    if (GetParam() == "sqlite") {
        // The station's file is replaced by copy and rename: the next pass
        // reads the new file.
        const char *ini = std::getenv("ODBCINI");
        ASSERT_NE(ini, nullptr);
        const std::string file = platform::GetProfileString(ini, db_->Dsn(), "Database", "");
        ASSERT_FALSE(file.empty());
        const std::string copy = file + ".new";
        db_->Exec("vacuum into '" + copy + "'");  // a whole copy, journal included
        ASSERT_TRUE(stationdb::WriteSqliteDataSource(ini, db_->Dsn() + "_new", copy));
        {
            stationdb::Connection edit;
            edit.Open("DSN=" + db_->Dsn() + "_new;");
            edit.Execute("update tb_status_memstd set DBModifyTime = '20261209'");
            edit.Execute("update tb_id_standard set hvalue = '99' where paramid = 20201");
        }
        // The old file's journal goes with its last connection, as on a
        // station where the host is the only reader.
        db_->Admin().Close();
        std::error_code renamed;  // replaces the old file on Windows too
        std::filesystem::rename(copy, file, renamed);
        ASSERT_FALSE(renamed) << renamed.message();
        EXPECT_EQ(Load(0), 1);
        ASSERT_NE(Find(202, "A"), nullptr);
        EXPECT_FLOAT_EQ(Find(202, "A")->params[0].hvalue, 99.0f);
        EXPECT_EQ(StampInFile(), 20261209);
    }
    EXPECT_FALSE(database_.IsOpen());
    EXPECT_TRUE(notices_.empty());
}

TEST_P(DatabaseLoader, PassAfterTheServerEndedEveryConnectionReloads) {
    if (GetParam() == "sqlite") GTEST_SKIP() << "a server ends connections only on PostgreSQL";
    SmallLine();
    ASSERT_EQ(Load(1), 1);
    ASSERT_EQ(Load(0), 2);
    // As a restart does, the server ends the session a pass would have kept:
    // one idle after reading the stamp. Other tests share the database, so
    // only such sessions are ended (a pass that keeps none leaves none).
    db_->Exec(
        "select pg_terminate_backend(pid) from pg_stat_activity where datname = "
        "current_database() and pid <> pg_backend_pid() and state = 'idle' and "
        "query = 'select DBModifyTime from tb_status_memstd '");
    Stamp("20261209");
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(StampInFile(), 20261209);
    EXPECT_TRUE(notices_.empty());
}

TEST_P(DatabaseLoader, StampBeyondThirtyTwoBitsIsComparedWhole) {
    SmallLine();
    Stamp("20261208123045");
    ASSERT_EQ(Load(0), 1);
    EXPECT_EQ(platform::GetProfileString(files_.stampFile, "CREATETIME", "TIME", ""),
              "20261208123045");
    EXPECT_EQ(Load(0), 2);
    Stamp("20261208123046");
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(platform::GetProfileString(files_.stampFile, "CREATETIME", "TIME", ""),
              "20261208123046");
    Stamp("-7");  // a stamp that fits is written as before
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(StampInFile(), -7);
}

// TIME keeps the stamp's number; its whole text is kept beside it, so that
// stamps equal as numbers but not as texts still reload.
TEST_P(DatabaseLoader, StampsEqualAsNumbersButNotAsTextsReload) {
    SmallLine();
    for (const char *stamp : {"99999999999999999999", "99999999999999999998", "2026-12-10 10:00:00",
                              "2026-12-10 10:00:01"}) {
        Stamp(stamp);
        EXPECT_EQ(Load(0), 1) << stamp;
        EXPECT_EQ(Load(0), 2) << stamp;
        EXPECT_EQ(platform::GetProfileString(files_.stampFile, "CREATETIME", "STAMPTEXT", ""),
                  stamp);
    }
    EXPECT_EQ(StampInFile(), 2026);
    // A memstd.ini written before the text was kept compares TIME alone.
    ASSERT_TRUE(platform::WriteProfileString(files_.stampFile, "CREATETIME", "STAMPTEXT", ""));
    EXPECT_EQ(Load(0), 2);
}

TEST_P(DatabaseLoader, NoDataSourceNameIsNeverTried) {
    SmallLine();
    // unixODBC takes an empty name for the default data source: the
    // driver must not be reached at all, not even to create a file.
    const char *ini = std::getenv("ODBCINI");
    ASSERT_NE(ini, nullptr);
    ASSERT_TRUE(stationdb::WriteDataSource(
        ini, "Default", {{"Driver", "SQLite3"}, {"Database", config_.File("default.db")}}));
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(config_.Path());
    database_.SetConnectString("DSN=;UID=;PWD=;");
    const int result = Load(1);
    std::filesystem::current_path(before);
    stationdb::WriteDataSource(ini, "Default", {});
    EXPECT_EQ(result, 0);
    EXPECT_FALSE(FileExists(config_.File("DSN=;UID=;PWD=;")));
    EXPECT_FALSE(FileExists(config_.File("default.db")));
    EXPECT_TRUE(notices_.empty());
}

TEST_P(DatabaseLoader, NoConfigurationDirectoryServesAndWritesNothing) {
    SmallLine();
    files_ = store::FilesIn("");
    EXPECT_TRUE(files_.standardFile.empty() && files_.stampFile.empty());
    EXPECT_EQ(Load(0), 1);
    EXPECT_EQ(table_.RecordCount(), 4u);
    EXPECT_EQ(Load(0), 1);  // no recorded stamp: every pass runs
    EXPECT_TRUE(notices_.empty());
}

// --- The two read paths ----------------------------------------------------------

TEST_P(DatabaseLoader, PerConditionPathGivesTheSameTable) {
    SmallLine();
    Line(3, 201);  // an item on two devices
    Limit(201, " " + Gbk("液压/乘用车"), 20103, "1.5", "0.5");
    Limit(202, "it's", 20201, "1", "0");
    Limit(202, "B", 20201, "1", "0");
    ASSERT_EQ(Load(1), 1);
    const std::string staged = ReadBytes(files_.standardFile);
    store::StandardTable reference;
    ASSERT_EQ(
        store::LoadFromDatabase(database_, reference, files_, 1, store::ReadPath::kPerCondition),
        1);
    EXPECT_EQ(ReadBytes(files_.standardFile), staged);
}

// The same table by both paths, compared through the files they make.
std::string TableBytes(stationdb::Connection &connection, store::ReadPath path,
                       const std::string &file) {
    store::StandardTable table;
    EXPECT_EQ(store::ReadStandardTable(connection, table, path), 1);
    EXPECT_EQ(table.WriteFile(file), 1);
    return ReadBytes(file);
}

TEST_P(DatabaseLoader, BothPathsGiveTheSameTableOnTheSeedDatabase) {
    db_->ImportSeed(STATION_TEST_SOURCE_DIR "/db/seed");
    const std::string staged =
        TableBytes(db_->Admin(), store::ReadPath::kStaged, config_.File("a"));
    EXPECT_GT(staged.size(), 1000u * 170u);
    EXPECT_EQ(TableBytes(db_->Admin(), store::ReadPath::kPerCondition, config_.File("b")), staged);
}

TEST_P(DatabaseLoader, BothPathsGiveTheSameTableOnAGeneratedDatabase) {
    // Devices, items and conditions with the texts that make keys hard:
    // surrounding blanks, letter case, quotes, Chinese, duplicate rows.
    std::mt19937 random(20261208);
    const std::vector<std::string> pieces = {Gbk("液压"), Gbk("乘用车"),   "/", "A", "a", "'", " ",
                                             "kg",        Gbk("新注册车"), "1"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int devid = 1; devid <= 8; ++devid)
        for (int k = 0; k < 6; ++k) Line(devid == 6 ? 66 : devid, 200 + pick(12));
    Line(44, 201);
    for (int row = 0; row < 600; ++row) {
        std::string condition;
        for (int n = 1 + pick(4); n > 0; --n) condition += pieces[pick(10)];
        if (pick(5) == 0) condition = "  " + condition + " ";
        Limit(200 + pick(12), condition, 1 + pick(6), std::to_string(pick(100)),
              std::to_string(pick(50)));
    }
    const std::string staged =
        TableBytes(db_->Admin(), store::ReadPath::kStaged, config_.File("a"));
    EXPECT_GT(staged.size(), 100u * 170u);
    EXPECT_EQ(TableBytes(db_->Admin(), store::ReadPath::kPerCondition, config_.File("b")), staged);
}

INSTANTIATE_TEST_SUITE_P(Backends, DatabaseLoader, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

// --- The SQL Server statements, checked as text ------------------------------------

TEST(LoaderStatements, SqlServerComparesConditionsInBinary) {
    const store::LoaderStatements &sql = store::StatementsFor(stationdb::Dialect::kSqlServer);
    EXPECT_STREQ(sql.stamp, "select DBModifyTime from tb_status_memstd ");
    EXPECT_STREQ(sql.devices,
                 "select distinct(devid) from tb_login_lineindex where (devid <> 6 and devid <> "
                 "44 ) order by devid");
    EXPECT_NE(std::string(sql.conditions).find("collate Latin1_General_BIN2 as condition"),
              std::string::npos);
    EXPECT_NE(std::string(sql.itemConditions).find("Latin1_General_BIN2"), std::string::npos);
    for (const char *text : {sql.items, sql.conditions, sql.limits, sql.deviceItems,
                             sql.itemConditions, sql.conditionLimits})
        EXPECT_EQ(std::string(text).find('\''), std::string::npos) << text;
    const store::LoaderStatements &portable = store::StatementsFor(stationdb::Dialect::kSqlite);
    EXPECT_EQ(std::string(portable.conditions).find("collate"), std::string::npos);
}

}  // namespace
