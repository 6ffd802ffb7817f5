#pragma once
// upgrade-station: brings the database of an existing station to what this
// release writes: the history of the standard table, with a baseline change
// set of the whole table so that the history starts complete. Safe to run
// again: what is there is left as it is.
#include <string>

#include "generator/limit_history.h"

namespace stdhost {

struct StationUpgrade {
    int exitCode = 0;
    std::string dataSource;
    std::string dialect;
    bool createdTables = false;
    long long baselineId = 0;  // 0: the history already had change sets
    long long baselineRows = 0;
};
StationUpgrade UpgradeStation(const std::string &stationOption,
                              const generator::ChangeOrigin &origin);

std::string StationUpgradeText(const StationUpgrade &upgrade);

}  // namespace stdhost
