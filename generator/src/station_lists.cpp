#include "generator/station_lists.h"

#include <cstdlib>

#include "platform/gbk.h"
#include "platform/value_text.h"
#include "stationdb/stationdb.h"

namespace generator {
namespace {

std::string Trimmed(const std::string &text) {
    return std::string(platform::TrimBlanks(text));
}

int Number(const std::string &text) {
    return std::atoi(text.c_str());
}

}  // namespace

std::map<int, std::set<int>> ReadItemParams(stationdb::Connection &connection) {
    std::map<int, std::set<int>> params;
    stationdb::Statement st(connection, "select ItemId, ParamId from tb_id_param");
    st.Execute();
    while (st.Fetch()) params[Number(st.Text(1))].insert(Number(st.Text(2)));
    return params;
}

std::map<int, std::string> ReadItemNames(stationdb::Connection &connection) {
    std::map<int, std::string> names;
    stationdb::Statement st(connection, "select ItemId, ItemName from tb_id_item");
    st.Execute();
    while (st.Fetch()) names[Number(st.Text(1))] = Trimmed(st.Text(2));
    return names;
}

std::set<std::string> ReadBrandNames(stationdb::Connection &connection) {
    std::set<std::string> brands;
    stationdb::Statement st(connection, "select CPMC from tb_type_index");
    st.Execute();
    std::string brand;
    while (st.Fetch())
        if (platform::Utf8ToGbk(st.Utf8(1), brand)) brands.insert(Trimmed(brand));
    return brands;
}

std::set<std::string> ReadStandardConditions(stationdb::Connection &connection) {
    std::set<std::string> conditions;
    stationdb::Statement st(connection, "select distinct condition from tb_id_standard",
                            stationdb::Statement::Direct{});
    st.Execute();
    std::string gbk;
    while (st.Fetch())
        if (platform::Utf8ToGbk(st.Utf8(1), gbk)) conditions.insert(Trimmed(gbk));
    return conditions;
}

}  // namespace generator
