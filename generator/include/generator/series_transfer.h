#pragma once
// Every series standard of a station at once, for keeping them outside the
// database (a spreadsheet) and bringing them back. A series standard is seen
// through the catalogue: one limit pair per catalogue parameter, as the
// editor loads and generates it. Texts are GBK.
#include <string>
#include <vector>

#include "generator/catalogue.h"
#include "generator/series_key.h"
#include "generator/series_standard.h"

namespace stationdb {
class Connection;
}

namespace generator {

// The brand and series pairs of tb_type_vehicle, in brand then series order;
// rows without a GBK form are left out (ReadSeriesList names them).
std::vector<SeriesId> ListSeries(stationdb::Connection &connection);

struct SeriesLimit {
    int32_t itemid = 0;
    int32_t paramid = 0;
    float hvalue = 0;
    float lvalue = 0;
};

struct SeriesStandard {
    SeriesId id;
    // Export: one per catalogue parameter, in catalogue order. Import: the
    // limits to set; catalogue parameters not named keep their stored limits.
    std::vector<SeriesLimit> limits;
};

// The series of tb_type_vehicle that have at least one row stored under
// their condition, each with the limits the editor would load for it. One
// query for all. Throws stationdb::DatabaseError.
std::vector<SeriesStandard> ExportSeriesStandards(stationdb::Connection &connection,
                                                  const Catalogue &catalogue);

// One generation per series, in one transaction that moves DBModifyTime on
// once, after the last: all or nothing. Every result carries that one stamp
// change. Refuses with std::invalid_argument (GBK text for the user) before
// anything is written: a limit whose (itemid, paramid) is not in the
// catalogue, a limit that cannot be stored, a series key the line would cut
// or that another listed brand and series form (see GenerateSeriesStandard).
// `catalogue` is left with the limits of the last series. Throws
// stationdb::DatabaseError after rolling back.
// The rows changed are recorded in the history as one change set (kind
// import, by `origin`).
std::vector<GenerationResult> ImportSeriesStandards(stationdb::Connection &connection,
                                                    Catalogue &catalogue,
                                                    const std::vector<SeriesStandard> &standards,
                                                    const ChangeOrigin &origin = {});

}  // namespace generator
