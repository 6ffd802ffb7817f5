#include "generator_fixture.h"

#include "temp_dir.h"

namespace generator_test {

void SeriesDatabase::SetUp() {
    db_ = std::make_unique<testdb::TestDatabase>(GetParam());
    const char *setup[] = {
        "insert into tb_line_info (devid, devname) values (1, '制动台   ')",
        "insert into tb_line_info (devid, devname) values (2, '灯光仪')",
        "insert into tb_line_info (devid, devname) values (3, '空设备')",
        "insert into tb_id_item (ItemId, ItemName) values (223, '行车制动')",
        "insert into tb_id_item (ItemId, ItemName) values (224, '轴制动')",
        "insert into tb_id_item (ItemId, ItemName) values (235, '远光强度')",
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (1, 223, 2231, "
        "'整车制动率')",
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (1, 223, 2232, "
        "'满载整车制动率')",
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (1, 224, 2241, "
        "'一轴制动率')",
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (1, 224, 2249, '  ')",
        "insert into tb_id_param (devid, ItemId, ParamId, ParamName) values (2, 235, 2351, "
        "'左远光强度')",
        "insert into tb_type_index (CPMC, CPZM) values ('大众', 'DZ')",
        "insert into tb_type_index (CPMC, CPZM) values ('东风', 'DF')",
        "insert into tb_type_index (CPMC, CPZM) values ('奥迪', 'AD')",
        "insert into tb_type_index (CPMC, CPZM) values ('百分', 'D%')",
        "insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '捷达')",
        "insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '捷达')",
        "insert into tb_type_vehicle (CPMC, CXXL) values ('大众', '朗逸  ')",
    };
    for (const char *sql : setup) db_->Exec(sql);
    connection_ = std::make_unique<stationdb::Connection>();
    connection_->Open(db_->ConnectString());
}

std::string SeriesDatabase::Stored(const std::string &condition, int itemid, int paramid) {
    stationdb::Statement st(db_->Admin(),
                            "select hvalue, lvalue from tb_id_standard where condition = ? and "
                            "itemid = ? and paramid = ?");
    st.BindText(1, condition);
    st.BindInt(2, itemid);
    st.BindInt(3, paramid);
    st.Execute();
    std::string out;
    while (st.Fetch()) out += (out.empty() ? "" : ";") + st.Text(1) + "," + st.Text(2);
    return out;
}

long long SeriesDatabase::RowCount(const std::string &where,
                                   const std::vector<std::string> &params) {
    stationdb::Statement st(db_->Admin(), "select count(*) from tb_id_standard where " + where);
    for (std::size_t i = 0; i < params.size(); ++i) st.BindText(static_cast<int>(i + 1), params[i]);
    st.Execute();
    return st.Fetch() ? std::stoll(st.Text(1)) : -1;
}

}  // namespace generator_test
