#pragma once
// Reading the history of the standard table: the change sets, newest first,
// optionally only those touching one item, condition or parameter; one
// change set whole; and the limits of one item and condition in force at a
// moment, replayed from the recorded rows.
//
// Texts are UTF-8 (filters too). A database without the history tables
// reads as an empty history. Every function throws stationdb::DatabaseError,
// and std::runtime_error for a stored change set whose kind no program
// writes (a history edited by hand).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "generator/limit_history.h"

namespace stationdb {
class Connection;
}

namespace generator {

struct HistoryFilter {
    // Row filters: a change set is listed only when one of its rows matches
    // all that are given, and only its matching rows are read.
    std::optional<int32_t> itemid, paramid;
    std::optional<std::string> condition;
    // UTC "YYYY-MM-DD HH:MM:SS", both ends included; "" leaves that end open.
    std::string since, until;
    long long limit = 0;  // the newest this many change sets; 0 all
    // Without a row filter: at most this many rows of each change set are
    // read (a baseline holds the whole table); 0 all. With a row filter
    // every matching row is read.
    std::size_t maxRowsPerSet = 0;
};

bool HasRowFilter(const HistoryFilter &filter);

// The change sets the filter selects, newest first, each with its rows in
// recorded order. rowCount stays the change set's own count of rows, so
// that a reader can tell how many were left out.
std::vector<ChangeSet> ReadHistory(stationdb::Connection &connection, const HistoryFilter &filter);

// One change set with all its rows; nullopt when there is none with that id.
std::optional<ChangeSet> ReadChangeSet(stationdb::Connection &connection, long long id);

// One row of tb_id_standard as it stood at a moment, and the change set
// that wrote it.
struct LimitInForce {
    int32_t paramid = 0;
    std::string paramname;
    std::string itemname;
    std::string type;
    int32_t stdorder = 0;
    LimitValues values;
    long long changeSet = 0;
    std::string changedAt;
};

struct LimitsAtMoment {
    std::string when;  // UTC "YYYY-MM-DD HH:MM:SS"
    int32_t itemid = 0;
    std::string condition;
    // The moment is before the first change set (or the history holds
    // none): what the table held then is not known.
    bool beforeHistory = false;
    long long lastChangeSet = 0;  // the newest change set at or before `when`
    // By parameter, then in the order the rows were written; a parameter
    // may have several rows (the table has no unique key).
    std::vector<LimitInForce> limits;
};

// The rows of `itemid` under `condition` at `whenUtc`: the rows of every
// change set up to that moment replayed in order, starting from the first
// change set, a baseline of the whole table.
LimitsAtMoment LimitsAsOf(stationdb::Connection &connection, const std::string &whenUtc,
                          int32_t itemid, const std::string &condition);

}  // namespace generator
