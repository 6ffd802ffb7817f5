#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "allocation_counter.h"
#include "store/condition_compare.h"
#include "store/standard_file_format.h"
#include "store/standard_table.h"
#include "store_records.h"
#include "temp_dir.h"

namespace store {
namespace {

using store_test::Rec;
using testing_support::Gbk;

int FirstParam(const StdCondition *c) {
    return c == nullptr || c->params.empty() ? -1 : c->params[0].paramid;
}

TEST(FindStandard, CaseVariantsAreFoundFirstInScanOrder) {
    StandardTable table;
    table.InsertRecord(Rec(1, 223, "RM<=1020", 9));  // another item: never matches 216
    table.InsertRecord(Rec(1, 216, "other", 1));
    table.InsertRecord(Rec(2, 216, "rm<=1020", 2));
    table.InsertRecord(Rec(2, 216, "RM<=1020", 3));
    table.InsertRecord(Rec(3, 216, "Rm<=1020", 4));
    EXPECT_EQ(FirstParam(table.FindStandard(216, "RM<=1020")), 2);
    EXPECT_EQ(FirstParam(table.FindStandard(216, "rM<=1020")), 2);
    EXPECT_EQ(FirstParam(table.FindStandard(223, "rm<=1020")), 9);
    EXPECT_EQ(table.FindStandard(224, "rm<=1020"), nullptr);
    EXPECT_EQ(table.FindStandard(216, "rm<=1021"), nullptr);
}

TEST(FindStandard, GbkTrailBytesAreComparedExactly) {
    // 0x81 0x41 and 0x81 0x61: two characters whose trail bytes are 'A' and 'a'.
    const std::string upperTrail = Gbk("丄"), lowerTrail = Gbk("乤");
    ASSERT_EQ(upperTrail, "\x81\x41");
    ASSERT_EQ(lowerTrail, "\x81\x61");
    StandardTable table;
    table.InsertRecord(Rec(1, 216, "X" + upperTrail + "y", 1));
    EXPECT_EQ(FirstParam(table.FindStandard(216, "x" + upperTrail + "Y")), 1);
    EXPECT_EQ(table.FindStandard(216, "X" + lowerTrail + "y"), nullptr);
    EXPECT_EQ(table.ScanStandard(216, "X" + lowerTrail + "y"), nullptr);
}

TEST(FindStandard, EmptyConditionMatchesOnlyAnEmptyOne) {
    StandardTable table;
    table.InsertRecord(Rec(1, 231, "a", 1));
    table.InsertRecord(Rec(1, 231, "", 2));
    table.InsertRecord(Rec(1, 232, "a", 3));
    EXPECT_EQ(FirstParam(table.FindStandard(231, "")), 2);
    EXPECT_EQ(table.FindStandard(232, ""), nullptr);
}

TEST(FindStandard, ConditionLongerThan149BytesNeverMatches) {
    const std::string text(149, 'm');
    StandardTable table;
    table.InsertRecord(Rec(1, 216, text, 1));
    EXPECT_EQ(FirstParam(table.FindStandard(216, std::string(149, 'M'))), 1);
    EXPECT_EQ(table.FindStandard(216, text + "m"), nullptr);
    EXPECT_EQ(table.FindStandard(216, std::string(400, 'm')), nullptr);
}

TEST(FindStandard, FollowsEveryChangeOfTheTable) {
    StandardTable table;
    EXPECT_EQ(table.FindStandard(216, "a"), nullptr);
    table.InsertRecord(Rec(1, 216, "a", 1));
    EXPECT_EQ(FirstParam(table.FindStandard(216, "A")), 1);
    table.InsertRecord(Rec(1, 216, "b", 2));
    EXPECT_EQ(FirstParam(table.FindStandard(216, "B")), 2);
    table.ResetCounts();
    EXPECT_EQ(table.FindStandard(216, "a"), nullptr);
    ASSERT_TRUE(table.AppendDevice(1) && table.AppendItem(0, 216) &&
                table.AppendCondition(0, 0, "c"));
    EXPECT_NE(table.FindStandard(216, "C"), nullptr);

    testing_support::TempDir dir;
    const std::string path = dir.File(sfd::kFileName);
    testing_support::WriteBytes(
        path, store_test::FileHeader(1, 170) + store_test::FileRecord(1, 216, "d", 4));
    ASSERT_EQ(table.LoadFromFile(path), 1);
    EXPECT_EQ(table.FindStandard(216, "c"), nullptr);
    EXPECT_EQ(FirstParam(table.FindStandard(216, "D")), 4);
}

TEST(FindStandard, LookupsDoNotAllocate) {
    StandardTable table;
    for (int c = 0; c < 300; ++c) table.InsertRecord(Rec(1, 216, "cond" + std::to_string(c), 1));
    ASSERT_NE(table.FindStandard(216, "cond0"), nullptr);  // builds the index
    const std::string queries[] = {"COND17", "cond299", "nothing", std::string(149, 'x'),
                                   std::string(300, 'y')};
    store_test::AllocationCounter allocations;
    for (int round = 0; round < 44; ++round)
        for (const std::string &q : queries) table.FindStandard(216, q);
    EXPECT_EQ(allocations.Count(), 0u);
}

// Random texts over a small alphabet with letters of both cases and GBK
// characters whose trail bytes are letters, so that many texts are equal
// ignoring case and some differ only in a trail byte.
std::string RandomText(std::mt19937 &rng) {
    static const std::string pieces[] = {"a",        "A",        "b",        "B", "<", "1",
                                         "\x81\x41", "\x81\x61", "\xC6\xFB", "/", "z"};
    std::string text;
    const int n = static_cast<int>(rng() % 5);
    for (int i = 0; i < n; ++i) text += pieces[rng() % std::size(pieces)];
    return text;
}

std::string FlipCase(std::string text, std::mt19937 &rng) {
    for (char &c : text)
        if (rng() % 2 == 0 && ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) c ^= 0x20;
    return text;  // may flip a GBK trail byte as well: such a query must not match
}

TEST(FindStandard, AnswersAsTheScanOnRandomTables) {
    std::mt19937 rng(20240611);
    for (int round = 0; round < 6; ++round) {
        StandardTable table;
        std::vector<std::string> stored;
        // The first rounds overflow the device level, the last ones the
        // condition level of every item.
        const bool manyConditions = round >= 4;
        const int records = manyConditions ? 12000 : 2000;
        const unsigned devices = manyConditions ? 2 : 25, items = manyConditions ? 3 : 6;
        for (int r = 0; r < records; ++r) {
            std::string text = RandomText(rng);
            if (manyConditions) text += std::to_string(rng() % 700);
            stored.push_back(text);
            table.InsertRecord(Rec(1 + static_cast<int>(rng() % devices),
                                   200 + static_cast<int>(rng() % items), stored.back(),
                                   static_cast<int>(rng() % 60)));
        }
        if (manyConditions) {
            ASSERT_EQ(table.Devices()[0].items[0].conditions.size(),
                      static_cast<std::size_t>(kMaxConditionsPerItem));
        }
        for (int q = 0; q < 3000; ++q) {
            const std::string query =
                q % 2 == 0 ? FlipCase(stored[rng() % stored.size()], rng) : RandomText(rng);
            const int item = 200 + static_cast<int>(rng() % 7);
            ASSERT_EQ(table.FindStandard(item, query), table.ScanStandard(item, query))
                << "round " << round << " item " << item << " query " << query;
        }
    }
}

}  // namespace
}  // namespace store
