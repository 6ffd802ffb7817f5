#include "loader_reads.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <unordered_set>

#include "gbk_texts.h"
#include "platform/gbk.h"
#include "platform/trace.h"
#include "store/item_set.h"

namespace store::loader {
namespace {

constexpr std::size_t kMaxConditionText = kConditionBytes - 1;

// Runs `body` as stage `result`: a database error inside becomes StageError.
template <typename Body>
void Stage(int result, Body &&body) {
    try {
        body();
    } catch (const stationdb::DatabaseError &e) {
        throw StageError{result, e};
    }
}

void StoreDevice(Gathered &out, int32_t devid) {
    if (out.devices.size() >= static_cast<std::size_t>(kMaxDevices)) {
        platform::Trace(texts::kDbTooManyDevices);
        return;
    }
    if (devid <= 0) return;
    out.devices.push_back({devid, {}});
    platform::TraceF("%d\n", devid);
}

void StoreItem(GatheredDevice &device, int32_t itemid) {
    if (device.items.size() >= static_cast<std::size_t>(kMaxItemsPerDevice)) {
        platform::Trace(texts::kDbTooManyItems);
        return;
    }
    if (itemid <= 0) return;
    device.items.push_back(itemid);
    platform::TraceF("%d\n", itemid);
    // An item the engine does not know is reported here, once per device-item,
    // whether or not the later stages succeed; flagging it later is skipped.
    if (store::ItemSlot(itemid) < 0) platform::TraceF(texts::kNoSuchItem, itemid);
}

constexpr std::size_t kMaxConditions = static_cast<std::size_t>(kMaxConditionsPerItem);

// Collects the stored condition texts of one item before they are keyed.
struct ConditionRows {
    std::vector<std::pair<std::string, std::string>> keyed;  // (trimmed UTF-8, raw UTF-8)
};

void AddConditionRow(ConditionRows &rows, std::string raw) {
    const std::string_view key = TrimBlanks(raw);
    if (key.empty()) return;  // blank conditions are not kept
    rows.keyed.emplace_back(std::string(key), std::move(raw));
}

// Keys the conditions of an item: the trimmed text, compared byte for byte;
// every stored text that trims to a key belongs to it. Keys are ordered by
// their UTF-8 bytes, that is by code point, as an index of SQLite or of a
// PostgreSQL database in the C.UTF-8 locale returns them, whatever order the
// server happens to use; the 501st and later are dropped. Returns how many
// keys there were, kept or not (see TraceDroppedConditions).
std::size_t KeyConditions(int32_t itemid, ConditionRows &rows, GatheredItem &item) {
    item.conditionsRead = true;
    struct Candidate {
        std::string gbk;
        std::string utf8;
        std::vector<std::string> raw;
    };
    std::vector<Candidate> candidates;
    std::unordered_map<std::string, std::size_t> seen;
    for (auto &[key, raw] : rows.keyed) {
        auto found = seen.find(key);
        if (found != seen.end()) {
            if (found->second == SIZE_MAX) continue;  // a key already dropped
            auto &variants = candidates[found->second].raw;
            if (std::find(variants.begin(), variants.end(), raw) == variants.end())
                variants.push_back(std::move(raw));
            continue;
        }
        std::string gbk;
        if (!platform::Utf8ToGbk(key, gbk)) {
            platform::TraceF("item %d: condition \"%s\" has no GBK form, dropped\n", itemid,
                             key.c_str());
            seen.emplace(key, SIZE_MAX);
            continue;
        }
        if (gbk.size() > kMaxConditionText) {
            platform::TraceF("item %d: condition longer than %zu bytes, dropped\n", itemid,
                             kMaxConditionText);
            seen.emplace(key, SIZE_MAX);
            continue;
        }
        seen.emplace(key, candidates.size());
        candidates.push_back({std::move(gbk), key, {std::move(raw)}});
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const Candidate &a, const Candidate &b) { return a.utf8 < b.utf8; });
    for (std::size_t i = 0; i < candidates.size() && i < kMaxConditions; ++i) {
        item.byUtf8Key.emplace(candidates[i].utf8, static_cast<int>(item.conditions.size()));
        item.conditions.push_back({std::move(candidates[i].gbk), {}});
        item.rawVariants.push_back(std::move(candidates[i].raw));
    }
    return candidates.size();
}

// "超3" for each condition an item had beyond the 500 kept; traced for every
// device that performs the item, in the order of the devices and their items.
void TraceDroppedConditions(std::size_t keys) {
    for (std::size_t i = kMaxConditions; i < keys; ++i)
        platform::TraceF(texts::kDbTooManyConditions, static_cast<int>(i));
}

// One limit row: its key must be a stored condition of a read item.
void AddLimitRow(GatheredItem &item, int condition, std::string_view paramid,
                 std::string_view hvalue, std::string_view lvalue) {
    const int32_t id = IntegerOf(paramid);
    if (id <= 0) return;
    item.conditions[static_cast<std::size_t>(condition)].params.push_back(
        {id, FloatOf(hvalue), FloatOf(lvalue)});
}

// The limits of a condition by parameter, as the index on (itemid,
// condition, paramid) returns them. Rows of one parameter (the table keeps
// them all; a file loaded later keeps the last) are ordered by the bits of
// their values, so that neither the server's row order nor the read path
// decides.
void OrderLimits(Gathered &out) {
    for (auto &[id, item] : out.items)
        for (auto &condition : item.conditions)
            std::sort(condition.params.begin(), condition.params.end(),
                      [](const StdParam &a, const StdParam &b) {
                          // Bit patterns: a total order, "nan" texts included.
                          auto bits = [](float f) { return std::bit_cast<uint32_t>(f); };
                          if (a.paramid != b.paramid) return a.paramid < b.paramid;
                          if (bits(a.hvalue) != bits(b.hvalue))
                              return bits(a.hvalue) < bits(b.hvalue);
                          return bits(a.lvalue) < bits(b.lvalue);
                      });
}

// Every item id that a stored device performs.
std::unordered_set<int32_t> ItemsOfLine(const Gathered &out) {
    std::unordered_set<int32_t> ids;
    for (const auto &device : out.devices) ids.insert(device.items.begin(), device.items.end());
    return ids;
}

void ReadDevices(stationdb::Connection &connection, const LoaderStatements &sql, Gathered &out) {
    platform::Trace(texts::kDbDevicesHeading);
    Stage(-1, [&] {
        stationdb::Statement st(connection, sql.devices);
        st.Execute();
        const int devid = st.Column("devid");
        while (st.Fetch()) StoreDevice(out, IntegerOf(st.View(devid)));
    });
}

void ReadItemsStaged(stationdb::Connection &connection, const LoaderStatements &sql,
                     Gathered &out) {
    platform::Trace(texts::kDbItemsHeading);
    Stage(-2, [&] {
        stationdb::Statement st(connection, sql.items);
        st.Execute();
        const int devid = st.Column("devid");
        const int itemid = st.Column("itemid");
        // The stored devices by id; whatever order the server sorts the ids
        // in (a text column sorts "10" before "2"), each row finds its device.
        std::unordered_map<int32_t, std::vector<std::size_t>> byId;
        for (std::size_t d = 0; d < out.devices.size(); ++d)
            byId[out.devices[d].devid].push_back(d);
        while (st.Fetch()) {
            auto found = byId.find(IntegerOf(st.View(devid)));
            if (found == byId.end()) continue;
            const int32_t id = IntegerOf(st.View(itemid));
            for (std::size_t d : found->second) StoreItem(out.devices[d], id);
        }
    });
}

void ReadConditionsStaged(stationdb::Connection &connection, const LoaderStatements &sql,
                          Gathered &out) {
    platform::Trace(texts::kDbConditionsHeading);
    const std::unordered_set<int32_t> line = ItemsOfLine(out);
    Stage(-3, [&] {
        stationdb::Statement st(connection, sql.conditions);
        st.Execute();
        const int itemid = st.Column("itemid");
        const int condition = st.Column("condition");
        std::unordered_map<int32_t, ConditionRows> rows;
        while (st.Fetch()) {
            const int32_t id = IntegerOf(st.View(itemid));
            if (line.count(id) == 0) continue;
            AddConditionRow(rows[id], st.Utf8(condition));
        }
        std::unordered_map<int32_t, std::size_t> keys;
        for (int32_t id : line) keys[id] = KeyConditions(id, rows[id], out.items[id]);
        for (const auto &device : out.devices)
            for (int32_t id : device.items) TraceDroppedConditions(keys[id]);
    });
}

void ReadLimitsStaged(stationdb::Connection &connection, const LoaderStatements &sql,
                      Gathered &out) {
    Stage(-4, [&] {
        stationdb::Statement st(connection, sql.limits);
        st.Execute();
        const int itemid = st.Column("itemid");
        const int condition = st.Column("condition");
        const int paramid = st.Column("paramid");
        const int hvalue = st.Column("hvalue");
        const int lvalue = st.Column("lvalue");
        // Rows of one condition usually come together: the previous row's
        // key is checked before any lookup.
        int32_t lastId = 0;
        GatheredItem *item = nullptr;
        std::string lastKey;
        int lastCondition = -1;
        while (st.Fetch()) {
            const int32_t id = IntegerOf(st.View(itemid));
            if (item == nullptr || id != lastId) {
                auto found = out.items.find(id);
                item = found == out.items.end() ? nullptr : &found->second;
                lastId = id;
                lastCondition = -1;
            }
            if (item == nullptr) continue;
            const std::string_view key = TrimBlanks(st.View(condition));
            if (lastCondition < 0 || key != lastKey) {
                auto found = item->byUtf8Key.find(key);
                lastCondition = found == item->byUtf8Key.end() ? -1 : found->second;
                lastKey.assign(key);
                if (lastCondition < 0) {
                    lastKey.clear();
                    continue;
                }
            }
            AddLimitRow(*item, lastCondition, st.View(paramid), st.View(hvalue), st.View(lvalue));
        }
    });
}

// The reference path: a result set of its own per device, per device-item
// and per condition, sent at once and closed like the line software's. An item
// that two devices perform is queried under both and filled once.
void ReadPerCondition(stationdb::Connection &connection, const LoaderStatements &sql,
                      Gathered &out) {
    platform::Trace(texts::kDbItemsHeading);
    Stage(-2, [&] {
        for (auto &device : out.devices) {
            stationdb::Statement st(connection, sql.deviceItems, stationdb::Statement::Direct{});
            st.BindInt(1, device.devid);
            st.Execute();
            const int itemid = st.Column("itemid");
            while (st.Fetch()) StoreItem(device, IntegerOf(st.View(itemid)));
        }
    });

    platform::Trace(texts::kDbConditionsHeading);
    Stage(-3, [&] {
        std::unordered_map<int32_t, std::size_t> keys;  // per item: its condition keys
        for (const auto &device : out.devices) {
            for (int32_t id : device.items) {
                stationdb::Statement st(connection, sql.itemConditions,
                                        stationdb::Statement::Direct{});
                st.BindInt(1, id);
                st.Execute();
                const int condition = st.Column("condition");
                ConditionRows rows;
                while (st.Fetch()) AddConditionRow(rows, st.Utf8(condition));
                GatheredItem &item = out.items[id];
                if (!item.conditionsRead) keys[id] = KeyConditions(id, rows, item);
                TraceDroppedConditions(keys[id]);
            }
        }
    });

    Stage(-4, [&] {
        std::unordered_set<int32_t> filled;
        for (const auto &device : out.devices) {
            for (int32_t id : device.items) {
                GatheredItem &item = out.items[id];
                const bool fill = filled.insert(id).second;
                for (std::size_t c = 0; c < item.conditions.size(); ++c) {
                    for (const std::string &raw : item.rawVariants[c]) {
                        stationdb::Statement st(connection, sql.conditionLimits,
                                                stationdb::Statement::Direct{});
                        st.BindInt(1, id);
                        st.BindUtf8(2, raw);
                        st.Execute();
                        const int paramid = st.Column("paramid");
                        const int hvalue = st.Column("hvalue");
                        const int lvalue = st.Column("lvalue");
                        const int condition = st.Column("condition");
                        while (st.Fetch()) {
                            // The server's own comparison may ignore case or
                            // trailing blanks: only the exact text counts.
                            if (!fill || st.View(condition) != raw) continue;
                            AddLimitRow(item, static_cast<int>(c), st.View(paramid),
                                        st.View(hvalue), st.View(lvalue));
                        }
                    }
                }
            }
        }
    });
}

}  // namespace

void ReadStages(stationdb::Connection &connection, ReadPath path, Gathered &out) {
    const LoaderStatements &sql = StatementsFor(connection.GetDialect());
    ReadDevices(connection, sql, out);
    if (path == ReadPath::kPerCondition) {
        ReadPerCondition(connection, sql, out);
    } else {
        ReadItemsStaged(connection, sql, out);
        ReadConditionsStaged(connection, sql, out);
        ReadLimitsStaged(connection, sql, out);
    }
    OrderLimits(out);
}

void BuildTable(const Gathered &gathered, StandardTable &table) {
    for (std::size_t d = 0; d < gathered.devices.size(); ++d) {
        const GatheredDevice &device = gathered.devices[d];
        table.AppendDevice(device.devid);
        for (std::size_t i = 0; i < device.items.size(); ++i) {
            const int32_t id = device.items[i];
            table.AppendItem(d, id);
            if (store::ItemSlot(id) >= 0) table.PresentItems().SetItemFlag(id, 1);
            auto item = gathered.items.find(id);
            if (item == gathered.items.end()) continue;
            const auto &conditions = item->second.conditions;
            for (std::size_t c = 0; c < conditions.size(); ++c) {
                table.AppendCondition(d, i, conditions[c].gbk);
                const auto &params = conditions[c].params;
                for (std::size_t p = 0; p < params.size(); ++p) {
                    if (p >= static_cast<std::size_t>(kMaxParamsPerCondition)) {
                        platform::Trace(texts::kDbTooManyParams);
                        continue;
                    }
                    table.AppendParam(d, i, c, params[p]);
                }
            }
        }
    }
}

}  // namespace store::loader
