#pragma once
// The reading stages of a database pass and what they gather, before any of
// it reaches a standard table.
#include <cstdint>
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

// The conditions of one item id; the same under every device that performs it.
struct GatheredItem {
    bool conditionsRead = false;
    std::vector<GatheredCondition> conditions;  // sorted by key bytes, at most 500
    // Per condition, the stored texts (UTF-8) that trim to its key: what the
    // per-condition reads ask the server for. Empty after the staged reads.
    std::vector<std::vector<std::string>> rawVariants;
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

// Reads the devices, items, conditions and limits. Throws StageError. The
// staged reads take the conditions of the line's items from the limit rows
// themselves; the condition statement runs only to tell which stage a
// failing limit read belongs to.
void ReadStages(stationdb::Connection &connection, ReadPath path, Gathered &out);

// The same with `rows` in place of the limit rows of tb_id_standard.
void ReadStagesWithRows(stationdb::Connection &connection, const std::vector<StoredLimitRow> &rows,
                        Gathered &out);

// Appends what was gathered to an empty table, level by level, dropping what
// exceeds 50 parameters per condition ("超4").
void BuildTable(const Gathered &gathered, StandardTable &table);

using platform::FloatOf;
using platform::IntegerOf;
using platform::TrimBlanks;

}  // namespace store::loader
