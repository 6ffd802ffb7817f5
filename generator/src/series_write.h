#pragma once
// The steps of a series generation, for the writers that run several in one
// transaction (an import): each runs inside the caller's transaction.
#include <string>

#include "generator/catalogue.h"
#include "generator/series_standard.h"

namespace stationdb {
class Connection;
}

namespace generator {
namespace history {
class ChangeRecorder;
}

// Throws std::invalid_argument (GBK text naming the parameter, which limit
// and why) when a limit of the catalogue cannot be stored: not finite, or
// its "%.2f" text longer than the column.
void CheckCatalogueLimits(const Catalogue &catalogue);
void CheckParamLimits(const CatalogueParam &param);

// Takes the standard table's write lock of the dialect (first, before any read).
void LockStandards(stationdb::Connection &connection);

// Upserts every catalogue parameter under the series' condition and hands
// each row whose limits change to `recorder`. No checks, no stamp: the
// caller does both. Throws stationdb::DatabaseError.
GenerationResult WriteSeries(stationdb::Connection &connection, const Catalogue &catalogue,
                             const std::string &brand, const std::string &series,
                             history::ChangeRecorder &recorder);

}  // namespace generator
