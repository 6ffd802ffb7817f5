#include "engine/lookup.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "store/standard_table.h"
#include "store_records.h"

using store_test::Rec;

namespace engine {
namespace {

struct Limit {
    int paramId;
    float lvalue;
    float hvalue;
    bool operator==(const Limit &) const = default;
};

void PrintTo(const Limit &l, std::ostream *os) {
    *os << "{" << l.paramId << ", " << l.lvalue << ", " << l.hvalue << "}";
}

// A started standard buffer and the environment library of the build.
class WriteItemStandardTest : public ::testing::Test {
  protected:
    void SetUp() override {
        static const int anchor = 0;  // an address inside this program
        ASSERT_EQ(plinth_.LoadPlinth(1, &anchor), 1);
        buffer_.assign(PLINTH_BUFFER_BYTES, 0);
        StdHead head{};
        head.magic[0] = 0x55;
        head.magic[1] = 0xAA;
        head.version[0] = head.version[1] = head.version[2] = 1;
        head.kind = PLINTH_KIND_STD;
        ASSERT_EQ(plinth_.WriteStdHead(buffer_.data(), &head), 1);
    }

    int Write(int itemId, const char *condition, int classFlag = 0) {
        return WriteItemStandard(plinth_, table_, buffer_.data(), itemId, condition, classFlag);
    }

    std::vector<Limit> Written() const {
        StdHead head{};
        EXPECT_EQ(plinth_.ParseStdHead(buffer_.data(), &head), 1);
        std::vector<Limit> limits;
        for (int i = 0; i < head.count; ++i) {
            StdEntry e{};
            EXPECT_EQ(plinth_.ParseStdHead_Std_Idx(buffer_.data(), i, &e), 1);
            limits.push_back({e.paramId, e.lvalue, e.hvalue});
        }
        return limits;
    }

    bridges::PlinthBridge plinth_;
    store::StandardTable table_;
    std::vector<char> buffer_;
};

TEST_F(WriteItemStandardTest, OnlyTheFirstDeviceOfAPairIsWritten) {
    table_.InsertRecord(Rec(1, 223, "other", 9, 9, 9));
    table_.InsertRecord(Rec(1, 224, "pair", 1, 60, 50));
    table_.InsertRecord(Rec(1, 224, "pair", 2, 0.5f, 0.25f));
    table_.InsertRecord(Rec(2, 224, "pair", 3, 70, 20));
    EXPECT_EQ(Write(224, "pair"), 1);
    EXPECT_EQ(Written(), (std::vector<Limit>{{1, 50, 60}, {2, 0.25f, 0.5f}}));
}

TEST_F(WriteItemStandardTest, LaterDeviceSuppliesThePairWhenTheFirstLacksIt) {
    table_.InsertRecord(Rec(1, 224, "else", 1, 1, 1));
    table_.InsertRecord(Rec(2, 224, "RM<=1020", 4, 8, 2));
    EXPECT_EQ(Write(224, "rm<=1020"), 1);
    EXPECT_EQ(Written(), (std::vector<Limit>{{4, 2, 8}}));
}

TEST_F(WriteItemStandardTest, NothingFoundWritesNothing) {
    table_.InsertRecord(Rec(1, 224, "pair", 1, 60, 50));
    EXPECT_EQ(Write(224, "pai"), 0);
    EXPECT_EQ(Write(225, "pair"), 0);
    EXPECT_EQ(Write(224, ""), 0);
    EXPECT_EQ(Write(224, nullptr), 0);
    EXPECT_TRUE(Written().empty());
}

TEST_F(WriteItemStandardTest, ConditionWithoutParametersGivesZero) {
    ASSERT_TRUE(table_.AppendDevice(1));
    ASSERT_TRUE(table_.AppendItem(0, 231));
    ASSERT_TRUE(table_.AppendCondition(0, 0, "empty"));
    EXPECT_EQ(Write(231, "EMPTY"), 0);
    EXPECT_TRUE(Written().empty());
}

// Item 276: the class flag zeroes 7001 and 7003 when set, 7004 when clear.
struct ZeroingCase {
    int itemId;
    int classFlag;
    std::vector<Limit> expected;
};

void PrintTo(const ZeroingCase &c, std::ostream *os) {
    *os << "item " << c.itemId << ", class flag " << c.classFlag;
}

class WriteItemStandardZeroing : public WriteItemStandardTest,
                                 public ::testing::WithParamInterface<ZeroingCase> {};

TEST_P(WriteItemStandardZeroing, ZeroesTheLimitsTheClassFlagSelects) {
    const ZeroingCase &c = GetParam();
    for (int p : {7001, 7003, 7004, 7005})
        table_.InsertRecord(Rec(1, c.itemId, "class", p, static_cast<float>(p), 1.5f));
    EXPECT_EQ(Write(c.itemId, "class", c.classFlag), 1);
    EXPECT_EQ(Written(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Item276, WriteItemStandardZeroing,
    ::testing::Values(
        ZeroingCase{
            276, 0, {{7001, 1.5f, 7001}, {7003, 1.5f, 7003}, {7004, 0, 0}, {7005, 1.5f, 7005}}},
        ZeroingCase{276, 1, {{7001, 0, 0}, {7003, 0, 0}, {7004, 1.5f, 7004}, {7005, 1.5f, 7005}}},
        ZeroingCase{276, -3, {{7001, 0, 0}, {7003, 0, 0}, {7004, 1.5f, 7004}, {7005, 1.5f, 7005}}},
        ZeroingCase{
            216,
            1,
            {{7001, 1.5f, 7001}, {7003, 1.5f, 7003}, {7004, 1.5f, 7004}, {7005, 1.5f, 7005}}}));

}  // namespace
}  // namespace engine
