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

}  // namespace stdhost
