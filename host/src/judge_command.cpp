// stdhost judge: hands one vehicle to the limits plug-in the way a line
// program does (information buffer, item buffer, standard buffer) and prints
// the limits it returns.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "bridges/plinth_bridge.h"
#include "commands.h"
#include "engine/item_set.h"
#include "ext_family.h"
#include "platform/dynamic_library.h"
#include "platform/gbk.h"
#include "station.h"

namespace stdhost {
namespace {

struct JudgeOptions {
    std::vector<std::pair<int, std::string>> info;  // parameter ID, UTF-8 text
    std::vector<int> items;
    bool json = false;
    bool explain = false;
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
    char *end = nullptr;
    long v = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || v < 1 || v > 65535) return false;
    id = static_cast<int>(v);
    return true;
}

// "ID=TEXT"
bool ParseAssignment(const std::string &text, std::pair<int, std::string> &out) {
    auto eq = text.find('=');
    return eq != std::string::npos && ParseId(text.substr(0, eq), out.first) &&
           (out.second = text.substr(eq + 1), true);
}

bool ReadVehicleFile(const std::string &path, JudgeOptions &options) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        Complain("cannot read vehicle file " + path);
        return false;
    }
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') continue;
        std::pair<int, std::string> a;
        if (!ParseAssignment(line.substr(first), a)) {
            Complain(path + ":" + std::to_string(lineNo) + ": expected ID=TEXT");
            return false;
        }
        options.info.push_back(a);
    }
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

int ParseOptions(const Args &args, JudgeOptions &options) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        auto value = [&](std::string &out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        std::string v;
        if (a == "--json") {
            options.json = true;
        } else if (a == "--explain") {
            options.explain = true;
        } else if (a == "--set") {
            std::pair<int, std::string> p;
            if (!value(v) || !ParseAssignment(v, p)) {
                Complain("--set needs ID=TEXT with a parameter ID of 1 to 65535");
                return kExitUsage;
            }
            options.info.push_back(p);
        } else if (a == "--vehicle") {
            if (!value(v)) {
                Complain("--vehicle needs a file");
                return kExitUsage;
            }
            if (!ReadVehicleFile(v, options)) return kExitUsage;
        } else if (a == "--items") {
            if (!value(v) || !ParseItems(v, options.items)) {
                Complain("--items needs a comma-separated list of item IDs");
                return kExitUsage;
            }
        } else {
            Complain("unknown option for judge: " + a);
            return kExitUsage;
        }
    }
    if (options.info.empty()) {
        Complain("judge needs a vehicle: --set ID=TEXT or --vehicle FILE");
        return kExitUsage;
    }
    return kExitOk;
}

bool LoadLimitsModule(const Station &station, LimitsModule &m) {
    if (OpenLimitsPlugin(station, m.library) != kExitOk) return false;
    m.initInfo = reinterpret_cast<decltype(m.initInfo)>(m.library.Symbol("ExtInitInfo"));
    m.initItem = reinterpret_cast<decltype(m.initItem)>(m.library.Symbol("ExtInitItem"));
    m.getStand = reinterpret_cast<decltype(m.getStand)>(m.library.Symbol("ExtGetStand"));
    m.getCondition =
        reinterpret_cast<decltype(m.getCondition)>(m.library.Symbol("ExtGetCondition"));
    if (m.initInfo == nullptr || m.initItem == nullptr || m.getStand == nullptr) {
        Complain(station.libraryDir +
                 "/liblimbank.so is not a limits plug-in (ExtInitInfo, ExtInitItem, ExtGetStand)");
        return false;
    }
    return true;
}

// Where the plug-in took its table from: the standard file when it existed
// before the load, else the database (which then writes the file).
std::string TableSource(const StationSettings &settings, bool hadFile) {
    const std::string file = settings.StandardFile();
    std::error_code ec;
    if (hadFile) return "standards: the standard file " + file;
    if (!std::filesystem::exists(file, ec))
        return "standards: no standard file and nothing loaded from the database (data source " +
               settings.dataSource + ")";
    return "standards: no standard file, so the plug-in loaded the database (data source " +
           settings.dataSource + ") and wrote " + file;
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

// Columns of a terminal: a CJK character (3 bytes of UTF-8 here) takes two.
std::size_t DisplayWidth(const std::string &utf8) {
    std::size_t width = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        auto c = static_cast<unsigned char>(utf8[i]);
        std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        width += len >= 3 ? 2 : 1;
        i += len;
    }
    return width;
}

std::string Pad(const std::string &text, std::size_t width) {
    std::size_t w = DisplayWidth(text);
    return text + std::string(w < width ? width - w : 0, ' ');
}

std::string JsonString(const std::string &utf8) {
    std::string out = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
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

std::string JsonLimits(const bridges::PlinthBridge &plinth, const std::vector<Limit> &limits) {
    std::string out = "[";
    for (std::size_t i = 0; i < limits.size(); ++i) {
        const Limit &l = limits[i];
        out += (i ? ", " : "") + std::string("{\"param\": ") + std::to_string(l.paramId) +
               ", \"name\": " + JsonString(ParamName(plinth, l.paramId)) +
               ", \"lower\": " + LimitText(l.lower) + ", \"upper\": " + LimitText(l.upper) + "}";
    }
    return out + "]";
}

// Per item: the condition the plug-in builds and the limits it finds for it
// alone. Runs after the main pass; it changes the plug-in's item selection.
std::vector<ItemExplanation> Explain(const bridges::PlinthBridge &plinth, const LimitsModule &m,
                                     const std::vector<int> &selected) {
    std::vector<ItemExplanation> out;
    std::vector<int> ids = selected;
    if (ids.empty())
        for (const auto &item : engine::kStandardItems) ids.push_back(item.itemId);
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

}  // namespace

int JudgeCommand(const std::string &stationOption, const Args &args) {
    JudgeOptions options;
    if (int rc = ParseOptions(args, options); rc != kExitOk) return rc;

    Station station;
    bridges::PlinthBridge plinth;
    StationSettings settings;
    if (int rc = EnterStation(stationOption, station, plinth, settings); rc != kExitOk) return rc;
    std::error_code ec;
    const bool hadFile = std::filesystem::exists(settings.StandardFile(), ec);
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

    if (options.json) {
        std::printf("{\"items\": %d, \"limits\": %s", itemCount < 0 ? 0 : itemCount,
                    JsonLimits(plinth, all).c_str());
        if (options.explain) {
            std::printf(", \"explain\": [");
            for (std::size_t i = 0; i < explained.size(); ++i) {
                const auto &e = explained[i];
                std::printf("%s{\"item\": %d, \"condition\": %s, \"held\": %s, \"limits\": %s}",
                            i ? ", " : "", e.itemId,
                            e.hasCondition ? JsonString(e.condition).c_str() : "null",
                            e.limits.empty() ? "false" : "true",
                            JsonLimits(plinth, e.limits).c_str());
            }
            std::printf("]");
        }
        std::printf("}\n");
    } else {
        if (options.explain) {
            std::printf("%s\n", TableSource(settings, hadFile).c_str());
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

}  // namespace stdhost
