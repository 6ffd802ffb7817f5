#include "seed_tables.h"

#include <algorithm>
#include <map>
#include <set>

#include "engine/condition_walk.h"
#include "limit_rules.h"
#include "platform/gbk.h"
#include "store/item_set.h"

namespace seed {
namespace {

// Room of a condition in the standard table, terminating NUL not counted.
constexpr size_t kConditionMaxBytes = 149;

struct Device {
    int devid;
    std::string name;
};

struct Param {
    int paramId;
    std::string name;
};

struct Item {
    int itemId;
    std::string name;
    std::vector<int> devices;  // the first files the item's standards
    std::vector<Param> params;
};

struct Brand {
    std::string name;
    std::string letters;
    std::vector<std::string> series;
};

std::string At(const std::string &path, const SourceLine &line) {
    return path + ":" + std::to_string(line.number);
}

int IdField(const std::string &where, const std::string &text) {
    int value = 0;
    if (!ParseInt(text, value) || value <= 0) throw SeedError(where + ": bad id '" + text + "'");
    return value;
}

std::map<int, Device> ReadDevices(const std::string &dir) {
    const std::string path = dir + "/devices.tsv";
    std::map<int, Device> devices;
    for (const SourceLine &line : ReadSourceFile(path, 2)) {
        int devid = IdField(At(path, line), line.fields[0]);
        if (!devices.emplace(devid, Device{devid, line.fields[1]}).second)
            throw SeedError(At(path, line) + ": device listed twice");
    }
    return devices;
}

std::map<int, Item> ReadItems(const std::string &dir, const std::map<int, Device> &devices) {
    const std::string path = dir + "/items.tsv";
    std::map<int, Item> items;
    for (const SourceLine &line : ReadSourceFile(path, 3)) {
        const std::string where = At(path, line);
        Item item{IdField(where, line.fields[0]), line.fields[1], {}, {}};
        if (store::ItemSlot(item.itemId) < 0) throw SeedError(where + ": not a standard item");
        for (const std::string &text : SplitFields(line.fields[2], ',')) {
            int devid = IdField(where, text);
            if (devices.count(devid) == 0) throw SeedError(where + ": unknown device " + text);
            item.devices.push_back(devid);
        }
        if (!items.emplace(item.itemId, item).second)
            throw SeedError(where + ": item listed twice");
    }
    for (const store::StandardItem &standard : store::kStandardItems) {
        if (items.count(standard.itemId) == 0)
            throw SeedError(path + ": no device performs item " + std::to_string(standard.itemId));
    }
    return items;
}

void ReadParams(const std::string &dir, std::map<int, Item> &items) {
    const std::string path = dir + "/params.tsv";
    std::set<int> seen;
    for (const SourceLine &line : ReadSourceFile(path, 3)) {
        const std::string where = At(path, line);
        auto item = items.find(IdField(where, line.fields[0]));
        if (item == items.end()) throw SeedError(where + ": unknown item");
        int paramId = IdField(where, line.fields[1]);
        if (!seen.insert(paramId).second) throw SeedError(where + ": parameter listed twice");
        item->second.params.push_back(Param{paramId, line.fields[2]});
    }
    for (const auto &[itemId, item] : items) {
        if (item.params.empty())
            throw SeedError(path + ": item " + std::to_string(itemId) + " has no parameter");
    }
}

std::vector<Brand> ReadBrands(const std::string &dir) {
    const std::string path = dir + "/brands.tsv";
    std::vector<Brand> brands;
    std::set<std::string> names;
    for (const SourceLine &line : ReadSourceFile(path, 3)) {
        if (!names.insert(line.fields[0]).second)
            throw SeedError(At(path, line) + ": brand listed twice");
        brands.push_back(Brand{line.fields[0], line.fields[1], SplitFields(line.fields[2], ',')});
    }
    return brands;
}

void CheckRules(const std::vector<LimitRule> &rules, const std::map<int, Item> &items) {
    for (const LimitRule &rule : rules) {
        auto item = items.find(rule.itemId);
        if (item == items.end()) throw SeedError(rule.where + ": unknown item");
        if (rule.paramId == kAnyParam) continue;
        const auto &params = item->second.params;
        if (std::none_of(params.begin(), params.end(),
                         [&rule](const Param &p) { return p.paramId == rule.paramId; }))
            throw SeedError(rule.where + ": not a parameter of the item");
    }
}

SeedTable StandardTable(const std::map<int, Device> &devices, const std::map<int, Item> &items,
                        std::vector<LimitRule> &rules) {
    SeedTable table{"tb_id_standard",
                    {"type", "itemid:int", "itemname", "condition", "paramid:int", "paramname",
                     "hvalue", "lvalue", "stdorder:int"},
                    {}};
    std::string missing;
    int missingCount = 0;
    for (const engine::ReachableCondition &reachable : engine::ReachableConditions()) {
        const Item &item = items.at(reachable.itemId);
        if (reachable.condition.size() > kConditionMaxBytes)
            throw SeedError("condition of item " + std::to_string(item.itemId) + " too long");
        const std::string condition = platform::GbkToUtf8OrThrow(reachable.condition);
        for (const Param &param : item.params) {
            const LimitRule *rule = FindLimit(rules, item.itemId, condition, param.paramId);
            if (rule == nullptr) {
                if (++missingCount <= 20) {
                    missing += "\n  " + std::to_string(item.itemId) + "\t" + condition + "\t" +
                               std::to_string(param.paramId);
                }
                continue;
            }
            table.rows.push_back({devices.at(item.devices.front()).name,
                                  std::to_string(item.itemId), item.name, condition,
                                  std::to_string(param.paramId), param.name,
                                  FormatLimit(rule->upper), FormatLimit(rule->lower), "0"});
        }
    }
    if (missingCount > 0) {
        throw SeedError("no limit rule for " + std::to_string(missingCount) +
                        " reachable (item, condition, parameter):" + missing);
    }
    for (const LimitRule &rule : rules)
        if (rule.uses == 0) throw SeedError(rule.where + ": the rule matches no condition");
    return table;
}

}  // namespace

std::vector<SeedTable> GenerateSeed(const std::string &sourceDir) {
    const std::map<int, Device> devices = ReadDevices(sourceDir);
    std::map<int, Item> items = ReadItems(sourceDir, devices);
    ReadParams(sourceDir, items);
    const std::vector<Brand> brands = ReadBrands(sourceDir);
    std::vector<LimitRule> rules = ReadLimitRules(sourceDir + "/limit_rules.tsv");
    CheckRules(rules, items);

    std::vector<SeedTable> tables;
    tables.push_back({"tb_status_memstd", {"DBModifyTime"}, {{kDbModifyTime}}});

    SeedTable lineInfo{"tb_line_info", {"devid:int", "devname"}, {}};
    SeedTable lineIndex{"tb_login_lineindex", {"devid:int", "itemid:int"}, {}};
    SeedTable params{"tb_id_param", {"devid:int", "ItemId:int", "ParamId:int", "ParamName"}, {}};
    for (const auto &[devid, device] : devices) {
        lineInfo.rows.push_back({std::to_string(devid), device.name});
        for (const auto &[itemId, item] : items) {
            if (std::find(item.devices.begin(), item.devices.end(), devid) == item.devices.end())
                continue;
            lineIndex.rows.push_back({std::to_string(devid), std::to_string(itemId)});
            for (const Param &param : item.params) {
                params.rows.push_back({std::to_string(devid), std::to_string(itemId),
                                       std::to_string(param.paramId), param.name});
            }
        }
    }
    SeedTable itemTable{"tb_id_item", {"ItemId:int", "ItemName"}, {}};
    for (const auto &[itemId, item] : items)
        itemTable.rows.push_back({std::to_string(itemId), item.name});

    SeedTable brandIndex{"tb_type_index", {"CPMC", "CPZM"}, {}};
    SeedTable vehicles{"tb_type_vehicle", {"CPMC", "CXXL"}, {}};
    for (const Brand &brand : brands) {
        brandIndex.rows.push_back({brand.name, brand.letters});
        for (const std::string &series : brand.series)
            vehicles.rows.push_back({brand.name, series});
    }

    tables.push_back(std::move(lineInfo));
    tables.push_back(std::move(lineIndex));
    tables.push_back(std::move(itemTable));
    tables.push_back(std::move(params));
    tables.push_back(StandardTable(devices, items, rules));
    tables.push_back(std::move(brandIndex));
    tables.push_back(std::move(vehicles));
    return tables;
}

}  // namespace seed
