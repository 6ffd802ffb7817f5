#pragma once
// The reading stages of a database pass and what they gather, before any of
// it reaches a standard table.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/value_text.h"
#include "stationdb/stationdb.h"
#include "store/database_loader.h"
#include "store/standard_table.h"

namespace store::loader {

// One condition of an item: its key (GBK, trimmed, as stored) and the limit
// rows found for it, in the order they will be stored.
struct GatheredCondition {
    std::string gbk;
    std::vector<StdParam> params;
};

// Looks texts up without making a string of them first.
struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
        return std::hash<std::string_view>{}(text);
    }
};

// The conditions of one item id; the same under every device that performs it.
struct GatheredItem {
    bool conditionsRead = false;
    std::vector<GatheredCondition> conditions;  // sorted by key bytes, at most 500
    std::unordered_map<std::string, int, KeyHash, std::equal_to<>>
        byUtf8Key;                                      // trimmed UTF-8 text -> condition
    std::vector<std::vector<std::string>> rawVariants;  // per condition: stored texts (UTF-8)
};

struct GatheredDevice {
    int32_t devid;
    std::vector<int32_t> items;  // at most 30
};

struct Gathered {
    std::vector<GatheredDevice> devices;  // at most 20
    std::unordered_map<int32_t, GatheredItem> items;
};

// A database stage failed: which result the pass gives for it.
struct StageError {
    int result;
    stationdb::DatabaseError error;
};

// Reads the devices, items, conditions and limits. Throws StageError.
void ReadStages(stationdb::Connection &connection, ReadPath path, Gathered &out);

// Appends what was gathered to an empty table, level by level, dropping what
// exceeds 50 parameters per condition ("超4").
void BuildTable(const Gathered &gathered, StandardTable &table);

using platform::FloatOf;
using platform::IntegerOf;
using platform::TrimBlanks;

}  // namespace store::loader
