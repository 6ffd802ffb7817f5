// The stored form of a change set's rows: what PackChanges writes reads back
// the same, whatever the texts hold, and a text edited into something it
// never writes is refused whole.
#include <gtest/gtest.h>

#include "generator/limit_history.h"

namespace {

using generator::HistoryRow;
using generator::LimitValues;

HistoryRow Row(int itemid, int paramid, std::optional<LimitValues> before,
               std::optional<LimitValues> after) {
    HistoryRow row;
    row.itemid = itemid;
    row.condition = "大众_宝来";
    row.paramid = paramid;
    row.before = std::move(before);
    row.after = std::move(after);
    return row;
}

TEST(HistoryFormat, WhatIsPackedUnpacksTheSame) {
    std::vector<HistoryRow> rows = {
        Row(223, 2231, std::nullopt, LimitValues{"60.00", "0.00"}),
        Row(223, 2232, LimitValues{"", "-1.5"}, LimitValues{"70.00", ""}),
        Row(224, 2241, LimitValues{"a\tb\\n", "\r\n"}, std::nullopt),
        Row(-7, 0, LimitValues{"\\N", "\\"}, std::nullopt),
    };
    rows[2].type = "制动台\t2";
    rows[2].itemname = "一轴\\制动";
    rows[2].paramname = "率\n";
    rows[2].stdorder = -3;
    const std::string packed = generator::PackChanges(rows.data(), rows.data() + rows.size());
    std::vector<HistoryRow> back = {Row(1, 1, std::nullopt, LimitValues{})};
    ASSERT_TRUE(generator::UnpackChanges("大众_宝来", packed, back));
    ASSERT_EQ(back.size(), rows.size() + 1);  // appended after what was there
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const HistoryRow &a = rows[i], &b = back[i + 1];
        EXPECT_EQ(b.itemid, a.itemid);
        EXPECT_EQ(b.paramid, a.paramid);
        EXPECT_EQ(b.condition, a.condition);
        EXPECT_EQ(b.before, a.before) << i;
        EXPECT_EQ(b.after, a.after) << i;
        EXPECT_EQ(b.type, a.type);
        EXPECT_EQ(b.itemname, a.itemname);
        EXPECT_EQ(b.paramname, a.paramname);
        EXPECT_EQ(b.stdorder, a.stdorder);
    }
    EXPECT_EQ(generator::ItemBlock(223), 6);
    EXPECT_EQ(generator::ItemBlock(-7), -1);
}

TEST(HistoryFormat, AnEditedTextIsRefusedWhole) {
    const HistoryRow good = Row(223, 2231, LimitValues{"1", "2"}, LimitValues{"3", "4"});
    const std::string line = generator::PackChanges(&good, &good + 1);
    for (const std::string &text : std::vector<std::string>{
             std::string(),                                     // no line at all
             line.substr(0, line.size() - 1),                   // the last line cut
             line + "223\t2231\t0\t1\t2\t3\n",                  // fields missing
             line + line.substr(0, line.size() - 1) + "\tx\n",  // a field too many
             "22x\t2231\t0\t1\t2\t3\t4\t\t\t\n",                // not a number
             "99999999999\t2231\t0\t1\t2\t3\t4\t\t\t\n",        // beyond the column
             "223\t2231\t0\t\\N\t2\t3\t4\t\t\t\n",              // half an absent pair
             "223\t2231\t0\t\\N\t\\N\t\\N\t\\N\t\t\t\n",        // neither before nor after
             "223\t2231\t0\t1\\q\t2\t3\t4\t\t\t\n",             // an escape never written
             "223\t2231\t0\t1\t2\t3\t4\t\t\t\\\n",              // a lone backslash at the end
         }) {
        std::vector<HistoryRow> rows(1);
        EXPECT_FALSE(generator::UnpackChanges("c", text, rows)) << text;
        EXPECT_EQ(rows.size(), 1u) << text;
    }
}

}  // namespace
