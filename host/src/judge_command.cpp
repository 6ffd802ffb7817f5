// stdhost judge: hands one vehicle to the limits plug-in the way a line
// program does (information buffer, item buffer, standard buffer) and prints
// the limits it returns.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>

#include "bridges/plinth_bridge.h"
#include "commands.h"
#include "ext_family.h"
#include "host_platform.h"
#include "json_output.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "station.h"
#include "store/item_set.h"
#include "terminal_text.h"
#include "vehicle_file.h"

namespace stdhost {
namespace {

struct JudgeOptions {
    std::vector<std::string> sets;       // --set ID=TEXT, as given
    std::vector<std::string> vehicles;   // --vehicle FILE
    std::vector<std::string> itemLists;  // --items ID,...
    bool json = false;
    bool explain = false;
    // From the above once parsed, in command-line order.
    std::vector<std::pair<int, std::string>> info;  // parameter ID, UTF-8 text
    std::vector<int> items;
};

struct Limit {
    int paramId;
    float lower;
    float upper;
};

struct ItemExplanation {
    int itemId;
    bool hasCondition;
    std::string condition;  // UTF-8
    std::vector<Limit> limits;
};

// The entry points of the limits plug-in that a judging host calls.
struct LimitsModule {
    platform::DynamicLibrary library;
    decltype(&::ExtInitInfo) initInfo = nullptr;
    decltype(&::ExtInitItem) initItem = nullptr;
    decltype(&::ExtGetStand) getStand = nullptr;
    decltype(&::ExtGetCondition) getCondition = nullptr;
};

using Buffer = std::unique_ptr<unsigned char[]>;
Buffer NewBuffer() {
    return Buffer(new unsigned char[PLINTH_BUFFER_BYTES]());
}

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
    std::size_t nextSet = 0, nextVehicle = 0;
    for (const CLI::Option *given : judge.parse_order()) {
        std::pair<int, std::string> a;
        if (given == set && nextSet < o.sets.size() && ParseAssignment(o.sets[nextSet++], a))
            o.info.push_back(a);
        else if (given == vehicle && nextVehicle < o.vehicles.size())
            for (auto &value : ReadVehicleFile(o.vehicles[nextVehicle++], "--vehicle"))
                o.info.push_back(std::move(value));
    }
    for (const std::string &list : o.itemLists) ParseItems(list, o.items);
    if (o.info.empty())
        throw CLI::ValidationError("a vehicle is needed: --set ID=TEXT or --vehicle FILE");
}

bool LoadLimitsModule(const Station &station, LimitsModule &m) {
    if (OpenLimitsPlugin(station, m.library) != kExitOk) return false;
    m.initInfo = reinterpret_cast<decltype(m.initInfo)>(m.library.Symbol("ExtInitInfo"));
    m.initItem = reinterpret_cast<decltype(m.initItem)>(m.library.Symbol("ExtInitItem"));
    m.getStand = reinterpret_cast<decltype(m.getStand)>(m.library.Symbol("ExtGetStand"));
    m.getCondition =
        reinterpret_cast<decltype(m.getCondition)>(m.library.Symbol("ExtGetCondition"));
    if (m.initInfo == nullptr || m.initItem == nullptr || m.getStand == nullptr) {
        Complain(station.libraryDir + "/" + kLimitsPluginFile +
                 " is not a limits plug-in (ExtInitInfo, ExtInitItem, ExtGetStand)");
        return false;
    }
    return true;
}

// Where the plug-in took its table from: the standard file when it existed
// before the load (and whether it is damaged), else the database, which then
// writes the file. `served`: the plug-in's table is known not to be empty.
// When the file is missing afterwards, says why; a database that cannot be
// reached is also reported on standard error.
std::vector<std::string> TableSource(const StationSettings &settings, bool hadFile, bool served) {
    const std::string file = settings.StandardFile();
    if (hadFile) {
        std::vector<std::string> lines{"standards: the standard file " + file};
        const std::string damage = StandardFileDamage(file);
        if (!damage.empty()) lines.push_back("standards: " + damage);
        return lines;
    }
    std::error_code ec;
    const std::string source = "(data source " + settings.dataSource + ")";
    if (std::filesystem::is_regular_file(file, ec))
        return {"standards: no standard file, so the plug-in loaded the database " + source +
                " and wrote " + file};
    std::string stamp;
    if (const StampRead read = ReadStamp(settings, stamp);
        read == StampRead::kNoConnection || read == StampRead::kQueryFailed) {
        Complain("cannot reach the station's database " + source + ": " + stamp);
        return {"standards: no standard file and nothing loaded from the database " + source +
                ": it cannot be reached"};
    }
    std::string why;
    const bool writable = StandardFileWritable(settings, why);
    if (served)
        return {"standards: no standard file; the plug-in loaded the database " + source +
                " but could not write " + file + (writable ? "" : ": " + why)};
    return {"standards: no standard file and nothing loaded from the database " + source +
            (writable ? "" : "; " + why) + " (STATION_TRACE=- shows why)"};
}

std::vector<Limit> ReadLimits(const bridges::PlinthBridge &plinth, const unsigned char *buffer) {
    std::vector<Limit> limits;
    StdHead head;
    if (plinth.ParseStdHead(buffer, &head) <= 0 || head.kind != PLINTH_KIND_STD) return limits;
    for (int i = 0; i < head.count; ++i) {
        StdEntry e{};
        if (plinth.ParseStdHead_Std_Idx(buffer, i, &e) > 0)
            limits.push_back({e.paramId, e.lvalue, e.hvalue});
    }
    return limits;
}

Buffer ItemBuffer(const bridges::PlinthBridge &plinth, const std::vector<int> &items) {
    Buffer buffer = NewBuffer();
    for (int id : items) plinth.WriteStdHead_Item(buffer.get(), id, 0);
    return buffer;
}

std::string ParamName(const bridges::PlinthBridge &plinth, int paramId) {
    char name[PLINTH_NAME_BYTES] = {};
    if (plinth.GetZK2IDInfo(paramId, name) <= 0) return "";
    name[PLINTH_NAME_BYTES - 1] = '\0';
    return platform::GbkToUtf8Lossy(name);
}

void PrintLimitsTable(const bridges::PlinthBridge &plinth, const std::vector<Limit> &limits,
                      const char *indent) {
    std::size_t nameWidth = 4;
    for (const Limit &l : limits)
        nameWidth = std::max(nameWidth, DisplayWidth(ParamName(plinth, l.paramId)));
    std::printf("%s%-7s %s %12s %12s\n", indent, "param", Pad("name", nameWidth).c_str(), "lower",
                "upper");
    for (const Limit &l : limits)
        std::printf("%s%-7d %s %12s %12s\n", indent, l.paramId,
                    Pad(ParamName(plinth, l.paramId), nameWidth).c_str(),
                    LimitText(l.lower).c_str(), LimitText(l.upper).c_str());
}

Json LimitsJson(const bridges::PlinthBridge &plinth, const std::vector<Limit> &limits) {
    Json out = Json::array();
    for (const Limit &l : limits)
        out.push_back(LimitEntryJson(l.paramId, ParamName(plinth, l.paramId), l.lower, l.upper));
    return out;
}

// Per item: the condition the plug-in builds and the limits it finds for it
// alone. Runs after the main pass; it changes the plug-in's item selection.
std::vector<ItemExplanation> Explain(const bridges::PlinthBridge &plinth, const LimitsModule &m,
                                     const std::vector<int> &selected) {
    std::vector<ItemExplanation> out;
    std::vector<int> ids = selected;
    if (ids.empty())
        for (const auto &item : store::kStandardItems) ids.push_back(item.itemId);
    for (int id : ids) {
        ItemExplanation e{id, false, "", {}};
        char condition[200] = {};
        if (m.getCondition != nullptr && m.getCondition(id, condition, sizeof condition) == 1) {
            e.hasCondition = true;
            e.condition = platform::GbkToUtf8Lossy(condition);
            Buffer items = ItemBuffer(plinth, {id});
            m.initItem(items.get());
            Buffer standard = NewBuffer();
            if (m.getStand(standard.get()) > 0) e.limits = ReadLimits(plinth, standard.get());
        }
        // Without an item list, only the items that have a rule are shown.
        if (e.hasCondition || !selected.empty()) out.push_back(std::move(e));
    }
    return out;
}

int Judge(const std::string &stationOption, const JudgeOptions &options) {
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    if (int rc = EnterStation(stationOption, station, plinth, settings, StationNeeds::kStandards);
        rc != kExitOk)
        return rc;
    std::error_code ec;
    const bool hadFile = std::filesystem::is_regular_file(settings.StandardFile(), ec);
    LimitsModule limits;
    if (!LoadLimitsModule(station, limits)) return kExitNoPlugin;

    Buffer info = NewBuffer();
    for (const auto &[id, utf8] : options.info) {
        std::string gbk;
        if (!platform::Utf8ToGbk(utf8, gbk)) {
            Complain("parameter " + std::to_string(id) + ": the text has no GBK form");
            return kExitUsage;
        }
        if (plinth.WriteStdHead_Info(info.get(), id, gbk.c_str()) != 1) {
            Complain("parameter " + std::to_string(id) + " does not fit the information buffer");
            return kExitUsage;
        }
    }
    if (int rc = limits.initInfo(info.get()); rc != 1) {
        Complain("the plug-in did not take the vehicle (ExtInitInfo gave " + std::to_string(rc) +
                 ")");
        return kExitBadVehicle;
    }
    if (options.items.empty()) {
        limits.initItem(nullptr);
    } else {
        Buffer items = ItemBuffer(plinth, options.items);
        limits.initItem(items.get());
    }
    Buffer standard = NewBuffer();
    const int itemCount = limits.getStand(standard.get());
    const std::vector<Limit> all = ReadLimits(plinth, standard.get());
    std::vector<ItemExplanation> explained;
    if (options.explain) explained = Explain(plinth, limits, options.items);
    // Without --explain, only what must not pass unnoticed: a database that
    // could not be reached when the plug-in needed it, a damaged standard file.
    std::vector<std::string> source;
    if (options.explain ||
        (!hadFile && !std::filesystem::is_regular_file(settings.StandardFile(), ec))) {
        bool served = itemCount > 0;
        for (const auto &e : explained) served = served || !e.limits.empty();
        source = TableSource(settings, hadFile, served);
    } else if (hadFile) {
        // A damaged file serves what it holds: never without a word.
        if (const std::string damage = StandardFileDamage(settings.StandardFile()); !damage.empty())
            Complain("standards: " + damage);
    }

    if (options.json) {
        Json out = Json::object();
        out["items"] = itemCount < 0 ? 0 : itemCount;
        out["limits"] = LimitsJson(plinth, all);
        if (options.explain) {
            Json items = Json::array();
            for (const auto &e : explained) {
                Json item = Json::object();
                item["item"] = e.itemId;
                item["condition"] = e.hasCondition ? Json(e.condition) : Json(nullptr);
                item["held"] = !e.limits.empty();
                item["limits"] = LimitsJson(plinth, e.limits);
                items.push_back(std::move(item));
            }
            out["explain"] = std::move(items);
        }
        PrintJson(out);
    } else {
        if (options.explain) {
            for (const std::string &text : source) std::printf("%s\n", text.c_str());
            for (const auto &e : explained) {
                if (!e.hasCondition)
                    std::printf("item %d: no condition\n", e.itemId);
                else
                    std::printf("item %d: \"%s\" %s\n", e.itemId, e.condition.c_str(),
                                e.limits.empty() ? "not in the table" : "in the table");
                if (!e.limits.empty()) PrintLimitsTable(plinth, e.limits, "    ");
            }
            std::printf("\n");
        }
        std::printf("%d items with limits, %zu limits\n", itemCount < 0 ? 0 : itemCount,
                    all.size());
        if (!all.empty()) PrintLimitsTable(plinth, all, "");
    }
    return itemCount > 0 ? kExitOk : kExitNoLimits;
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
    judge->add_flag("--explain", o->explain,
                    "also each item's condition and where the table came from");
}

}  // namespace stdhost
