#include "statements.h"

#include <algorithm>

#include "platform/gbk.h"

namespace generator {
namespace {

// The catalogue reads of SQL Server, whose DISTINCT returns sorted rows; the
// other servers are asked for the same order explicitly.
#define GENERATOR_READS(ORDER_DEVICES, ORDER_ITEMS, ORDER_PARAMS)                          \
    .devices = "select distinct( devid ) , devname  from tb_line_info " ORDER_DEVICES ";", \
    .deviceItems =                                                                         \
        "select ItemId , ItemName from tb_id_item where ItemId in (select distinct( "      \
        "ItemId ) from tb_id_param where devid = ? ) " ORDER_ITEMS ";",                    \
    .itemParams =                                                                          \
        "select distinct( ParamId),ParamName  from tb_id_param where devid = ? and "       \
        "Itemid = ? " ORDER_PARAMS ";",                                                    \
    .brands =                                                                              \
        "select distinct CPMC from tb_type_index where upper(CPZM) like ? escape '!' "     \
        "order by CPMC ;",                                                                 \
    .series = "select DISTINCT CXXL from tb_type_vehicle where CPMC = ?;",                 \
    .seriesRows =                                                                          \
        "select itemid, paramid, hvalue, lvalue, type, itemname, paramname, stdorder "     \
        "from tb_id_standard where condition = ? and itemid in ("
#define GENERATOR_SQL_SERVER_READS GENERATOR_READS("", "", "")
#define GENERATOR_ORDERED_READS \
    GENERATOR_READS("order by devid, devname ", "order by ItemId ", "order by ParamId, ParamName ")

#define GENERATOR_ONE_ROW_WRITES                                                       \
    .updateOne =                                                                       \
        "update tb_id_standard set hvalue = ?, lvalue = ? where itemid = ? and "       \
        "condition = ? and paramid = ?",                                               \
    .insertOne =                                                                       \
        "insert into tb_id_standard(type,itemid,itemname,condition,paramid,paramname," \
        "hvalue,lvalue,stdorder) values(?,?,?,?,?,?,?,?,0)"

// UPDATE ... FROM a list of values and multi-row VALUES: PostgreSQL and
// SQLite (3.33 and later) both take these.
#define GENERATOR_MANY_ROW_WRITES                                                  \
    .updateManyHead = "with v(itemid, paramid, hvalue, lvalue) as (values ",       \
    .updateManyTail =                                                              \
        ") update tb_id_standard set hvalue = v.hvalue, lvalue = v.lvalue from v " \
        "where tb_id_standard.itemid = v.itemid and tb_id_standard.paramid = "     \
        "v.paramid and tb_id_standard.condition = ?",                              \
    .insertManyHead =                                                              \
        "insert into tb_id_standard(type,itemid,itemname,condition,paramid,"       \
        "paramname,hvalue,lvalue,stdorder) values "

const GeneratorStatements kSqlServer = {
    GENERATOR_SQL_SERVER_READS,
    .writeLock = "select top 0 itemid from tb_id_standard with (tablockx, holdlock)",
    .upsertBatch =
        "if not exists( select * from tb_id_standard where itemid = ? and condition = ? "
        "and paramid = ? ) BEGIN Insert into tb_id_standard(\t\t\t\ttype,itemid,"
        "itemname,condition,paramid,paramname,hvalue,lvalue,stdorder)values(?,?,?,?,?,?,"
        "?,?,0);END ELSE BEGIN update tb_id_standard Set \t\t\t\thvalue=?,lvalue=? "
        "where itemid = ? and condition = ? and paramid = ? END",
    GENERATOR_ONE_ROW_WRITES,
    .updateManyHead = nullptr,
    .updateManyTail = nullptr,
    .insertManyHead = nullptr,
    .clear = "TRUNCATE TABLE tb_id_standard;",
};

// SHARE ROW EXCLUSIVE conflicts with itself and with every writer's ROW
// EXCLUSIVE, not with readers: a second generation waits for the first to
// commit and then sees its rows.
const GeneratorStatements kPostgreSql = {
    GENERATOR_ORDERED_READS,   .writeLock = "lock table tb_id_standard in share row exclusive mode",
    .upsertBatch = nullptr,    GENERATOR_ONE_ROW_WRITES,
    GENERATOR_MANY_ROW_WRITES, .clear = "TRUNCATE TABLE tb_id_standard;",
};

// A write as the transaction's first statement takes the database's write
// lock (waiting out the driver's busy time-out), before any snapshot is read.
const GeneratorStatements kSqlite = {
    GENERATOR_ORDERED_READS,
    .writeLock = "update tb_id_standard set stdorder = stdorder where 1 = 0",
    .upsertBatch = nullptr,
    GENERATOR_ONE_ROW_WRITES,
    GENERATOR_MANY_ROW_WRITES,
    .clear = "DELETE FROM tb_id_standard;",
};

}  // namespace

const GeneratorStatements &GeneratorStatementsFor(stationdb::Dialect dialect) {
    switch (dialect) {
        case stationdb::Dialect::kSqlServer:
            return kSqlServer;
        case stationdb::Dialect::kSqlite:
            return kSqlite;
        case stationdb::Dialect::kPostgreSql:
        case stationdb::Dialect::kOther:
            break;
    }
    return kPostgreSql;
}

std::string ErrorTextGbk(const stationdb::DatabaseError &error) {
    std::string gbk;
    std::string_view utf8 = error.what();
    while (!utf8.empty()) {
        // Whole UTF-8 sequences one at a time, so one bad character costs one '?'.
        const auto lead = static_cast<unsigned char>(utf8[0]);
        std::size_t len = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        len = std::min(len, utf8.size());
        std::string piece;
        gbk += platform::Utf8ToGbk(utf8.substr(0, len), piece) ? piece : "?";
        utf8.remove_prefix(len);
    }
    return gbk;
}

}  // namespace generator
