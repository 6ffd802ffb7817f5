// Texts across the driver: GBK in, UTF-8 through ODBC, GBK out.
#include <gtest/gtest.h>

#include <cctype>
#include <string_view>
#include <utility>

#include "platform/gbk.h"
#include "stationdb/stationdb.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

using stationdb::DatabaseError;
using stationdb::Statement;
using testing_support::Gbk;

class StationDbText : public ::testing::TestWithParam<std::string> {
  protected:
    testdb::TestDatabase db_{GetParam()};

    // Stores `gbk` as the condition of a tb_id_standard row with `paramid`.
    void Store(int paramid, const std::string &gbk) {
        Statement insert(
            db_.Admin(),
            "INSERT INTO tb_id_standard (itemid, condition, paramid) VALUES (1, ?, ?)");
        insert.BindText(1, gbk);
        insert.BindInt(2, paramid);
        insert.Execute();
    }
    std::string Load(int paramid, bool *isNull = nullptr) {
        Statement select(db_.Admin(), "SELECT condition FROM tb_id_standard WHERE paramid = ?");
        select.BindInt(1, paramid);
        select.Execute();
        EXPECT_TRUE(select.Fetch());
        return select.Text(1, isNull);
    }
};

TEST_P(StationDbText, ChineseAndApostropheRoundTrip) {
    std::string text = Gbk("车速表'检验 O'Brien；制动率≥60%");
    Store(1, text);
    EXPECT_EQ(Load(1), text);
    // Compared as UTF-8 inside the database.
    Statement select(db_.Admin(), "SELECT paramid FROM tb_id_standard WHERE condition = ?");
    select.BindText(1, text);
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.Text(1), "1");
    EXPECT_EQ(select.Utf8(1), "1");
}

TEST_P(StationDbText, DirectStatementRunsAgainWithNewParameters) {
    Store(1, Gbk("液压/乘用车"));
    Store(2, "O'Brien");
    Statement select(db_.Admin(),
                     "SELECT paramid, condition FROM tb_id_standard WHERE condition = ?",
                     Statement::Direct{});
    for (const auto &[text, paramid] :
         {std::pair<std::string, std::string>{Gbk("液压/乘用车"), "1"}, {"O'Brien", "2"}}) {
        select.BindText(1, text);
        select.Execute();
        ASSERT_TRUE(select.Fetch());
        // Views of a row stay valid together, read in any order.
        std::string_view condition = select.View(2);
        std::string_view id = select.View(1);
        EXPECT_EQ(id, paramid);
        EXPECT_EQ(condition, platform::GbkToUtf8OrThrow(text));
        EXPECT_FALSE(select.Fetch());
    }
}

TEST_P(StationDbText, LongTextComesBackWhole) {
    std::string text;
    while (text.size() < 4990) text += Gbk("检验") + "ab";
    text.resize(5000, 'z');  // 5000 GBK bytes whose UTF-8 form is longer still
    db_.Exec("CREATE TABLE t_long (v varchar(8000))");
    db_.Exec("INSERT INTO t_long (v) VALUES (?)", {text});
    Statement select(db_.Admin(), "SELECT v FROM t_long");
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    std::string back = select.Text(1);
    EXPECT_EQ(back.size(), 5000u);
    EXPECT_EQ(back, text);
}

TEST_P(StationDbText, NullAndEmptyAreTold) {
    Store(1, "");
    db_.Exec("INSERT INTO tb_id_standard (itemid, condition, paramid) VALUES (1, NULL, 2)");
    Statement nullInsert(
        db_.Admin(), "INSERT INTO tb_id_standard (itemid, condition, paramid) VALUES (1, ?, ?)");
    nullInsert.BindNullText(1);
    nullInsert.BindInt(2, 3);
    nullInsert.Execute();
    bool isNull = true;
    EXPECT_EQ(Load(1, &isNull), "");
    EXPECT_FALSE(isNull);
    for (int paramid : {2, 3}) {
        isNull = false;
        EXPECT_EQ(Load(paramid, &isNull), "");
        EXPECT_TRUE(isNull) << paramid;
    }
}

TEST_P(StationDbText, ColumnsAreFoundIgnoringCase) {
    db_.Exec("INSERT INTO tb_id_item (ItemId, ItemName) VALUES (7, ?)", {Gbk("灯光")});
    Statement select(db_.Admin(), "SELECT ItemId, ItemName FROM tb_id_item");
    select.Execute();
    ASSERT_EQ(select.ColumnCount(), 2);
    EXPECT_EQ(select.Column("itemid"), 1);
    EXPECT_EQ(select.Column("ITEMNAME"), 2);
    ASSERT_TRUE(select.Fetch());
    // Out of column order, and the same column twice.
    EXPECT_EQ(select.Text("itemname"), Gbk("灯光"));
    EXPECT_EQ(select.Text("ItemId"), "7");
    EXPECT_EQ(select.Text("ItemName"), Gbk("灯光"));
    try {
        select.Column("ItemNam");
        FAIL() << "found a column that is not there";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState(), "42S22");
    }
}

TEST_P(StationDbText, TextWithNoGbkFormNamesRowAndColumn) {
    Statement insert(db_.Admin(), "INSERT INTO tb_id_item (ItemId, ItemName) VALUES (?, ?)");
    insert.BindInt(1, 1);
    insert.BindUtf8(2, "plain");
    insert.Execute();
    insert.BindInt(1, 2);
    insert.BindUtf8(2, "smile \xF0\x9F\x98\x80 and \xE0\xB8\x81");  // U+1F600, U+0E01
    insert.Execute();
    Statement select(db_.Admin(), "SELECT ItemId, ItemName FROM tb_id_item ORDER BY ItemId");
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.Text(2), "plain");
    ASSERT_TRUE(select.Fetch());
    try {
        select.Text(2);
        FAIL() << "a text with no GBK form was converted";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState(), "22018");
        EXPECT_NE(e.Message().find("row 2"), std::string::npos) << e.what();
        std::string lower = e.Message();
        for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_NE(lower.find("column itemname"), std::string::npos) << e.what();
    }
    // The raw value is still there, unconverted.
    EXPECT_EQ(select.Utf8(2), "smile \xF0\x9F\x98\x80 and \xE0\xB8\x81");
}

TEST_P(StationDbText, ParameterThatIsNotGbkIsRefused) {
    Statement insert(db_.Admin(), "INSERT INTO tb_id_item (ItemId, ItemName) VALUES (1, ?)");
    try {
        insert.BindText(1, "\x81");  // a lead byte with no trail byte
        FAIL() << "bound a broken GBK text";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState(), "22018");
    }
}

INSTANTIATE_TEST_SUITE_P(Backends, StationDbText, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
