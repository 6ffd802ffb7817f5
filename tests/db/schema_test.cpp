// The schema files of the three dialects, read as text: the same tables and
// columns everywhere, limits and stamp as text, the standards index. (SQL
// Server has no server here; its script is checked like this.)
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "temp_dir.h"

namespace {

struct Column {
    std::string name;
    std::string type;
    bool operator==(const Column &) const = default;
};
using Schema = std::map<std::string, std::vector<Column>>;

std::string Lower(std::string text) {
    for (char &c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Table -> columns (name, lower-case type without "n" of nvarchar).
Schema Read(const std::string &dialect) {
    const std::string text =
        testing_support::ReadBytes(STATION_TEST_SOURCE_DIR "/db/" + dialect + "/schema.sql");
    EXPECT_FALSE(text.empty()) << dialect;
    Schema schema;
    const std::regex table(R"(CREATE TABLE (\w+) \(([^;]*)\);)");
    const std::regex column(R"(^\s*(\w+) (\w+(\(\d+\))?))");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), table);
         it != std::sregex_iterator(); ++it) {
        std::vector<Column> &columns = schema[(*it)[1]];
        const std::string body = (*it)[2];
        std::size_t start = 0;
        while (start < body.size()) {
            std::size_t end = body.find(",\n", start);
            if (end == std::string::npos) end = body.size();
            std::smatch m;
            const std::string line = body.substr(start, end - start);
            if (std::regex_search(line, m, column)) {
                std::string type = Lower(m[2]);
                if (type.rfind("nvarchar", 0) == 0) type = type.substr(1);
                if (type == "int") type = "integer";
                columns.push_back({m[1], type});
            }
            start = end + 2;
        }
    }
    return schema;
}

TEST(Schema, EveryDialectHasTheSameTablesAndColumns) {
    const Schema sqlite = Read("sqlite");
    ASSERT_EQ(sqlite.size(), 8u);
    for (const char *table :
         {"tb_status_memstd", "tb_login_lineindex", "tb_id_standard", "tb_line_info", "tb_id_item",
          "tb_id_param", "tb_type_index", "tb_type_vehicle"})
        EXPECT_EQ(sqlite.count(table), 1u) << table;
    EXPECT_EQ(Read("postgresql"), sqlite);
    EXPECT_EQ(Read("sqlserver"), sqlite);

    const auto &standard = sqlite.at("tb_id_standard");
    std::vector<std::string> names;
    for (const Column &c : standard) names.push_back(c.name);
    EXPECT_EQ(names, (std::vector<std::string>{"type", "itemid", "itemname", "condition", "paramid",
                                               "paramname", "hvalue", "lvalue", "stdorder"}));
    EXPECT_EQ(standard[6].type, "varchar(20)");
    EXPECT_EQ(standard[7].type, "varchar(20)");
    EXPECT_EQ(sqlite.at("tb_status_memstd")[0], (Column{"DBModifyTime", "varchar(20)"}));
}

TEST(Schema, SqlServerScriptUsesCharacterSizedTextAndBatches) {
    const std::string text =
        testing_support::ReadBytes(STATION_TEST_SOURCE_DIR "/db/sqlserver/schema.sql");
    EXPECT_EQ(text.find(" varchar("), std::string::npos);
    EXPECT_NE(text.find("nvarchar(150)"), std::string::npos);
    EXPECT_NE(text.find("\nGO\n"), std::string::npos);
    for (const char *dialect : {"sqlite", "postgresql", "sqlserver"}) {
        const std::string script = testing_support::ReadBytes(STATION_TEST_SOURCE_DIR "/db/" +
                                                              std::string(dialect) + "/schema.sql");
        EXPECT_NE(script.find("CREATE INDEX ix_tb_id_standard ON tb_id_standard (itemid, "
                              "condition, paramid);"),
                  std::string::npos)
            << dialect;
        EXPECT_EQ(script.find('"'), std::string::npos) << dialect << ": identifiers are unquoted";
    }
}

}  // namespace
