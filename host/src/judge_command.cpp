// stdhost judge: hands one vehicle to the limits plug-in the way a line
// program does (information buffer, item buffer, standard buffer) and prints
// the limits it returns.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <memory>

#include "commands.h"
#include "host_platform.h"
#include "judge.h"
#include "judge_report.h"
#include "station.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

struct JudgeOptions {
    std::vector<std::string> sets;       // --set ID=TEXT, as given
    std::vector<std::string> vehicles;   // --vehicle FILE
    std::vector<std::string> itemLists;  // --items ID,...
    bool json = false;
    JudgeRequest request;  // from the above once parsed, in command-line order
};

bool ParseId(const std::string &text, int &id) {
    InfoValue value;
    if (text.find('=') != std::string::npos || !ParseAssignment(text + "=", value)) return false;
    id = value.first;
    return true;
}

bool ParseItems(const std::string &list, std::vector<int> &items) {
    std::size_t start = 0;
    while (start <= list.size()) {
        auto comma = list.find(',', start);
        int id;
        if (!ParseId(list.substr(start, comma - start), id)) return false;
        items.push_back(id);
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !items.empty();
}

// The vehicle in the order its parts were given, so that a later --set or
// file overrides an earlier one the same way the plug-in sees it.
void CheckOptions(const CLI::App &judge, JudgeOptions &o) {
    const CLI::Option *set = judge.get_option("--set");
    const CLI::Option *vehicle = judge.get_option("--vehicle");
    std::vector<InfoValue> &info = o.request.info;
    std::size_t nextSet = 0, nextVehicle = 0;
    for (const CLI::Option *given : judge.parse_order()) {
        std::pair<int, std::string> a;
        if (given == set && nextSet < o.sets.size() && ParseAssignment(o.sets[nextSet++], a))
            info.push_back(a);
        else if (given == vehicle && nextVehicle < o.vehicles.size())
            for (auto &value : ReadVehicleFile(o.vehicles[nextVehicle++], "--vehicle"))
                info.push_back(std::move(value));
    }
    for (const std::string &list : o.itemLists) ParseItems(list, o.request.items);
    if (info.empty())
        throw CLI::ValidationError("a vehicle is needed: --set ID=TEXT or --vehicle FILE");
}

int Judge(const std::string &stationOption, const JudgeOptions &options) {
    const JudgeResult result = RunJudge(stationOption, options.request);
    for (const std::string &problem : result.problems) Complain(problem);
    if (!result.judged) return result.exitCode;
    if (options.json)
        PrintJson(Json(result));
    else
        std::fputs(JudgeText(result).c_str(), stdout);
    return result.exitCode;
}

}  // namespace

void AddJudgeCommand(CLI::App &app, CommandLine &line) {
    auto o = std::make_shared<JudgeOptions>();
    CLI::App *judge = AddCommand(
        app, line, "judge",
        std::string("Hand one vehicle to ") + kLimitsPluginFile + " and print its limits.",
        [&line, o] { return Judge(line.station, *o); },
        [o](const CLI::App &command) { CheckOptions(command, *o); });
    judge->fallthrough();  // --station after the command name too
    const CLI::Validator assignment(
        [](std::string &text) {
            std::pair<int, std::string> a;
            return ParseAssignment(text, a)
                       ? std::string()
                       : "expected ID=TEXT with a parameter ID of 1 to 65535, not \"" + text + "\"";
        },
        "");
    const CLI::Validator itemList(
        [](std::string &text) {
            std::vector<int> items;
            return ParseItems(text, items)
                       ? std::string()
                       : "expected item IDs (1 to 65535) separated by commas, not \"" + text + "\"";
        },
        "");
    // One value per occurrence: a vector option would otherwise take the
    // words after it too, and split a value in [brackets].
    judge
        ->add_option("--set", o->sets, "a parameter of the vehicle, its text in UTF-8 (repeatable)")
        ->type_name("ID=TEXT")
        ->allow_extra_args(false)
        ->check(assignment);
    judge
        ->add_option("--vehicle", o->vehicles,
                     "a file of ID=TEXT lines; a later --set or file wins")
        ->type_name("FILE")
        ->allow_extra_args(false);
    judge
        ->add_option("--items", o->itemLists,
                     "only these items (default: all that the vehicle has)")
        ->type_name("ID,...")
        ->allow_extra_args(false)
        ->check(itemList);
    judge->add_flag("--json", o->json, "print the limits as JSON");
    judge->add_flag("--explain", o->request.explain,
                    "also each item's condition and where the table came from");
}

}  // namespace stdhost
