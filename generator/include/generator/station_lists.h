#pragma once
// What the station database lists besides the limits, read whole for a
// check of the standard table: the parameters and names of the test items,
// the brands of the vehicle list, and the conditions tb_id_standard holds.
// Texts are GBK, trimmed of trailing blanks. Database errors propagate
// (stationdb::DatabaseError).
#include <map>
#include <set>
#include <string>

namespace stationdb {
class Connection;
}

namespace generator {

// itemid -> the paramids tb_id_param gives it, over every device.
std::map<int, std::set<int>> ReadItemParams(stationdb::Connection &connection);

// itemid -> ItemName of tb_id_item.
std::map<int, std::string> ReadItemNames(stationdb::Connection &connection);

// The brands (CPMC) of tb_type_index; a brand without a GBK form is left out.
std::set<std::string> ReadBrandNames(stationdb::Connection &connection);

// The distinct conditions of tb_id_standard, whole (the table may hold
// texts longer than a condition); a text without a GBK form is left out.
std::set<std::string> ReadStandardConditions(stationdb::Connection &connection);

}  // namespace generator
