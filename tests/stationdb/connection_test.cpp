// Connections, errors and transactions, run against every backend.
#include <gtest/gtest.h>
#include <unistd.h>

#include "stationdb/stationdb.h"
#include "test_database.h"

namespace {

using stationdb::Connection;
using stationdb::DatabaseError;
using stationdb::Dialect;
using stationdb::Statement;

class StationDbConnection : public ::testing::TestWithParam<std::string> {
  protected:
    testdb::TestDatabase db_{GetParam()};

    long long Count(const std::string &table) {
        Statement count(db_.Admin(), "SELECT COUNT(*) FROM " + table);
        count.Execute();
        EXPECT_TRUE(count.Fetch());
        return std::stoll(count.Utf8(1));
    }
};

TEST(StationDbOpen, UnknownDataSourceFailsWithoutPromptAndStaysClosed) {
    Connection connection;
    try {
        connection.Open("DSN=no_such_source_here;UID=;PWD=;");
        FAIL() << "opened a data source that does not exist";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState(), "IM002") << e.what();
        EXPECT_FALSE(e.Message().empty());
        EXPECT_EQ(std::string(e.what()).rfind("[IM002] ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_THROW(connection.Execute("SELECT 1"), DatabaseError);
}

TEST_P(StationDbConnection, DetectsTheDialect) {
    Connection connection;
    connection.SetLoginTimeout(5);
    connection.SetQueryTimeout(30);
    connection.Open(db_.ConnectString());
    EXPECT_TRUE(connection.IsOpen());
    Dialect expected = GetParam() == "sqlite" ? Dialect::kSqlite : Dialect::kPostgreSql;
    EXPECT_EQ(connection.GetDialect(), expected) << stationdb::DialectName(connection.GetDialect());
    // The query time-out is applied to every statement without complaint.
    EXPECT_EQ(connection.Execute("INSERT INTO tb_line_info (devid, devname) VALUES (1, 'a')"), 1);
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
}

TEST_P(StationDbConnection, UpdateOrDeleteOfNoRowAffectsZero) {
    EXPECT_EQ(db_.Admin().Execute("UPDATE tb_line_info SET devname = 'x' WHERE devid = 99"), 0);
    EXPECT_EQ(db_.Admin().Execute("DELETE FROM tb_line_info"), 0);
    db_.Exec("INSERT INTO tb_line_info (devid, devname) VALUES (1, 'a')");
    db_.Exec("INSERT INTO tb_line_info (devid, devname) VALUES (2, 'b')");
    EXPECT_EQ(db_.Admin().Execute("UPDATE tb_line_info SET devname = ?", {"c"}), 2);
}

TEST_P(StationDbConnection, TransactionRollsBackUnlessCommitted) {
    Connection &c = db_.Admin();
    {
        stationdb::Transaction transaction(c);
        c.Execute("INSERT INTO tb_line_info (devid, devname) VALUES (1, 'gone')");
    }
    EXPECT_EQ(Count("tb_line_info"), 0);
    {
        stationdb::Transaction transaction(c);
        c.Execute("INSERT INTO tb_line_info (devid, devname) VALUES (2, 'kept')");
        transaction.Commit();
    }
    // Auto-commit is back: a statement after the transaction stays without a commit.
    c.Execute("INSERT INTO tb_line_info (devid, devname) VALUES (3, 'auto')");
    c.Close();
    EXPECT_EQ(Count("tb_line_info"), 2);
}

TEST_P(StationDbConnection, SyntaxErrorCarriesSqlStateAndDriverMessage) {
    try {
        db_.Exec("SELEC 1 FROM tb_line_info");
        FAIL() << "a syntax error went through";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState().size(), 5u) << e.what();
        EXPECT_NE(e.SqlState(), "00000");
        EXPECT_NE(e.Message().find("SELEC"), std::string::npos) << e.what();
    }
    // The connection is still usable.
    EXPECT_EQ(db_.Admin().Execute("DELETE FROM tb_line_info"), 0);
}

TEST_P(StationDbConnection, MissingTableIsAnError) {
    try {
        Statement statement(db_.Admin(), "SELECT devid FROM tb_no_such_table");
        statement.Execute();
        FAIL() << "a missing table went through";
    } catch (const DatabaseError &e) {
        EXPECT_NE(e.Message().find("tb_no_such_table"), std::string::npos) << e.what();
    }
}

// Thrown inside libstationdb.so, caught here by type.
TEST_P(StationDbConnection, ErrorIsCaughtByTypeAcrossTheLibrary) {
    bool caught = false;
    try {
        db_.Exec("INSERT INTO tb_no_such_table VALUES (1)");
    } catch (const DatabaseError &) {
        caught = true;
    } catch (...) {
    }
    EXPECT_TRUE(caught);
}

TEST_P(StationDbConnection, StatementRunsAgainWithNewParameters) {
    Statement insert(db_.Admin(), "INSERT INTO tb_line_info (devid, devname) VALUES (?, ?)");
    for (int i = 1; i <= 3; ++i) {
        insert.BindInt(1, i);
        insert.BindText(2, "dev" + std::to_string(i));
        insert.Execute();
        EXPECT_EQ(insert.RowsAffected(), 1);
    }
    Statement select(db_.Admin(),
                     "SELECT devname FROM tb_line_info WHERE devid >= ? ORDER BY devid");
    select.BindInt(1, 2);
    select.Execute();
    std::vector<std::string> names;
    while (select.Fetch()) names.push_back(select.Text(1));
    EXPECT_EQ(names, (std::vector<std::string>{"dev2", "dev3"}));
    EXPECT_EQ(select.RowNumber(), 2);
    select.BindInt(1, 3);
    select.Execute();
    ASSERT_TRUE(select.Fetch());
    EXPECT_EQ(select.Text(1), "dev3");
    EXPECT_FALSE(select.Fetch());
}

TEST_P(StationDbConnection, StatementOutlivingItsSessionFailsCleanly) {
    Connection connection;
    connection.Open(db_.ConnectString());
    Statement select(connection, "SELECT devid FROM tb_line_info");
    connection.Close();
    connection.Open(db_.ConnectString());
    try {
        select.Execute();
        FAIL() << "ran a statement of a closed session";
    } catch (const DatabaseError &e) {
        EXPECT_EQ(e.SqlState(), "08003");
    }
    EXPECT_EQ(connection.Execute("DELETE FROM tb_line_info"), 0);
}

INSTANTIATE_TEST_SUITE_P(Backends, StationDbConnection, ::testing::ValuesIn(testdb::Backends()),
                         testdb::BackendName);

// A SQL_ASCII database stores bytes of no known encoding: refused.
TEST(StationDbPostgres, SqlAsciiDatabaseIsRefused) {
    std::string server = testdb::PostgresServerConnectString();
    if (server.empty()) GTEST_SKIP() << "no PostgreSQL data source";
    testdb::TestDatabase db("postgresql");
    std::string name = "station_ascii_" + std::to_string(::getpid());
    Connection admin;
    admin.Open(server);
    admin.Execute("DROP DATABASE IF EXISTS " + name);
    admin.Execute("CREATE DATABASE " + name +
                  " ENCODING 'SQL_ASCII' LC_COLLATE 'C' LC_CTYPE 'C' TEMPLATE template0");
    std::string connect = db.ConnectString();
    // The test database's own source, pointed at the SQL_ASCII database.
    connect += "Database=" + name + ";";
    Connection connection;
    try {
        connection.Open(connect);
        ADD_FAILURE() << "opened a SQL_ASCII database";
    } catch (const DatabaseError &e) {
        EXPECT_NE(std::string(e.what()).find("SQL_ASCII"), std::string::npos) << e.what();
    }
    EXPECT_FALSE(connection.IsOpen());
    admin.Execute("DROP DATABASE " + name);
}

}  // namespace
