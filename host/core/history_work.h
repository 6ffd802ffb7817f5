#pragma once
// The history of the standard table as stdhost reads it: the change sets a
// filter selects, one change set whole, and the limits of one item and
// condition at a moment. Texts are UTF-8. A failure has been reported on
// standard error and leaves exitCode other than kExitOk. A station whose
// database has no history tables is no failure: `kept` is false.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "generator/history_read.h"
#include "generator/limit_history.h"

namespace stdhost {

// What a station without the history tables is told.
inline constexpr char kNoHistory[] =
    "this station keeps no history yet: run stdhost upgrade-station";

// A time of the command line, UTC: "YYYY-MM-DD", "YYYY-MM-DD HH:MM" or
// "YYYY-MM-DD HH:MM:SS", as "YYYY-MM-DD HH:MM:SS". What the shorter forms
// leave out is the start of the day or minute, or with `endOfPeriod` its
// last second. nullopt for any other text or a date or time that does not
// exist (2026-02-30, 24:00).
std::optional<std::string> UtcTimeOf(const std::string &text, bool endOfPeriod);

struct HistoryRequest {
    generator::HistoryFilter filter;  // condition in UTF-8
    // --series BRAND SERIES (UTF-8): the condition of that series.
    std::optional<std::pair<std::string, std::string>> series;
};

// history: the change sets, newest first.
struct HistoryList {
    int exitCode = 0;
    bool kept = true;
    bool filtered = false;  // only the rows of an item, condition or parameter
    std::vector<generator::ChangeSet> sets;
};
HistoryList ListHistory(const std::string &stationOption, HistoryRequest request);

// history show ID: kExitUnknown when there is no such change set.
struct HistoryShow {
    int exitCode = 0;
    bool kept = true;
    generator::ChangeSet set;
};
HistoryShow ShowChangeSet(const std::string &stationOption, long long id);

// history --as-of WHEN --item N --condition TEXT [--param N].
struct HistoryAsOf {
    int exitCode = 0;
    bool kept = true;
    generator::LimitsAtMoment limits;
};
HistoryAsOf ReadLimitsAsOf(const std::string &stationOption, const std::string &whenUtc,
                           int32_t itemid, const HistoryRequest &request);

}  // namespace stdhost
