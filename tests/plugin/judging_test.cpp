// A judging pass through the loaded plug-in: information buffer, item buffer,
// standard buffer, exactly as a line program drives it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bridges/plinth_bridge.h"
#include "plugin_fixture.h"
#include "store/standard_table.h"

using testing_support::Gbk;

namespace {

struct Row {
    int devid, itemid;
    const char *conditionUtf8;
    int paramid;
    float lower, upper;
};

struct Limit {
    int param;
    float lower, upper;
    bool operator==(const Limit &o) const {
        return param == o.param && lower == o.lower && upper == o.upper;
    }
};

class Judging : public testing_support::LimbankPlugin {
  protected:
    using Buffer = std::vector<unsigned char>;

    void SetUp() override {
        LimbankPlugin::SetUp();
        ASSERT_EQ(plinth_.LoadPlinth(1, reinterpret_cast<const void *>(&Judging::Nothing)), 1);
    }
    static void Nothing() {}

    void WriteStandards(const std::vector<Row> &rows) {
        store::StandardTable table;
        for (const Row &r : rows) {
            const std::string condition = Gbk(r.conditionUtf8);
            table.InsertRecord({r.devid, r.itemid, condition, r.paramid, r.upper, r.lower});
        }
        ASSERT_EQ(table.WriteFile(ConfigDir() + "/StandarFile.sfd"), 1);
    }

    void LoadPlugin() {
        ASSERT_TRUE(Load()) << library_.LastError();
        initInfo_ = Entry<int (*)(void *)>("ExtInitInfo");
        initItem_ = Entry<int (*)(void *)>("ExtInitItem");
        getStand_ = Entry<int (*)(void *)>("ExtGetStand");
        getCondition_ = Entry<int (*)(int, char *, int)>("ExtGetCondition");
        ASSERT_TRUE(initInfo_ && initItem_ && getStand_ && getCondition_);
    }

    Buffer Info(const std::vector<std::pair<int, const char *>> &values) {
        Buffer b(PLINTH_BUFFER_BYTES);
        for (auto &[id, utf8] : values)
            EXPECT_EQ(plinth_.WriteStdHead_Info(b.data(), id, Gbk(utf8).c_str()), 1);
        return b;
    }
    Buffer Items(const std::vector<int> &ids) {
        Buffer b(PLINTH_BUFFER_BYTES);
        for (int id : ids) EXPECT_EQ(plinth_.WriteStdHead_Item(b.data(), id, 1), 1);
        return b;
    }
    std::vector<Limit> Limits(const Buffer &b) {
        std::vector<Limit> out;
        StdHead head;
        if (plinth_.ParseStdHead(b.data(), &head) != 1) return out;
        for (int i = 0; i < head.count; ++i) {
            StdEntry e{};
            if (plinth_.ParseStdHead_Std_Idx(b.data(), i, &e) == 1)
                out.push_back({e.paramId, e.lvalue, e.hvalue});
        }
        return out;
    }
    std::string Condition(int item) {
        char out[200];
        EXPECT_EQ(getCondition_(item, out, sizeof out), 1) << item;
        return out;
    }

    bridges::PlinthBridge plinth_;
    int (*initInfo_)(void *) = nullptr;
    int (*initItem_)(void *) = nullptr;
    int (*getStand_)(void *) = nullptr;
    int (*getCondition_)(int, char *, int) = nullptr;
};

// A sedan in use with hydraulic brakes and two headlamps.
const std::vector<std::pair<int, const char *>> kSedan = {
    {1082, "10820001"}, {1088, "1580"},     {1083, "1230"}, {1089, "5"},       {1014, "2015-06-18"},
    {1037, "10370001"}, {1009, "10090002"}, {1066, "185"},  {1008, "10080002"}};

const std::vector<Row> kSedanTable = {
    {1, 223, "液压制动/乘用车,总质量<=3500kg的货车", 2231, 60, 100},
    {1, 223, "液压制动/乘用车,总质量<=3500kg的货车", 2232, 0, 20},
    {2, 235, "在用车/其他汽车/两灯/乘用车", 2351, 15000, 0},
    {3, 231, "侧滑", 2311, -5, 5},
    {3, 999, "侧滑", 9991, 1, 2},  // an item the engine does not know
};

}  // namespace

TEST_F(Judging, WritesTheLimitsOfEveryItemTheTableHolds) {
    WriteStandards(kSedanTable);
    LoadPlugin();
    Buffer info = Info(kSedan);
    ASSERT_EQ(initInfo_(info.data()), 1);
    Buffer standard(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(standard.data()), 3);
    const std::vector<Limit> expected = {
        {2231, 60, 100}, {2232, 0, 20}, {2351, 15000, 0}, {2311, -5, 5}};
    EXPECT_EQ(Limits(standard), expected);
    EXPECT_EQ(Condition(223), Gbk("液压制动/乘用车,总质量<=3500kg的货车"));

    // A second pass appends the same limits again.
    EXPECT_EQ(getStand_(standard.data()), 3);
    std::vector<Limit> twice = expected;
    twice.insert(twice.end(), expected.begin(), expected.end());
    EXPECT_EQ(Limits(standard), twice);
}

TEST_F(Judging, ItemBufferSelectsAndAnEmptyOneKeepsTheSelection) {
    WriteStandards(kSedanTable);
    LoadPlugin();
    Buffer info = Info(kSedan);
    ASSERT_EQ(initInfo_(info.data()), 1);
    Buffer items = Items({231, 252});
    EXPECT_EQ(initItem_(items.data()), -1000);
    Buffer standard(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(standard.data()), 1);
    EXPECT_EQ(Limits(standard), (std::vector<Limit>{{2311, -5, 5}}));

    // A valid item head with no entries: 0, and the selection stays.
    Buffer empty(PLINTH_BUFFER_BYTES);
    StdHead head{};
    head.magic[0] = 0x55;
    head.magic[1] = 0xAA;
    head.kind = PLINTH_KIND_ITEM;
    ASSERT_EQ(plinth_.WriteStdHead(empty.data(), &head), 1);
    EXPECT_EQ(initItem_(empty.data()), 0);
    Buffer again(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(again.data()), 1);

    // A null buffer selects every item the table holds again.
    EXPECT_EQ(initItem_(nullptr), -1000);
    Buffer all(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(all.data()), 3);
}

TEST_F(Judging, RejectsBuffersThatAreNotInformation) {
    WriteStandards(kSedanTable);
    LoadPlugin();
    EXPECT_EQ(initInfo_(nullptr), 0);
    Buffer garbage(PLINTH_BUFFER_BYTES, 0xAB);
    EXPECT_EQ(initInfo_(garbage.data()), 0);
    EXPECT_EQ(getStand_(nullptr), 0);
    // A garbage standard buffer is started afresh.
    EXPECT_EQ(getStand_(garbage.data()), 3);
    EXPECT_EQ(Limits(garbage).size(), 4u);
}

TEST_F(Judging, SeriesModeUsesTheSeriesKey) {
    WriteEnvironment("1,x,,,,,,,,,,,,,,,,1");
    WriteStandards(
        {{1, 223, "一汽大众_FV7160FG", 2231, 55, 100}, {1, 252, "一汽大众_FV7160FG", 2521, 1, 9}});
    LoadPlugin();
    auto sedan = kSedan;
    sedan.push_back({1104, "一汽大众"});
    sedan.push_back({1069, "10690038"});
    Buffer info = Info(sedan);
    ASSERT_EQ(initInfo_(info.data()), 1);
    Buffer standard(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(standard.data()), 2);
    EXPECT_EQ(Limits(standard), (std::vector<Limit>{{2231, 55, 100}, {2521, 1, 9}}));
    EXPECT_EQ(Condition(216), Gbk("一汽大众_FV7160FG"));
}

TEST_F(Judging, ConditionIsCutOnACharacterBoundary) {
    WriteStandards(kSedanTable);
    LoadPlugin();
    Buffer info = Info(kSedan);
    ASSERT_EQ(initInfo_(info.data()), 1);
    char out[6];
    std::memset(out, 'x', sizeof out);
    // "液压制动/..." : 4 bytes of room before the NUL hold two characters.
    EXPECT_EQ(getCondition_(223, out, 5), 1);
    EXPECT_EQ(std::string(out), Gbk("液压"));
    EXPECT_EQ(getCondition_(223, out, 4), 1);
    EXPECT_EQ(std::string(out), Gbk("液"));
    EXPECT_EQ(getCondition_(223, nullptr, 10), -1003);
    EXPECT_EQ(getCondition_(223, out, 0), -1003);
    EXPECT_EQ(getCondition_(252, out, sizeof out), 0);  // no rule outside series mode
    EXPECT_EQ(out[0], '\0');
}

TEST_F(Judging, UnreadableStandardFileLeavesAnEmptyTable) {
    testing_support::WriteBytes(ConfigDir() + "/StandarFile.sfd", std::string(8, '\0'));
    LoadPlugin();
    Buffer info = Info(kSedan);
    ASSERT_EQ(initInfo_(info.data()), 1);
    Buffer standard(PLINTH_BUFFER_BYTES);
    EXPECT_EQ(getStand_(standard.data()), 0);
    EXPECT_TRUE(Limits(standard).empty());
}
