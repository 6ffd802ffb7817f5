// stdhost standards export, diff and apply between two stations, run as a
// user runs stdhost: on SQLite, and on PostgreSQL when $STATION_TEST_PG
// names a data source in $ODBCINI (each station in a database of its own,
// dropped afterwards).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/ini_file.h"
#include "standards_package.h"
#include "stationdb/stationdb.h"
#include "stdhost_runner.h"
#include "temp_dir.h"

namespace {

using stdhost_test::kDataDir;
using stdhost_test::Outcome;
using testing_support::ReadBytes;
using testing_support::TempDir;

enum class Backend { kSqlite, kPostgres };

// One station made by init-station, on its own database.
class TestStation {
  public:
    TestStation(const TempDir &dir, const std::string &name, Backend backend)
        : dir_(dir.File(name)), backend_(backend) {
        ::setenv("ODBCSYSINI", kDataDir.c_str(), 0);  // before this process's first ODBC call
        if (backend == Backend::kSqlite) {
            Outcome init = stdhost_test::RunStdhost("init-station " + dir_);
            EXPECT_EQ(init.exitCode, 0) << init.out;
            connect_ = "Driver=SQLite3;Database=" + dir_ + "/station.db;";
            return;
        }
        const std::string dsn = std::getenv("STATION_TEST_PG");
        const std::string odbcIni = std::getenv("ODBCINI");
        database_ = "stdhost_" + name + "_" + std::to_string(::getpid());
        admin_.Open("DSN=" + dsn + ";UID=postgres;PWD=;");
        admin_.Execute("CREATE DATABASE " + database_ + " TEMPLATE template0 ENCODING 'UTF8'");
        std::vector<std::pair<std::string, std::string>> settings;
        for (const char *key : {"Driver", "Servername", "Port"})
            settings.emplace_back(key, platform::GetProfileString(odbcIni, dsn, key, ""));
        settings.emplace_back("Database", database_);
        const std::string ini = dir.File(name + "-odbc.ini");
        EXPECT_TRUE(stationdb::WriteDataSource(ini, "station_" + name, settings));
        Outcome init = stdhost_test::RunStdhost("init-station " + dir_ + " --dsn station_" + name +
                                                " --odbc-ini " + ini + " --user postgres");
        EXPECT_EQ(init.exitCode, 0) << init.out;
        connect_ = "Driver=" + settings[0].second + ";Servername=" + settings[1].second +
                   ";Port=" + settings[2].second + ";Database=" + database_ + ";UID=postgres;PWD=;";
    }
    ~TestStation() {
        if (database_.empty()) return;
        try {
            admin_.Execute("DROP DATABASE IF EXISTS " + database_ + " WITH (FORCE)");
        } catch (const stationdb::DatabaseError &) {
        }
    }
    TestStation(const TestStation &) = delete;
    TestStation &operator=(const TestStation &) = delete;

    const std::string &Dir() const { return dir_; }
    Outcome Stdhost(const std::string &args) const {
        return stdhost_test::RunStdhost("--station " + dir_ + " " + args + " < /dev/null");
    }
    // Every row of the result, columns joined by '|', rows by '\n'.
    std::string Sql(const std::string &sql) const {
        stationdb::Connection db;
        db.Open(connect_);
        stationdb::Statement st(db, sql);
        st.Execute();
        std::string out;
        while (st.ColumnCount() > 0 && st.Fetch()) {
            for (int c = 1; c <= st.ColumnCount(); ++c) out += (c > 1 ? "|" : "") + st.Utf8(c);
            out += "\n";
        }
        return out;
    }
    // The rows a line judges by, outside the series 大众_捷达.
    std::string NationalRows() const {
        return Sql(
            "select type, itemid, condition, paramid, hvalue, lvalue from tb_id_standard where "
            "condition <> '大众_捷达' order by itemid, condition, paramid");
    }
    std::string SeriesRows() const {
        return Sql(
            "select itemid, paramid, hvalue, lvalue from tb_id_standard where condition = "
            "'大众_捷达' order by itemid, paramid");
    }
    std::string Stamp() const { return Sql("select DBModifyTime from tb_status_memstd"); }
    std::string ChangeSets() const {
        return Sql("select id, kind, row_count, note from tb_std_history order by id");
    }
    void Trust(const std::string &publicKey) const {
        ASSERT_EQ(std::system(("mkdir -p " + dir_ + "/config/trusted-keys && cp " + publicKey +
                               " " + dir_ + "/config/trusted-keys/")
                                  .c_str()),
                  0);
    }

  private:
    std::string dir_;
    Backend backend_;
    std::string connect_;
    std::string database_;
    stationdb::Connection admin_;
};

class StandardsUpdate : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        if (GetParam() == Backend::kPostgres &&
            (std::getenv("STATION_TEST_PG") == nullptr || std::getenv("ODBCINI") == nullptr))
            GTEST_SKIP() << "STATION_TEST_PG and ODBCINI name no PostgreSQL data source";
        source_ = std::make_unique<TestStation>(dir_, "source", GetParam());
        target_ = std::make_unique<TestStation>(dir_, "target", GetParam());
        Outcome keygen = stdhost_test::RunStdhost("standards keygen " + dir_.File("province"));
        ASSERT_EQ(keygen.exitCode, 0) << keygen.out;
        target_->Trust(dir_.File("province.pub"));
    }
    std::string Package() const { return dir_.File("national.pkg"); }
    // Exports the source station's national rows and signs them.
    void ExportSigned() {
        Outcome exported = source_->Stdhost("standards export " + Package() +
                                            " --name 'GB 7258' --version 2027.1 "
                                            "--effective 2027-01-01 --issuer 省中心");
        ASSERT_EQ(exported.exitCode, 0) << exported.out;
        Sign();
    }
    void Sign() {
        Outcome sign = stdhost_test::RunStdhost("standards sign " + Package() + " --key " +
                                                dir_.File("province.sec"));
        ASSERT_EQ(sign.exitCode, 0) << sign.out;
    }
    // Rewrites the package with `edit` applied to its rows (the header made
    // to agree again), unsigned.
    template <typename Edit>
    void EditPackage(Edit &&edit) {
        stdhost::StandardsPackage package;
        std::string error;
        ASSERT_TRUE(stdhost::ReadStandardsPackage(ReadBytes(Package()), Package(), package, error))
            << error;
        edit(package.rows);
        const std::string text = stdhost::WriteStandardsPackage(package.header, package.rows);
        FILE *f = std::fopen(Package().c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
    static bool Has(const Outcome &run, const std::string &text) {
        return run.out.find(text) != std::string::npos;
    }

    TempDir dir_;
    std::unique_ptr<TestStation> source_, target_;
};

// The source's national rows differ from the target's in a changed limit,
// a removed and an added condition; the target keeps its own series.
TEST_P(StandardsUpdate, AnExportedPackageGivesAnotherStationTheSameNationalRows) {
    source_->Sql(
        "update tb_id_standard set lvalue = '52.00' where itemid = 201 and paramid = 2011");
    source_->Sql(
        "insert into tb_id_standard (type, itemid, itemname, condition, paramid, "
        "paramname, hvalue, lvalue, stdorder) values ('车速表检验台', 201, "
        "'车速表60km/h', '62公里', 2011, '60km/h实测车速', '62.00', '53.00', 0)");
    Outcome generated =
        target_->Stdhost("series generate 大众 捷达 --default " + stdhost_test::kSedan);
    ASSERT_EQ(generated.exitCode, 0) << generated.out;
    const std::string series = target_->SeriesRows();
    ASSERT_FALSE(series.empty());
    ExportSigned();

    Outcome diff = target_->Stdhost("standards diff " + Package());
    EXPECT_EQ(diff.exitCode, 1) << diff.out;
    EXPECT_TRUE(Has(diff, "1 added, 0 removed, 1 changed")) << diff.out;
    EXPECT_TRUE(Has(diff, "condition added:   62公里")) << diff.out;
    EXPECT_TRUE(Has(diff, "signed by province (trusted)")) << diff.out;

    const std::string stamp = target_->Stamp();
    Outcome apply = target_->Stdhost("standards apply " + Package() + " --operator 张工");
    ASSERT_EQ(apply.exitCode, 0) << apply.out;
    EXPECT_TRUE(Has(apply, "applied: GB 7258 2027.1 as change set #3")) << apply.out;
    EXPECT_EQ(target_->NationalRows(), source_->NationalRows());
    EXPECT_EQ(target_->SeriesRows(), series);
    EXPECT_NE(target_->Stamp(), stamp);
    const std::string sets = target_->ChangeSets();
    EXPECT_NE(sets.find("3|apply|2|GB 7258 2027.1 sha256 "), std::string::npos) << sets;
    EXPECT_EQ(target_->Stdhost("verify").exitCode, 0);

    // The same package again changes nothing and records nothing.
    const std::string stampAfter = target_->Stamp();
    Outcome again = target_->Stdhost("standards apply " + Package());
    EXPECT_EQ(again.exitCode, 0) << again.out;
    EXPECT_TRUE(Has(again, "nothing to change")) << again.out;
    EXPECT_EQ(target_->ChangeSets(), sets);
    EXPECT_EQ(target_->Stamp(), stampAfter);
    EXPECT_EQ(target_->Stdhost("standards diff " + Package()).exitCode, 0);

    // Rolling the apply back gives the national rows before it.
    const std::string before = TestStation(dir_, "fresh", GetParam()).NationalRows();
    Outcome rollback = target_->Stdhost("rollback 3 --yes");
    ASSERT_EQ(rollback.exitCode, 0) << rollback.out;
    EXPECT_EQ(target_->NationalRows(), before);
    EXPECT_EQ(target_->SeriesRows(), series);
}

// A package that leaves vehicles without limits is refused, naming them,
// and goes through with --force; --dry-run writes nothing.
TEST_P(StandardsUpdate, AnUpdateThatLeavesVehiclesWithoutLimitsNeedsForce) {
    ExportSigned();
    EditPackage([](std::vector<stdhost::PackageRow> &rows) {
        std::erase_if(rows, [](const stdhost::PackageRow &r) {
            return r.itemid == 204 && r.condition == "2001年10月1日起(包含)/自然进气";
        });
    });
    Sign();
    const std::string rows = target_->NationalRows(), stamp = target_->Stamp(),
                      sets = target_->ChangeSets();
    Outcome refused = target_->Stdhost("standards apply " + Package());
    EXPECT_EQ(refused.exitCode, 1) << refused.out;
    EXPECT_TRUE(Has(refused, "vehicles that would lose their limits (1):")) << refused.out;
    EXPECT_TRUE(Has(refused, "item 204 自由加速不透光烟度: 2001年10月1日起(包含)/自然进气"))
        << refused.out;
    Outcome json = target_->Stdhost("standards diff " + Package() + " --json");
    EXPECT_EQ(json.exitCode, 1) << json.out;
    const nlohmann::json diff = nlohmann::json::parse(json.out);
    EXPECT_EQ(diff["rows"]["removed"], 1);
    EXPECT_EQ(diff["items"][0]["conditionsRemoved"][0], "2001年10月1日起(包含)/自然进气");
    EXPECT_EQ(diff["items"][0]["rows"][0]["after"], nullptr);
    EXPECT_EQ(diff["coverage"]["newlyWithoutLimits"][0]["item"], 204);
    Outcome html =
        target_->Stdhost("standards diff " + Package() + " --html " + dir_.File("d.html"));
    EXPECT_EQ(html.exitCode, 1) << html.out;
    EXPECT_NE(ReadBytes(dir_.File("d.html")).find("Vehicles that would lose their limits (1)"),
              std::string::npos);
    Outcome dryRun = target_->Stdhost("standards apply " + Package() + " --force --dry-run");
    EXPECT_EQ(dryRun.exitCode, 0) << dryRun.out;
    EXPECT_TRUE(Has(dryRun, "rolled back, nothing was written")) << dryRun.out;
    EXPECT_EQ(target_->NationalRows(), rows);
    EXPECT_EQ(target_->Stamp(), stamp);
    EXPECT_EQ(target_->ChangeSets(), sets);

    Outcome forced = target_->Stdhost("standards apply " + Package() + " --force");
    EXPECT_EQ(forced.exitCode, 0) << forced.out;
    EXPECT_TRUE(Has(forced, "applied with --force")) << forced.out;
    EXPECT_EQ(target_->Sql("select count(*) from tb_id_standard where itemid = 204 and "
                           "condition = '2001年10月1日起(包含)/自然进气'"),
              "0\n");
    // Rolling it back inserts the removed rows again, names and all.
    Outcome rollback = target_->Stdhost("rollback 2 --yes");
    ASSERT_EQ(rollback.exitCode, 0) << rollback.out;
    EXPECT_EQ(target_->NationalRows(), rows);
    EXPECT_EQ(target_->Sql("select type, itemname, paramname from tb_id_standard where itemid = "
                           "204 and condition = '2001年10月1日起(包含)/自然进气'"),
              "不透光烟度计|自由加速不透光烟度|自由加速光吸收系数\n");
}

// Packages the station must not take: nothing is written for any of them.
TEST_P(StandardsUpdate, RefusedPackagesWriteNothing) {
    ExportSigned();
    const std::string rows = target_->NationalRows(), stamp = target_->Stamp(),
                      sets = target_->ChangeSets();
    auto expectUnchanged = [&] {
        EXPECT_EQ(target_->NationalRows(), rows);
        EXPECT_EQ(target_->Stamp(), stamp);
        EXPECT_EQ(target_->ChangeSets(), sets);
    };
    // One limit changed after signing, the header made to agree.
    EditPackage([](std::vector<stdhost::PackageRow> &r) { r[0].upper = "41.00"; });
    Outcome tampered = target_->Stdhost("standards apply " + Package());
    EXPECT_EQ(tampered.exitCode, 7) << tampered.out;
    EXPECT_TRUE(Has(tampered, "does not verify")) << tampered.out;
    expectUnchanged();

    // Unsigned: refused unless the operator says --unsigned.
    std::remove((Package() + ".sig").c_str());
    EXPECT_EQ(target_->Stdhost("standards apply " + Package()).exitCode, 7);
    expectUnchanged();

    // A row under a series key of the station.
    EditPackage([](std::vector<stdhost::PackageRow> &r) {
        r.push_back({223, "制动检验台", "大众_捷达", 2231, "60.00", "0.00", 0});
    });
    Outcome series = target_->Stdhost("standards apply " + Package() + " --unsigned");
    EXPECT_EQ(series.exitCode, 7) << series.out;
    EXPECT_TRUE(Has(series, "is a series key of this station")) << series.out;
    expectUnchanged();

    // A failure inside the transaction: the change set's first stored row
    // is taken already.
    EditPackage([](std::vector<stdhost::PackageRow> &r) {
        r.pop_back();
        r[0].upper = "41.00";
    });
    target_->Sql(
        "insert into tb_std_history_row(changeset, part, item_block, changes) values (2, 1, 1, "
        "'x')");
    Outcome failed = target_->Stdhost("standards apply " + Package() + " --unsigned");
    EXPECT_EQ(failed.exitCode, 1) << failed.out;
    EXPECT_TRUE(Has(failed, "nothing was written")) << failed.out;
    expectUnchanged();
}

INSTANTIATE_TEST_SUITE_P(Backends, StandardsUpdate,
                         ::testing::Values(Backend::kSqlite, Backend::kPostgres),
                         [](const auto &info) {
                             return info.param == Backend::kSqlite ? "Sqlite" : "Postgres";
                         });

}  // namespace
