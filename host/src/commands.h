#pragma once
#include <string>
#include <vector>

namespace stdhost {

using Args = std::vector<std::string>;

// build-standards SOURCE.tsv OUT.sfd: a standard file from a readable table.
int BuildStandardsCommand(const Args &args);
// show-standards FILE.sfd: what a standard file holds, in the readable form.
int ShowStandardsCommand(const Args &args);
// judge [options]: loads the plug-ins and prints the limits of one vehicle.
int JudgeCommand(const std::string &stationOption, const Args &args);
// init-station DIR [options]: a station directory with its database.
int InitStationCommand(const Args &args);
// reload: has the limits plug-in reload its table from the database.
int ReloadCommand(const std::string &stationOption, const Args &args);
// mark-changed [STAMP]: sets tb_status_memstd's stamp (by default one more),
// as a standards editor does after a change, so that the next reload reloads.
int MarkChangedCommand(const std::string &stationOption, const Args &args);

// "N limits in the standard file", "no standard file", or that it cannot be loaded.
std::string StandardFileSummary(const std::string &path);

}  // namespace stdhost
