#pragma once
// Series standards: the limits of every catalogue parameter for one brand and
// vehicle series, stored in tb_id_standard under the condition
// "<brand>_<series>", where the limits plug-in's series mode finds them.
//
// Every text reaches SQL as a bound parameter. A generation runs in one
// transaction that holds the table's write lock from its first read, so two
// stations generating the same series on one server leave one row per
// (itemid, condition, paramid); a database error rolls everything back and
// reaches the caller.
#include <string>

#include "generator/catalogue.h"
#include "generator/limit_history.h"
#include "generator/mask_table.h"
#include "generator/modify_stamp.h"

namespace stationdb {
class Connection;
}

namespace generator {

// Brand and series, each without blanks at both ends, joined by "_".
std::string SeriesCondition(const std::string &brand, const std::string &series);

// Sets hvalue and lvalue of every catalogue parameter from the rows stored
// under the series' condition (blanks trimmed, converted like atof: "abc"
// gives 0; of several rows for one parameter the last read wins); a parameter
// without a row gets 0 and 0. Does nothing when the series text is blank or
// the connection is null or not open. Throws stationdb::DatabaseError, with
// the catalogue's limits untouched.
void LoadSeriesLimits(stationdb::Connection *connection, Catalogue &catalogue,
                      const std::string &brand, const std::string &series);

struct GenerationResult {
    bool ran = false;         // false: blank series or no open connection, nothing done
    long long inserted = 0;   // parameters added as new rows
    long long updated = 0;    // parameters whose stored rows were rewritten
    StampChange stamp;        // DBModifyTime moved on in the same transaction
    long long changeSet = 0;  // the history's change set; 0: none (no history, no change)
};

// Stores every catalogue parameter (masked ones included) under the series'
// condition: existing rows get the new limits, missing ones are inserted with
// type = device name, the item and parameter names and stdorder 0. Limits are
// written as "%.2f" text; DBModifyTime moves on in the same transaction, so
// that the lines reload. All or nothing: throws stationdb::DatabaseError
// after rolling back.
// Refuses, writing nothing, with std::invalid_argument whose what() is a GBK
// text for the user: a limit that is not finite or whose "%.2f" text does not
// fit the 20-character column (the parameter named); a brand or series longer
// than the line's intake reads (see series_key.h); a key that another brand
// and series of tb_type_vehicle also form (both named).
// Every row whose limits change is recorded in the history (kind generate,
// by `origin`) in the same transaction.
GenerationResult GenerateSeriesStandard(stationdb::Connection *connection,
                                        const Catalogue &catalogue, const std::string &brand,
                                        const std::string &series, const ChangeOrigin &origin = {});

// The way line software generated before: one autocommitted statement per
// parameter, with no lock. Kept only as the measure the benchmark compares
// GenerateSeriesStandard with.
GenerationResult GenerateSeriesStandardPerParameter(stationdb::Connection &connection,
                                                    const Catalogue &catalogue,
                                                    const std::string &brand,
                                                    const std::string &series);

// Empties tb_id_standard (TRUNCATE on SQL Server and PostgreSQL, DELETE on
// SQLite), records every row removed in the history (kind clear, so that a
// rollback can put them back) and moves DBModifyTime on, in one
// transaction. `ran` is false when the connection is null or not open.
// Throws stationdb::DatabaseError.
struct ClearResult {
    bool ran = false;
    long long removed = 0;  // rows the table held
    StampChange stamp;
    long long changeSet = 0;  // the history's change set; 0: none
};
ClearResult ClearStandardTable(stationdb::Connection *connection, const ChangeOrigin &origin = {});
// The same, for callers that only need to know whether it ran.
bool ClearStandards(stationdb::Connection *connection, const ChangeOrigin &origin = {});

// A limit as the generator writes it: "%.2f".
std::string LimitText(float value);

}  // namespace generator
