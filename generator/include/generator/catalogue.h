#pragma once
// The catalogue of the series editor: every parameter the inspection line can
// measure (devices of the line, the test items of each device, the
// parameters of each item), each with the upper and lower limit being edited.
// Filled from the station database; texts are GBK.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "generator/messages.h"

namespace stationdb {
class Connection;
}

namespace generator {

// Capacities of the line software. Rows beyond them are dropped with a
// trace line; names are cut to kNameBytes - 1 bytes on a character boundary.
inline constexpr std::size_t kMaxDevices = 100;
inline constexpr std::size_t kMaxItemsPerDevice = 50;
inline constexpr std::size_t kMaxParamsPerItem = 100;
inline constexpr std::size_t kNameBytes = 64;

struct CatalogueParam {
    int32_t paramid = 0;
    std::string paramname;
    float hvalue = 0;  // upper limit
    float lvalue = 0;  // lower limit
};

struct CatalogueItem {
    int32_t itemid = 0;
    std::string itemname;
    std::vector<CatalogueParam> params;
};

struct CatalogueDevice {
    int32_t devid = 0;
    std::string devname;
    std::vector<CatalogueItem> items;
};

// A parameter is addressed by its three positions, as the editor's list
// shows them.
struct ParamPosition {
    int device = 0;
    int item = 0;
    int param = 0;
};

struct Catalogue {
    std::vector<CatalogueDevice> devices;

    std::size_t ParamCount() const;
    // The parameter at `at`, or null when a position is out of range.
    CatalogueParam *Find(const ParamPosition &at);
    const CatalogueParam *Find(const ParamPosition &at) const;
    // The first parameter with this id, or null.
    CatalogueParam *FindParam(int32_t paramid);
    // Calls fn(device, item, param, position) for every parameter in order.
    template <typename Fn>
    void ForEachParam(Fn &&fn) {
        Walk(*this, fn);
    }
    template <typename Fn>
    void ForEachParam(Fn &&fn) const {
        Walk(*this, fn);
    }

  private:
    template <typename Self, typename Fn>
    static void Walk(Self &self, Fn &fn) {
        for (std::size_t d = 0; d < self.devices.size(); ++d) {
            auto &device = self.devices[d];
            for (std::size_t i = 0; i < device.items.size(); ++i) {
                auto &item = device.items[i];
                for (std::size_t p = 0; p < item.params.size(); ++p)
                    fn(device, item, item.params[p],
                       ParamPosition{static_cast<int>(d), static_cast<int>(i),
                                     static_cast<int>(p)});
            }
        }
    }
};

// Fills `catalogue` anew: the devices of tb_line_info, for each device the
// items that tb_id_param gives it, for each item its parameters (a blank name
// is skipped), every limit 0. A device without items is named to the user
// (`messages`) and kept without items. Returns 1 when every query succeeded;
// 0 when there is no connection (null), no device, or an item without
// parameters (the load stops there; what was filled stays). Throws
// stationdb::DatabaseError.
int LoadCatalogue(stationdb::Connection *connection, Catalogue &catalogue, MessageSink &messages);

// The brands (CPMC of tb_type_index) whose letter code CPZM starts with
// `prefix`, matched literally and ignoring ASCII case, in name order. An
// empty prefix lists every brand.
struct BrandQuery {
    // 1 when the query ran (rows or not); 0 when the connection is not open
    // or a database error occurred (traced).
    int result = 0;
    std::vector<std::string> brands;
    std::string error;  // the driver's message (GBK) when the query failed
};
BrandQuery QueryBrands(stationdb::Connection *connection, const std::string &prefix);

// The series (CXXL of tb_type_vehicle) of `brand`, the text used as it
// stands. A database error, or no open connection, is shown to the user and
// gives an empty list.
std::vector<std::string> QuerySeries(stationdb::Connection *connection, const std::string &brand,
                                     MessageSink &messages);

// The LIKE pattern of a brand prefix: upper-cased, with '!', '%' and '_'
// escaped by '!', followed by '%'.
std::string BrandPattern(const std::string &prefix);

}  // namespace generator
