// Scripts and tab-separated imports.
#include <gtest/gtest.h>

#include "stationdb/stationdb.h"
#include "temp_dir.h"
#include "test_database.h"

namespace {

using stationdb::DatabaseError;
using stationdb::Statement;
using testing_support::Gbk;
using testing_support::TempDir;
using testing_support::WriteBytes;

class StationDbScript : public ::testing::TestWithParam<std::string> {
  protected:
    testdb::TestDatabase db_{GetParam()};
    TempDir dir_;

    std::vector<std::string> Rows(const std::string &sql) {
        Statement select(db_.Admin(), sql);
        select.Execute();
        std::vector<std::string> rows;
        while (select.Fetch()) {
            std::string row;
            for (int c = 1; c <= select.ColumnCount(); ++c) {
                bool isNull = false;
                std::string value = select.Text(c, &isNull);
                row += (c == 1 ? "" : "|") + (isNull ? std::string("NULL") : value);
            }
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_P(StationDbScript, SkipsCommentsBlankLinesAndGo) {
    stationdb::ExecuteScript(db_.Admin(),
                             "-- a comment\r\n"
                             "\n"
                             "CREATE TABLE t_script (\n"
                             "    a integer,\n"
                             "    -- inside\n"
                             "    b varchar(10)\n"
                             ");\n"
                             "  go  \n"
                             "GO\n"
                             "INSERT INTO t_script (a, b) VALUES (1, 'x;y');\n"
                             "INSERT INTO t_script (a, b)\n"
                             "    VALUES (2, 'z')   ;  \n"
                             "Go\n"
                             "INSERT INTO t_script (a, b) VALUES (3, 'last')");
    EXPECT_EQ(Rows("SELECT a, b FROM t_script ORDER BY a"),
              (std::vector<std::string>{"1|x;y", "2|z", "3|last"}));
}

TEST_P(StationDbScript, FailingStatementIsNamed) {
    try {
        stationdb::ExecuteScript(db_.Admin(),
                                 "INSERT INTO tb_line_info (devid) VALUES (1);\n"
                                 "INSERT INTO tb_missing (devid) VALUES (2);\n"
                                 "INSERT INTO tb_line_info (devid) VALUES (3);\n");
        FAIL() << "the script ran through a missing table";
    } catch (const DatabaseError &e) {
        EXPECT_NE(e.Message().find("INSERT INTO tb_missing (devid) VALUES (2)"), std::string::npos)
            << e.what();
    }
    EXPECT_EQ(Rows("SELECT devid FROM tb_line_info"), (std::vector<std::string>{"1"}));
}

TEST_P(StationDbScript, ImportsTabSeparatedRows) {
    std::string path = dir_.File("tb_id_standard.tsv");
    WriteBytes(path,
               "stdorder:int\titemid:int\tparamid:int\tcondition\r\n"
               "1\t2\t3\t制动率\r\n"
               "1\t2\t4\t\r\n"
               "\t5\t6\tO'Brien\n");
    EXPECT_EQ(stationdb::ImportTsv(db_.Admin(), "tb_id_standard", path), 3);
    EXPECT_EQ(
        Rows("SELECT stdorder, itemid, paramid, condition FROM tb_id_standard ORDER BY paramid"),
        (std::vector<std::string>{"1|2|3|" + Gbk("制动率"), "1|2|4|", "NULL|5|6|O'Brien"}));
}

TEST_P(StationDbScript, MalformedFileInsertsNothing) {
    struct Case {
        const char *content;
        const char *line;
    };
    const Case cases[] = {
        {"devid:int\tdevname\n1\ta\n2\n3\tc\n", "line 3"},
        {"devid:int\tdevname\n1\ta\n2\tb\textra\n", "line 3"},
        {"devid:int\tdevname\n1\ta\nx\tb\n", "line 3"},
        {"devid:int\tnosuchcolumn\n1\ta\n", "line"},
        {"", "line 1"},
    };
    for (const Case &c : cases) {
        std::string path = dir_.File("tb_line_info.tsv");
        WriteBytes(path, c.content);
        try {
            stationdb::ImportTsv(db_.Admin(), "tb_line_info", path);
            ADD_FAILURE() << "imported " << c.content;
        } catch (const DatabaseError &e) {
            EXPECT_NE(e.Message().find(c.line), std::string::npos) << e.what();
        }
        EXPECT_TRUE(Rows("SELECT devid FROM tb_line_info").empty()) << c.content;
    }
    // The connection is back in auto-commit.
    db_.Exec("INSERT INTO tb_line_info (devid) VALUES (9)");
    db_.Admin().Close();
    EXPECT_EQ(Rows("SELECT devid FROM tb_line_info"), (std::vector<std::string>{"9"}));
}

TEST_P(StationDbScript, SeedDirectoryLoadsEveryTable) {
    WriteBytes(dir_.File("tb_line_info.tsv"), "devid:int\tdevname\n1\tline one\n");
    WriteBytes(dir_.File("tb_id_item.tsv"), "ItemId:int\tItemName\n10\t灯光\n11\t侧滑\n");
    WriteBytes(dir_.File("notes.txt"), "not a table\n");
    db_.ImportSeed(dir_.Path());
    EXPECT_EQ(Rows("SELECT devname FROM tb_line_info"), (std::vector<std::string>{"line one"}));
    EXPECT_EQ(Rows("SELECT ItemName FROM tb_id_item ORDER BY ItemId"),
              (std::vector<std::string>{Gbk("灯光"), Gbk("侧滑")}));
}

INSTANTIATE_TEST_SUITE_P(Backends, StationDbScript, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

}  // namespace
