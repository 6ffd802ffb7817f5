#include "loader_reads.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <deque>
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

// A condition of an item as the rows give it, before it is kept or dropped:
// its key (the stored text trimmed, UTF-8), the stored texts that trim to it
// (per-condition reads) and its limit rows (staged reads).
struct Candidate {
    std::string utf8;
    std::vector<std::string> raw;
    std::vector<StdParam> params;
};

// Room for the limit rows of a typical condition at once, rather than
// growing one row at a time.
constexpr std::size_t kInitialParams = 16;

// The candidates of one item in the order their keys first came, each key
// once: a key is the trimmed text compared byte for byte. The deque keeps
// each candidate, and so the key text the index views, in place.
struct ItemRows {
    std::deque<Candidate> candidates;
    std::unordered_map<std::string_view, std::size_t> byKey;

    // The candidate of `key` (not empty), added when new.
    std::size_t Of(std::string_view key, bool withParams) {
        auto found = byKey.find(key);
        if (found != byKey.end()) return found->second;
        Candidate &added = candidates.emplace_back();
        added.utf8.assign(key);
        if (withParams) added.params.reserve(kInitialParams);
        byKey.emplace(added.utf8, candidates.size() - 1);
        return candidates.size() - 1;
    }
};

// A stored condition text of the item; blank ones are not kept.
void AddConditionRow(ItemRows &rows, std::string_view raw) {
    const std::string_view key = TrimBlanks(raw);
    if (key.empty()) return;
    auto &variants = rows.candidates[rows.Of(key, false)].raw;
    if (std::find(variants.begin(), variants.end(), raw) == variants.end())
        variants.emplace_back(raw);
}

// Keeps the conditions of an item: a key without a GBK form, or longer than a
// condition holds, is dropped with a trace line. Keys are ordered by their
// UTF-8 bytes, that is by code point, as an index of SQLite or of a
// PostgreSQL database in the C.UTF-8 locale returns them, whatever order the
// server happens to use; the 501st and later are dropped. Returns how many
// keys there were, kept or not (see TraceDroppedConditions).
std::size_t KeyConditions(int32_t itemid, ItemRows &rows, GatheredItem &item) {
    item.conditionsRead = true;
    struct Kept {
        std::string gbk;
        Candidate *candidate;
    };
    std::vector<Kept> kept;
    kept.reserve(rows.candidates.size());
    for (Candidate &candidate : rows.candidates) {
        std::string gbk;
        if (!platform::Utf8ToGbk(candidate.utf8, gbk)) {
            platform::TraceF("item %d: condition \"%s\" has no GBK form, dropped\n", itemid,
                             candidate.utf8.c_str());
            continue;
        }
        if (gbk.size() > kMaxConditionText) {
            platform::TraceF("item %d: condition longer than %zu bytes, dropped\n", itemid,
                             kMaxConditionText);
            continue;
        }
        kept.push_back({std::move(gbk), &candidate});
    }
    std::sort(kept.begin(), kept.end(),
              [](const Kept &a, const Kept &b) { return a.candidate->utf8 < b.candidate->utf8; });
    const std::size_t count = std::min(kept.size(), kMaxConditions);
    item.conditions.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        item.conditions.push_back({std::move(kept[i].gbk), std::move(kept[i].candidate->params)});
        item.rawVariants.push_back(std::move(kept[i].candidate->raw));
    }
    return kept.size();
}

// "超3" for each condition an item had beyond the 500 kept; traced for every
// device that performs the item, in the order of the devices and their items.
void TraceDroppedConditions(std::size_t keys) {
    for (std::size_t i = kMaxConditions; i < keys; ++i)
        platform::TraceF(texts::kDbTooManyConditions, static_cast<int>(i));
}

// One limit row of a condition.
void AddLimitRow(std::vector<StdParam> &params, int32_t id, std::string_view hvalue,
                 std::string_view lvalue) {
    if (id <= 0) return;
    params.push_back({id, FloatOf(hvalue), FloatOf(lvalue)});
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

// Every item id that a stored device performs, each once, in the order of
// the devices and their items.
std::vector<int32_t> ItemsOfLine(const Gathered &out) {
    std::vector<int32_t> ids;
    std::unordered_set<int32_t> seen;
    for (const auto &device : out.devices)
        for (int32_t id : device.items)
            if (seen.insert(id).second) ids.push_back(id);
    return ids;
}

// Keys the conditions of every item of the line from the rows read for it,
// then traces the dropped ones per device-item.
void KeyLineConditions(std::unordered_map<int32_t, ItemRows> &rows, Gathered &out) {
    std::unordered_map<int32_t, std::size_t> keys;
    for (int32_t id : ItemsOfLine(out)) keys[id] = KeyConditions(id, rows[id], out.items[id]);
    for (const auto &device : out.devices)
        for (int32_t id : device.items) TraceDroppedConditions(keys[id]);
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

// The distinct (item, condition) statement: the conditions of the line's
// items when the limit read failed, so that a pass ends at the stage whose
// statement fails, with that statement's message.
void ReadConditionsAlone(stationdb::Connection &connection, const LoaderStatements &sql,
                         Gathered &out) {
    Stage(-3, [&] {
        stationdb::Statement st(connection, sql.conditions);
        st.Execute();
        const int itemid = st.Column("itemid");
        const int condition = st.Column("condition");
        std::unordered_map<int32_t, ItemRows> rows;
        for (int32_t id : ItemsOfLine(out)) rows[id];
        while (st.Fetch()) {
            auto found = rows.find(IntegerOf(st.View(itemid)));
            if (found != rows.end()) AddConditionRow(found->second, st.View(condition));
        }
        KeyLineConditions(rows, out);
    });
}

// The limit rows of the line's items, keyed by condition as they come: every
// (item, condition) pair of the rows is a condition, with or without a limit
// that counts (a paramid of 0 or less is no limit). `next` fills the next
// row and returns false after the last.
template <typename NextRow>
void GatherLimitRows(NextRow &&next, std::unordered_map<int32_t, ItemRows> &rows) {
    // Rows of one item, and of one condition, usually come together: the
    // previous row's are checked before any lookup.
    bool first = true;
    int32_t lastId = 0;
    ItemRows *item = nullptr;
    std::size_t last = SIZE_MAX;
    StoredLimitRow row;
    while (next(row)) {
        if (first || row.itemid != lastId) {
            auto found = rows.find(row.itemid);
            item = found == rows.end() ? nullptr : &found->second;
            first = false;
            lastId = row.itemid;
            last = SIZE_MAX;
        }
        if (item == nullptr) continue;
        const std::string_view key = TrimBlanks(row.condition);
        if (key.empty()) continue;  // blank conditions are not kept
        if (last == SIZE_MAX || key != item->candidates[last].utf8) last = item->Of(key, true);
        AddLimitRow(item->candidates[last].params, row.paramid, row.hvalue, row.lvalue);
    }
}

void ReadLimitRows(stationdb::Statement &st, std::unordered_map<int32_t, ItemRows> &rows) {
    st.Execute();
    const int itemid = st.Column("itemid");
    const int condition = st.Column("condition");
    const int paramid = st.Column("paramid");
    const int hvalue = st.Column("hvalue");
    const int lvalue = st.Column("lvalue");
    // The other columns of a row are read only for the line's items.
    GatherLimitRows(
        [&](StoredLimitRow &row) {
            while (st.Fetch()) {
                const int32_t id = IntegerOf(st.View(itemid));
                if (rows.find(id) == rows.end()) continue;
                row = {id, st.View(condition), IntegerOf(st.View(paramid)), st.View(hvalue),
                       st.View(lvalue)};
                return true;
            }
            return false;
        },
        rows);
}

// The conditions and the limits of the line's items in one read of the limit
// rows. Its traces are those of the separate condition stage: the heading,
// then, once the read completed, the dropped conditions.
void ReadConditionsAndLimits(stationdb::Connection &connection, const LoaderStatements &sql,
                             Gathered &out) {
    platform::Trace(texts::kDbConditionsHeading);
    std::unordered_map<int32_t, ItemRows> rows;
    for (int32_t id : ItemsOfLine(out)) rows[id];
    try {
        stationdb::Statement st(connection, sql.limits);
        ReadLimitRows(st, rows);
    } catch (const stationdb::DatabaseError &e) {
        ReadConditionsAlone(connection, sql, out);  // -3 when the conditions fail too
        throw StageError{-4, e};
    }
    KeyLineConditions(rows, out);
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
                ItemRows rows;
                while (st.Fetch()) AddConditionRow(rows, st.View(condition));
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
                            AddLimitRow(item.conditions[c].params, IntegerOf(st.View(paramid)),
                                        st.View(hvalue), st.View(lvalue));
                        }
                    }
                }
            }
        }
    });
}

}  // namespace

void ReadStagesWithRows(stationdb::Connection &connection, const std::vector<StoredLimitRow> &given,
                        Gathered &out) {
    const LoaderStatements &sql = StatementsFor(connection.GetDialect());
    ReadDevices(connection, sql, out);
    ReadItemsStaged(connection, sql, out);
    platform::Trace(texts::kDbConditionsHeading);
    std::unordered_map<int32_t, ItemRows> rows;
    for (int32_t id : ItemsOfLine(out)) rows[id];
    std::size_t at = 0;
    GatherLimitRows(
        [&](StoredLimitRow &row) {
            if (at == given.size()) return false;
            row = given[at++];
            return true;
        },
        rows);
    KeyLineConditions(rows, out);
    OrderLimits(out);
}

void ReadStages(stationdb::Connection &connection, ReadPath path, Gathered &out) {
    const LoaderStatements &sql = StatementsFor(connection.GetDialect());
    ReadDevices(connection, sql, out);
    if (path == ReadPath::kPerCondition) {
        ReadPerCondition(connection, sql, out);
    } else {
        ReadItemsStaged(connection, sql, out);
        ReadConditionsAndLimits(connection, sql, out);
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
