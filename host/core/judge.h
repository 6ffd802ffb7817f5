#pragma once
// Judging one vehicle: the limits plug-in is handed the vehicle the way a
// line program hands it (information buffer, item buffer, standard buffer),
// and what it returns is read back as data for the renderers
// (judge_report.h).
#include <string>
#include <vector>

#include "station.h"
#include "vehicle_file.h"

namespace stdhost {

struct JudgeRequest {
    std::vector<InfoValue> info;  // parameter ID and UTF-8 text, later ones win
    std::vector<int> items;       // only these items; empty: all the vehicle has
    bool explain = false;         // also each item's condition and the table's source
};

// One limit the plug-in returned, with the parameter's name (UTF-8, "" when
// the environment library does not know it).
struct JudgedLimit {
    int paramId = 0;
    std::string name;
    float lower = 0;
    float upper = 0;
};

// One item under --explain: the condition the plug-in builds for the vehicle
// and the limits it finds for that item alone.
struct ItemExplanation {
    int itemId = 0;
    bool hasCondition = false;
    std::string condition;  // UTF-8
    std::vector<JudgedLimit> limits;
};

struct JudgeResult {
    // kExitOk (limits found) or kExitNoLimits once judged; else why not
    // (kExitUsage, kExitNoPlugin, kExitNoDatabase, kExitBadVehicle).
    int exitCode = kExitOk;
    bool judged = false;  // the plug-in took the vehicle: the fields below are set
    // For standard error, before the verdict: why judging failed, or what
    // must not pass unnoticed (a damaged standard file, no database).
    std::vector<std::string> problems;
    int items = 0;  // items with limits
    std::vector<JudgedLimit> limits;
    bool explained = false;           // the request asked for --explain
    std::vector<std::string> source;  // where the table came from, line by line
    std::vector<ItemExplanation> explanation;
};

// Enters the station (EnterStation, which complains on its own), loads the
// limits plug-in and judges the vehicle of `request`.
JudgeResult RunJudge(const std::string &stationOption, const JudgeRequest &request);

}  // namespace stdhost
