#include "judge.h"

#include <filesystem>
#include <memory>

#include "bridges/plinth_bridge.h"
#include "ext_family.h"
#include "host_platform.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "standard_file_text.h"
#include "store/item_set.h"

namespace stdhost {
namespace {

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

// kExitOk, else the exit code with the reason in `problems`.
int LoadLimitsModule(const Station &station, LimitsModule &m, std::vector<std::string> &problems) {
    if (std::string why; !OpenLimitsPlugin(station, m.library, why)) {
        problems.push_back(why);
        return kExitNoPlugin;
    }
    m.initInfo = reinterpret_cast<decltype(m.initInfo)>(m.library.Symbol("ExtInitInfo"));
    m.initItem = reinterpret_cast<decltype(m.initItem)>(m.library.Symbol("ExtInitItem"));
    m.getStand = reinterpret_cast<decltype(m.getStand)>(m.library.Symbol("ExtGetStand"));
    m.getCondition =
        reinterpret_cast<decltype(m.getCondition)>(m.library.Symbol("ExtGetCondition"));
    if (m.initInfo == nullptr || m.initItem == nullptr || m.getStand == nullptr) {
        problems.push_back(station.libraryDir + "/" + kLimitsPluginFile +
                           " is not a limits plug-in (ExtInitInfo, ExtInitItem, ExtGetStand)");
        return kExitNoPlugin;
    }
    return kExitOk;
}

// Where the plug-in took its table from: the standard file when it existed
// before the load (and whether it is damaged), else the database, which then
// writes the file. `served`: the plug-in's table is known not to be empty.
// When the file is missing afterwards, says why; a database that cannot be
// reached is also reported in `problems`.
std::vector<std::string> TableSource(const StationSettings &settings, bool hadFile, bool served,
                                     std::vector<std::string> &problems) {
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
        problems.push_back("cannot reach the station's database " + source + ": " + stamp);
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

std::string ParamName(const bridges::PlinthBridge &plinth, int paramId) {
    char name[PLINTH_NAME_BYTES] = {};
    if (plinth.GetZK2IDInfo(paramId, name) <= 0) return "";
    name[PLINTH_NAME_BYTES - 1] = '\0';
    return platform::GbkToUtf8Lossy(name);
}

std::vector<JudgedLimit> ReadLimits(const bridges::PlinthBridge &plinth,
                                    const unsigned char *buffer) {
    std::vector<JudgedLimit> limits;
    StdHead head;
    if (plinth.ParseStdHead(buffer, &head) <= 0 || head.kind != PLINTH_KIND_STD) return limits;
    for (int i = 0; i < head.count; ++i) {
        StdEntry e{};
        if (plinth.ParseStdHead_Std_Idx(buffer, i, &e) > 0)
            limits.push_back({e.paramId, ParamName(plinth, e.paramId), e.lvalue, e.hvalue});
    }
    return limits;
}

Buffer ItemBuffer(const bridges::PlinthBridge &plinth, const std::vector<int> &items) {
    Buffer buffer = NewBuffer();
    for (int id : items) plinth.WriteStdHead_Item(buffer.get(), id, 0);
    return buffer;
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

// Hands the vehicle to the plug-in: kExitOk, else the exit code with the
// reason in `problems`.
int TakeVehicle(const bridges::PlinthBridge &plinth, const LimitsModule &limits,
                const std::vector<InfoValue> &info, std::vector<std::string> &problems) {
    Buffer buffer = NewBuffer();
    for (const auto &[id, utf8] : info) {
        std::string gbk;
        if (!platform::Utf8ToGbk(utf8, gbk)) {
            problems.push_back("parameter " + std::to_string(id) + ": the text has no GBK form");
            return kExitUsage;
        }
        if (plinth.WriteStdHead_Info(buffer.get(), id, gbk.c_str()) != 1) {
            problems.push_back("parameter " + std::to_string(id) +
                               " does not fit the information buffer");
            return kExitUsage;
        }
    }
    if (int rc = limits.initInfo(buffer.get()); rc != 1) {
        problems.push_back("the plug-in did not take the vehicle (ExtInitInfo gave " +
                           std::to_string(rc) + ")");
        return kExitBadVehicle;
    }
    return kExitOk;
}

// The main pass: the limits of the selected items (all without a list).
void GetLimits(const bridges::PlinthBridge &plinth, const LimitsModule &limits,
               const JudgeRequest &request, JudgeResult &result, int &itemCount) {
    if (request.items.empty()) {
        limits.initItem(nullptr);
    } else {
        Buffer items = ItemBuffer(plinth, request.items);
        limits.initItem(items.get());
    }
    Buffer standard = NewBuffer();
    itemCount = limits.getStand(standard.get());
    result.items = itemCount < 0 ? 0 : itemCount;
    result.limits = ReadLimits(plinth, standard.get());
}

// Without --explain, only what must not pass unnoticed: a database that
// could not be reached when the plug-in needed it, a damaged standard file.
void NoteTableSource(const StationSettings &settings, bool hadFile, int itemCount,
                     JudgeResult &result) {
    std::error_code ec;
    if (result.explained ||
        (!hadFile && !std::filesystem::is_regular_file(settings.StandardFile(), ec))) {
        bool served = itemCount > 0;
        for (const auto &e : result.explanation) served = served || !e.limits.empty();
        result.source = TableSource(settings, hadFile, served, result.problems);
    } else if (hadFile) {
        // A damaged file serves what it holds: never without a word.
        if (const std::string damage = StandardFileDamage(settings.StandardFile()); !damage.empty())
            result.problems.push_back("standards: " + damage);
    }
}

}  // namespace

JudgeResult RunJudge(const std::string &stationOption, const JudgeRequest &request) {
    JudgeResult result;
    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    result.exitCode =
        EnterStation(stationOption, station, plinth, settings, StationNeeds::kStandards);
    if (result.exitCode != kExitOk) return result;
    std::error_code ec;
    const bool hadFile = std::filesystem::is_regular_file(settings.StandardFile(), ec);
    LimitsModule limits;
    result.exitCode = LoadLimitsModule(station, limits, result.problems);
    if (result.exitCode != kExitOk) return result;
    result.exitCode = TakeVehicle(plinth, limits, request.info, result.problems);
    if (result.exitCode != kExitOk) return result;

    int itemCount = 0;
    GetLimits(plinth, limits, request, result, itemCount);
    result.judged = true;
    result.explained = request.explain;
    if (request.explain) result.explanation = Explain(plinth, limits, request.items);
    NoteTableSource(settings, hadFile, itemCount, result);
    result.exitCode = itemCount > 0 ? kExitOk : kExitNoLimits;
    return result;
}

}  // namespace stdhost
