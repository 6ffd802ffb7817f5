// The committed seed of the station database: it is what seedgen generates
// from the sources now, its tables are well-formed and consistent with one
// another, every reachable condition has limits for every parameter of its
// item, and the sample station's figures are kept. seedgen refuses sources
// that leave a limit out or carry a rule that matches nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/condition_walk.h"
#include "platform/gbk.h"
#include "seed_tsv.h"
#include "store/item_set.h"
#include "temp_dir.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadBytes;
using testing_support::TempDir;

const std::string kSeedDir = STATION_TEST_SOURCE_DIR "/db/seed";
const std::string kSeedgen = STATION_TEST_BIN_DIR "/seedgen";
const char *const kTables[] = {"tb_status_memstd", "tb_line_info",   "tb_login_lineindex",
                               "tb_id_item",       "tb_id_param",    "tb_id_standard",
                               "tb_type_index",    "tb_type_vehicle"};

struct Table {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    size_t Col(const std::string &name) const {
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == name || columns[i] == name + ":int") return i;
        ADD_FAILURE() << "no column " << name;
        return 0;
    }
};

Table Load(const std::string &name) {
    Table table;
    const std::string bytes = ReadBytes(kSeedDir + "/" + name + ".tsv");
    EXPECT_FALSE(bytes.empty()) << name;
    EXPECT_EQ(bytes.back(), '\n') << name;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        std::string line = bytes.substr(start, end - start);
        start = end + 1;
        auto fields = seed::SplitFields(line);
        if (table.columns.empty()) {
            table.columns = fields;
        } else {
            EXPECT_EQ(fields.size(), table.columns.size()) << name << ": " << line;
            table.rows.push_back(fields);
        }
    }
    return table;
}

int Int(const std::string &text) {
    int value = 0;
    EXPECT_TRUE(seed::ParseInt(text, value)) << text;
    return value;
}

int RunSeedgen(const std::string &args) {
    return std::system((kSeedgen + " " + args + " >/dev/null 2>&1").c_str());
}

TEST(Seed, CommittedFilesAreWhatSeedgenGeneratesNow) {
    TempDir out;
    ASSERT_EQ(RunSeedgen(out.Path()), 0);
    std::set<std::string> committed, generated;
    for (const auto &entry : fs::directory_iterator(kSeedDir))
        if (entry.path().extension() == ".tsv") committed.insert(entry.path().filename());
    for (const auto &entry : fs::directory_iterator(out.Path()))
        generated.insert(entry.path().filename());
    EXPECT_EQ(committed, generated);
    for (const std::string &file : generated) {
        EXPECT_TRUE(ReadBytes(out.File(file)) == ReadBytes(kSeedDir + "/" + file))
            << file << " differs: run `build/bin/seedgen db/seed` and commit the result";
    }
}

TEST(Seed, TablesAreWellFormed) {
    for (const char *name : kTables) {
        SCOPED_TRACE(name);
        const Table table = Load(name);
        ASSERT_FALSE(table.rows.empty());
        for (const auto &row : table.rows) {
            for (size_t i = 0; i < row.size(); ++i) {
                const std::string &column = table.columns[i];
                std::string gbk;
                EXPECT_TRUE(platform::Utf8ToGbk(row[i], gbk)) << row[i];
                EXPECT_EQ(row[i].find_first_of("'\r\n"), std::string::npos) << row[i];
                if (column.ends_with(":int")) {
                    Int(row[i]);
                } else if (column == "condition") {
                    EXPECT_FALSE(row[i].empty());
                    EXPECT_LE(gbk.size(), 149u) << row[i];
                } else if (column == "hvalue" || column == "lvalue") {
                    double value = 0;
                    EXPECT_TRUE(seed::ParseDecimal(row[i], value)) << row[i];
                    EXPECT_EQ(seed::FormatLimit(value), row[i]);
                } else {
                    EXPECT_FALSE(row[i].empty());
                    EXPECT_LE(gbk.size(), 63u) << row[i];  // names fit 64-byte fields
                }
            }
        }
    }
    const Table stamp = Load("tb_status_memstd");
    ASSERT_EQ(stamp.rows.size(), 1u);
    EXPECT_GT(Int(stamp.rows[0][0]), 0);
}

class SeedTables : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto &row : Load("tb_line_info").rows) devices_[Int(row[0])] = row[1];
        for (const auto &row : Load("tb_id_item").rows) items_[Int(row[0])] = row[1];
        for (const auto &row : Load("tb_login_lineindex").rows)
            lineIndex_.emplace(Int(row[0]), Int(row[1]));
        for (const auto &row : Load("tb_id_param").rows) {
            params_[{Int(row[0]), Int(row[1])}][Int(row[2])] = row[3];
            paramsOfItem_[Int(row[1])][Int(row[2])] = row[3];
        }
        standard_ = Load("tb_id_standard");
    }
    std::map<int, std::string> devices_, items_;
    std::set<std::pair<int, int>> lineIndex_;
    std::map<std::pair<int, int>, std::map<int, std::string>> params_;
    std::map<int, std::map<int, std::string>> paramsOfItem_;
    Table standard_;
};

TEST_F(SeedTables, DevicesItemsAndParametersAgree) {
    std::set<int> loadedItems;
    for (const auto &[devid, itemid] : lineIndex_) {
        EXPECT_EQ(devices_.count(devid), 1u) << devid;
        EXPECT_EQ(items_.count(itemid), 1u) << itemid;
        EXPECT_EQ(params_.count({devid, itemid}), 1u) << devid << "/" << itemid;
        if (devid != 6 && devid != 44) loadedItems.insert(itemid);
    }
    for (const auto &[key, params] : params_) {
        EXPECT_EQ(lineIndex_.count(key), 1u) << key.first << "/" << key.second;
        // Every device that performs an item measures the same parameters.
        EXPECT_EQ(params, paramsOfItem_.at(key.second)) << key.first << "/" << key.second;
    }
    // The loader's line: every standard item on a device it loads; devices 6
    // and 44, which it skips, are there with items of their own.
    for (const store::StandardItem &item : store::kStandardItems)
        EXPECT_EQ(loadedItems.count(item.itemId), 1u) << item.itemId;
    for (int skipped : {6, 44}) {
        EXPECT_TRUE(std::any_of(lineIndex_.begin(), lineIndex_.end(),
                                [skipped](auto &e) { return e.first == skipped; }));
    }
    EXPECT_EQ(items_.size(), static_cast<size_t>(store::kItemCount));
    for (int devid : {1, 2, 3, 4, 5, 7, 8}) EXPECT_EQ(devices_.count(devid), 1u) << devid;
}

TEST_F(SeedTables, ParameterNamesAreThoseOfTheCodeDictionary) {
    std::map<int, std::string> dictionary;
    std::ifstream codes(STATION_TEST_SOURCE_DIR "/plinth/plinth-codes.tsv");
    for (std::string line; std::getline(codes, line);) {
        auto fields = seed::SplitFields(line);
        int id = 0;
        if (fields.size() >= 2 && seed::ParseInt(fields[0], id)) dictionary[id] = fields[1];
    }
    int named = 0;
    for (const auto &[itemid, params] : paramsOfItem_) {
        for (const auto &[paramid, name] : params) {
            if (dictionary.count(paramid) == 0) continue;
            ++named;
            EXPECT_EQ(name, dictionary.at(paramid)) << paramid;
        }
    }
    EXPECT_GT(named, 90);
}

TEST_F(SeedTables, EveryReachableConditionHasLimitsForEveryParameterOfItsItem) {
    const size_t type = standard_.Col("type"), item = standard_.Col("itemid"),
                 itemName = standard_.Col("itemname"), cond = standard_.Col("condition"),
                 param = standard_.Col("paramid"), paramName = standard_.Col("paramname");
    std::set<std::tuple<int, std::string, int>> rows;
    for (const auto &row : standard_.rows) {
        const int itemid = Int(row[item]), paramid = Int(row[param]);
        EXPECT_TRUE(rows.emplace(itemid, row[cond], paramid).second)
            << "twice: " << itemid << " " << row[cond] << " " << paramid;
        EXPECT_EQ(row[itemName], items_[itemid]);
        EXPECT_EQ(row[paramName], paramsOfItem_[itemid][paramid]) << paramid;
        EXPECT_TRUE(
            lineIndex_.count({0, 0}) == 0 &&
            std::any_of(
                devices_.begin(), devices_.end(),
                [&](auto &d) {
                    return d.second == row[type] && lineIndex_.count({d.first, itemid}) == 1;
                }))
            << "type " << row[type] << " does not perform item " << itemid;
    }
    size_t expected = 0;
    for (const engine::ReachableCondition &r : engine::ReachableConditions()) {
        const std::string condition = platform::GbkToUtf8OrThrow(r.condition);
        for (const auto &[paramid, name] : paramsOfItem_[r.itemId]) {
            ++expected;
            EXPECT_EQ(rows.count({r.itemId, condition, paramid}), 1u)
                << r.itemId << " " << condition << " " << paramid;
        }
    }
    EXPECT_EQ(rows.size(), expected) << "rows for conditions the rules never produce";
}

TEST_F(SeedTables, KeepsTheSampleStationsFigures) {
    const size_t item = standard_.Col("itemid"), cond = standard_.Col("condition"),
                 param = standard_.Col("paramid"), high = standard_.Col("hvalue"),
                 low = standard_.Col("lvalue"), type = standard_.Col("type");
    std::map<std::tuple<int, std::string, int>, const std::vector<std::string> *> index;
    for (const auto &row : standard_.rows)
        index[{Int(row[item]), row[cond], Int(row[param])}] = &row;
    std::ifstream sample(STATION_TEST_SOURCE_DIR "/host/sample-station/standards.tsv");
    int compared = 0;
    for (std::string line; std::getline(sample, line);) {
        auto f = seed::SplitFields(line);
        if (line.empty() || line[0] == '#' || f.size() != 6) continue;
        ++compared;
        auto found = index.find({Int(f[1]), f[2], Int(f[3])});
        ASSERT_NE(found, index.end()) << line;
        const auto &row = *found->second;
        EXPECT_EQ(std::strtod(row[low].c_str(), nullptr), std::strtod(f[4].c_str(), nullptr))
            << line;
        EXPECT_EQ(std::strtod(row[high].c_str(), nullptr), std::strtod(f[5].c_str(), nullptr))
            << line;
        EXPECT_EQ(row[type], devices_[Int(f[0])]) << line;
    }
    EXPECT_EQ(compared, 964);
}

TEST(SeedBrands, EverySeriesHasAnIndexedBrand) {
    const Table index = Load("tb_type_index"), series = Load("tb_type_vehicle");
    std::set<std::string> brands;
    for (const auto &row : index.rows) {
        EXPECT_TRUE(brands.insert(row[0]).second) << row[0];
        EXPECT_EQ(row[1].find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos);
    }
    EXPECT_GE(brands.size(), 24u);
    std::set<std::pair<std::string, std::string>> pairs;
    for (const auto &row : series.rows) {
        EXPECT_EQ(brands.count(row[0]), 1u) << row[0];
        EXPECT_TRUE(pairs.emplace(row[0], row[1]).second) << row[1];
    }
}

// seedgen with a changed copy of the sources.
class SeedgenSources : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::copy(kSeedDir + "/source", source_.Path(), fs::copy_options::recursive);
    }
    // Replaces the first line of limit_rules.tsv that starts with `prefix`.
    void ReplaceRule(const std::string &prefix, const std::string &replacement) {
        std::string rules = ReadBytes(source_.File("limit_rules.tsv"));
        size_t at = rules.find("\n" + prefix);
        ASSERT_NE(at, std::string::npos);
        size_t end = rules.find('\n', at + 1);
        rules.replace(at + 1, end - at - 1, replacement);
        testing_support::WriteBytes(source_.File("limit_rules.tsv"), rules);
    }
    int Run() {
        return std::system(
            (kSeedgen + " " + out_.Path() + " " + source_.Path() + " 2>" + out_.File("stderr.txt"))
                .c_str());
    }
    std::string Errors() { return ReadBytes(out_.File("stderr.txt")); }
    TempDir source_, out_;
};

TEST_F(SeedgenSources, UnchangedSourcesGenerate) {
    EXPECT_EQ(Run(), 0) << Errors();
    EXPECT_TRUE(testing_support::FileExists(out_.File("tb_id_standard.tsv")));
}

TEST_F(SeedgenSources, FailsWhenAReachableConditionHasNoLimit) {
    ReplaceRule("231\t侧滑\t2311", "# removed");
    EXPECT_NE(Run(), 0);
    EXPECT_NE(Errors().find("231\t侧滑\t2311"), std::string::npos) << Errors();
    EXPECT_FALSE(testing_support::FileExists(out_.File("tb_id_standard.tsv")));
}

TEST_F(SeedgenSources, FailsOnARuleThatMatchesNothing) {
    ReplaceRule("231\t侧滑\t2311", "231\t侧滑\t2311\t-5\t5\tx\n231\t侧滑X\t2311\t-5\t5\tx");
    EXPECT_NE(Run(), 0);
    EXPECT_NE(Errors().find("matches no condition"), std::string::npos) << Errors();
}

TEST_F(SeedgenSources, FailsOnALimitThatTwoDecimalsWouldChange) {
    ReplaceRule("231\t侧滑\t2311", "231\t侧滑\t2311\t-5.125\t5\tx");
    EXPECT_NE(Run(), 0);
    EXPECT_NE(Errors().find("two decimals"), std::string::npos) << Errors();
}

}  // namespace
