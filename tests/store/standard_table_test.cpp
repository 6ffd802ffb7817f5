#include "store/standard_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "store_records.h"

namespace store {
namespace {

using store_test::Rec;

std::vector<int32_t> ParamIds(const StdCondition &condition) {
    std::vector<int32_t> ids;
    for (const StdParam &p : condition.params) ids.push_back(p.paramid);
    return ids;
}

TEST(StandardTable, GroupsRecordsInOrderOfFirstAppearance) {
    StandardTable table;
    table.InsertRecord(Rec(5, 276, "A", 7001));
    table.InsertRecord(Rec(3, 216, "x", 1));
    table.InsertRecord(Rec(5, 223, "B", 2));
    table.InsertRecord(Rec(5, 276, "C", 7003));
    table.InsertRecord(Rec(5, 276, "A", 7004));

    const auto &devices = table.Devices();
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(devices[0].devid, 5);
    EXPECT_EQ(devices[1].devid, 3);
    ASSERT_EQ(devices[0].items.size(), 2u);
    const StdItem &item = devices[0].items[0];
    EXPECT_EQ(item.itemid, 276);
    EXPECT_EQ(devices[0].items[1].itemid, 223);
    ASSERT_EQ(item.conditions.size(), 2u);
    EXPECT_EQ(item.conditions[0].condition, "A");
    EXPECT_EQ(item.conditions[1].condition, "C");
    EXPECT_EQ(ParamIds(item.conditions[0]), (std::vector<int32_t>{7001, 7004}));
    EXPECT_EQ(table.RecordCount(), 5u);
}

TEST(StandardTable, DuplicateKeyKeepsOneParameterWithTheLastValues) {
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "c", 9, 10.0f, 1.0f));
    table.InsertRecord(Rec(1, 216, "c", 8, 5.0f, 0.5f));
    table.InsertRecord(Rec(1, 216, "c", 9, 20.0f, 2.0f));
    const StdCondition &c = table.Devices()[0].items[0].conditions[0];
    ASSERT_EQ(ParamIds(c), (std::vector<int32_t>{9, 8}));
    EXPECT_EQ(c.params[0].hvalue, 20.0f);
    EXPECT_EQ(c.params[0].lvalue, 2.0f);
}

TEST(StandardTable, ConditionsDifferingOnlyInCaseAreDistinct) {
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "RM<=1020", 1));
    table.InsertRecord(Rec(1, 216, "rm<=1020", 2));
    table.InsertRecord(Rec(1, 216, "RM<=1020", 3));
    const auto &conditions = table.Devices()[0].items[0].conditions;
    ASSERT_EQ(conditions.size(), 2u);
    EXPECT_EQ(ParamIds(conditions[0]), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(ParamIds(conditions[1]), (std::vector<int32_t>{2}));
}

TEST(StandardTable, ConditionsWithEqualHashesStayDistinct) {
    // Two texts with the same 32-bit condition hash (0x2a283de6).
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "Px4VU", 1));
    table.InsertRecord(Rec(1, 216, "oPqjRwBo", 2));
    table.InsertRecord(Rec(1, 216, "Px4VU", 3));
    const auto &conditions = table.Devices()[0].items[0].conditions;
    ASSERT_EQ(conditions.size(), 2u);
    EXPECT_EQ(ParamIds(conditions[0]), (std::vector<int32_t>{1, 3}));
    EXPECT_EQ(conditions[1].condition, "oPqjRwBo");
    EXPECT_EQ(table.Devices()[0].items[0].conditionHashes[0],
              table.Devices()[0].items[0].conditionHashes[1]);
}

TEST(StandardTable, ConditionIsCutAtItsTerminatorAnd149Bytes) {
    StandardTable table;
    const std::string longText(200, 'q');
    table.InsertRecord(Rec(1, 216, longText, 1));
    table.InsertRecord(Rec(1, 216, longText.substr(0, 149) + "zz", 2));  // same first 149 bytes
    table.InsertRecord(Rec(1, 216, std::string_view("ab\0cd", 5), 3));
    table.InsertRecord(Rec(1, 216, "ab", 4));
    const auto &conditions = table.Devices()[0].items[0].conditions;
    ASSERT_EQ(conditions.size(), 2u);
    EXPECT_EQ(conditions[0].condition, longText.substr(0, 149));
    EXPECT_EQ(ParamIds(conditions[0]), (std::vector<int32_t>{1, 2}));
    EXPECT_EQ(conditions[1].condition, "ab");
    EXPECT_EQ(ParamIds(conditions[1]), (std::vector<int32_t>{3, 4}));
}

TEST(StandardTable, ResetCountsEmptiesTheTableButKeepsPresentItems) {
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "c", 1));
    table.PresentItems().SetItemFlag(216, 1);
    ASSERT_NE(table.FindStandard(216, "c"), nullptr);
    table.ResetCounts();
    EXPECT_TRUE(table.Devices().empty());
    EXPECT_EQ(table.RecordCount(), 0u);
    EXPECT_EQ(table.FindStandard(216, "c"), nullptr);
    EXPECT_EQ(table.PresentItems().IsItemSelected(216), 1);
    table.InsertRecord(Rec(2, 216, "c", 1));  // refills from empty
    EXPECT_EQ(table.Devices().size(), 1u);
    EXPECT_EQ(table.Devices()[0].devid, 2);
}

// Overflow of one level: record k has fixed keys above `level` and keys that
// vary with k at `level` and below (device 1 + k, item 200 + k, condition
// "c" + k, parameter 1000 + k).
struct Level {
    const char *name;
    int level;
    int capacity;
};

StdRecord LevelRecord(int level, int k, std::string &text) {
    text = "c" + std::to_string(level > 2 ? 0 : k);
    return Rec(level > 0 ? 1 : 1 + k, level > 1 ? 200 : 200 + k, text, 1000 + k,
               static_cast<float>(k));
}

// Entries at `level` under the first entry of every level above it, as keys.
std::vector<std::string> KeysAt(const StandardTable &table, int level) {
    std::vector<std::string> keys;
    const StdDevice &d = table.Devices()[0];
    if (level == 0)
        for (const StdDevice &x : table.Devices()) keys.push_back(std::to_string(x.devid));
    if (level == 1)
        for (const StdItem &x : d.items) keys.push_back(std::to_string(x.itemid));
    if (level == 2)
        for (const StdCondition &x : d.items[0].conditions) keys.push_back(x.condition);
    if (level == 3)
        for (const StdParam &x : d.items[0].conditions[0].params)
            keys.push_back(std::to_string(x.paramid));
    return keys;
}

// The number of entries one level below the last entry of `level`.
std::size_t ChildrenOfLast(const StandardTable &table, int level) {
    const StdDevice &d = table.Devices()[0];
    if (level == 0) return table.Devices().back().items.size();
    if (level == 1) return d.items.back().conditions.size();
    return d.items[0].conditions.back().params.size();
}

std::string KeyOf(int level, int k) {
    std::string text;
    StdRecord r = LevelRecord(level, k, text);
    switch (level) {
        case 0:
            return std::to_string(r.devid);
        case 1:
            return std::to_string(r.itemid);
        case 2:
            return text;
        default:
            return std::to_string(r.paramid);
    }
}

void PrintTo(const Level &l, std::ostream *os) {
    *os << l.name;
}

class StandardTableOverflow : public ::testing::TestWithParam<Level> {};

TEST_P(StandardTableOverflow, NewKeyTakesOverTheLastEntryAndKeepsItsChildren) {
    const Level level = GetParam();
    StandardTable table;
    std::string text;
    for (int k = 0; k <= level.capacity; ++k) table.InsertRecord(LevelRecord(level.level, k, text));

    std::vector<std::string> keys = KeysAt(table, level.level);
    ASSERT_EQ(keys.size(), static_cast<std::size_t>(level.capacity));
    EXPECT_EQ(keys.front(), KeyOf(level.level, 0));
    EXPECT_EQ(keys.back(), KeyOf(level.level, level.capacity));
    if (level.level < 3) {
        EXPECT_EQ(ChildrenOfLast(table, level.level), 2u);  // the replaced key's and the new
    } else {
        EXPECT_EQ(table.Devices()[0].items[0].conditions[0].params.back().hvalue,
                  static_cast<float>(level.capacity));
    }

    // The new key is found again in the last entry; the replaced key takes it over again.
    table.InsertRecord(LevelRecord(level.level, level.capacity, text));
    EXPECT_EQ(KeysAt(table, level.level).size(), static_cast<std::size_t>(level.capacity));
    table.InsertRecord(LevelRecord(level.level, level.capacity - 1, text));
    keys = KeysAt(table, level.level);
    EXPECT_EQ(keys.size(), static_cast<std::size_t>(level.capacity));
    EXPECT_EQ(keys.back(), KeyOf(level.level, level.capacity - 1));
    // An earlier key is still merged where it is.
    table.InsertRecord(LevelRecord(level.level, 0, text));
    EXPECT_EQ(KeysAt(table, level.level).front(), KeyOf(level.level, 0));
    EXPECT_EQ(KeysAt(table, level.level).size(), static_cast<std::size_t>(level.capacity));
}

INSTANTIATE_TEST_SUITE_P(Levels, StandardTableOverflow,
                         ::testing::Values(Level{"Device", 0, kMaxDevices},
                                           Level{"Item", 1, kMaxItemsPerDevice},
                                           Level{"Condition", 2, kMaxConditionsPerItem},
                                           Level{"Param", 3, kMaxParamsPerCondition}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(StandardTable, AppendFillsLevelsWithoutMergingUpToCapacity) {
    StandardTable table;
    for (int d = 0; d < kMaxDevices; ++d) ASSERT_TRUE(table.AppendDevice(d + 1));
    EXPECT_FALSE(table.AppendDevice(99));
    ASSERT_TRUE(table.AppendItem(0, 216));
    EXPECT_FALSE(table.AppendItem(kMaxDevices, 216));
    ASSERT_TRUE(table.AppendCondition(0, 0, std::string(160, 'k')));
    EXPECT_FALSE(table.AppendCondition(0, 1, "x"));
    ASSERT_TRUE(table.AppendParam(0, 0, 0, StdParam{7, 1, 0}));
    ASSERT_TRUE(table.AppendParam(0, 0, 0, StdParam{7, 2, 0}));  // rows are not merged
    EXPECT_FALSE(table.AppendParam(0, 0, 1, StdParam{7, 2, 0}));
    EXPECT_EQ(table.RecordCount(), 2u);
    EXPECT_EQ(table.Devices()[0].items[0].conditions[0].condition, std::string(149, 'k'));

    // A later insertion finds the appended entries.
    table.InsertRecord(Rec(1, 216, std::string(149, 'k'), 8));
    EXPECT_EQ(table.Devices()[0].items[0].conditions.size(), 1u);
    EXPECT_EQ(table.RecordCount(), 3u);
    EXPECT_NE(table.FindStandard(216, std::string(149, 'K')), nullptr);
}

}  // namespace
}  // namespace store
