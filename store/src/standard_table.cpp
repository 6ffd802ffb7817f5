#include "store/standard_table.h"

#include <algorithm>
#include <cstring>

#include "lookup_index.h"

namespace store {
namespace {

// A 32-bit hash of the exact bytes, eight at a time: the condition search of
// InsertRecord compares these before it compares texts.
uint32_t ExactHash(std::string_view text) {
    constexpr uint64_t kMultiplier = 0xFF51AFD7ED558CCDull;
    const char *p = text.data();
    std::size_t n = text.size();
    uint64_t h = 0x9E3779B97F4A7C15ull ^ n;
    for (; n >= 8; n -= 8, p += 8) {
        uint64_t word;
        std::memcpy(&word, p, 8);
        h = (h ^ word) * kMultiplier;
        h ^= h >> 32;
    }
    uint64_t tail = 0;
    std::memcpy(&tail, p, n);
    h = (h ^ tail) * kMultiplier;
    h ^= h >> 29;
    return static_cast<uint32_t>(h);
}

// The form in which a condition is stored and compared: up to its first NUL,
// at most kConditionBytes - 1 bytes.
std::string_view StoredCondition(std::string_view text) {
    std::size_t nul = text.find('\0');
    if (nul != std::string_view::npos) text = text.substr(0, nul);
    if (text.size() > static_cast<std::size_t>(kConditionBytes - 1))
        text = text.substr(0, kConditionBytes - 1);
    return text;
}

// Makes room for one more entry in a level that holds at most `capacity`:
// doubling, but never past the capacity, so that a full level takes what a
// fixed reservation would and no more (50 parameters, not the 64 that a
// doubling from 8 would give).
template <class Entry>
void RoomForOneMore(std::vector<Entry> &level, std::size_t capacity) {
    if (level.size() < level.capacity()) return;
    level.reserve(std::min(capacity, std::max<std::size_t>(8, 2 * level.size())));
}

// The entry for a key that is not in `level`: a new one, made by `make`,
// while there is room, else the last one, whose key the caller then replaces
// (its children stay).
template <class Entry, class Make>
std::size_t SlotForNewKey(std::vector<Entry> &level, int capacity, Make make) {
    if (level.size() < static_cast<std::size_t>(capacity)) {
        RoomForOneMore(level, static_cast<std::size_t>(capacity));
        level.push_back(make());
        return level.size() - 1;
    }
    return static_cast<std::size_t>(capacity) - 1;
}

// New entries take room for their children at once: a file brings them one
// by one, and growing a vector step by step costs an allocation, a move and a
// free each time. The item list of a device is small, so it gets all of it;
// condition and parameter lists get room for a typical count and then grow.
constexpr std::size_t kInitialConditions = 32;
constexpr std::size_t kInitialParams = 8;

StdDevice NewDevice(int32_t devid) {
    StdDevice device{devid, {}};
    device.items.reserve(kMaxItemsPerDevice);
    return device;
}

StdItem NewItem(int32_t itemid) {
    StdItem item{itemid, {}, {}};
    item.conditions.reserve(kInitialConditions);
    item.conditionHashes.reserve(kInitialConditions);
    return item;
}

// Stores a condition that is not in `item`: appended while there is room,
// else it takes over the last entry. Either completes or, when an allocation
// fails, leaves the item unchanged, so texts and hashes stay in step.
std::size_t AddCondition(StdItem &item, std::string_view text, uint32_t hash) {
    std::string stored(text);
    if (item.conditions.size() < static_cast<std::size_t>(kMaxConditionsPerItem)) {
        RoomForOneMore(item.conditionHashes, kMaxConditionsPerItem);
        RoomForOneMore(item.conditions, kMaxConditionsPerItem);
        std::vector<StdParam> params;
        params.reserve(kInitialParams);
        item.conditions.push_back(StdCondition{std::move(stored), std::move(params)});
        item.conditionHashes.push_back(hash);
        return item.conditions.size() - 1;
    }
    const std::size_t last = static_cast<std::size_t>(kMaxConditionsPerItem) - 1;
    item.conditions[last].condition = std::move(stored);
    item.conditionHashes[last] = hash;
    return last;
}

std::size_t FindDevice(const std::vector<StdDevice> &devices, int32_t devid) {
    for (std::size_t i = 0; i < devices.size(); ++i)
        if (devices[i].devid == devid) return i;
    return devices.size();
}

std::size_t FindItem(const std::vector<StdItem> &items, int32_t itemid) {
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].itemid == itemid) return i;
    return items.size();
}

std::size_t FindCondition(const StdItem &item, std::string_view text, uint32_t hash) {
    const std::size_t n = item.conditionHashes.size();
    const uint32_t *hashes = item.conditionHashes.data();
    for (std::size_t i = 0; i < n; ++i)
        if (hashes[i] == hash && item.conditions[i].condition == text) return i;
    return n;
}

std::size_t FindParam(const std::vector<StdParam> &params, int32_t paramid) {
    for (std::size_t i = 0; i < params.size(); ++i)
        if (params[i].paramid == paramid) return i;
    return params.size();
}

}  // namespace

StandardTable::StandardTable() {
    devices_.reserve(kMaxDevices);
}

StandardTable::~StandardTable() = default;

void StandardTable::TableChanged() {
    indexStale_ = true;
    lastInsert_.valid = false;
}

void StandardTable::ResetCounts() {
    devices_.clear();
    TableChanged();
}

void StandardTable::Swap(StandardTable &other) noexcept {
    devices_.swap(other.devices_);
    std::swap(lastInsert_, other.lastInsert_);
    std::swap(presentItems_, other.presentItems_);
    index_.swap(other.index_);
    std::swap(indexStale_, other.indexStale_);
}

void StandardTable::InsertRecord(const StdRecord &record) {
    indexStale_ = true;
    const std::string_view text = StoredCondition(record.condition);
    // Keys are distinct within each level, so an entry whose key matches is
    // the one the search would find; the remembered position only saves the
    // search.
    bool remembered = lastInsert_.valid;

    std::size_t d = remembered ? lastInsert_.device : 0;
    if (!remembered || devices_[d].devid != record.devid) {
        remembered = false;
        d = FindDevice(devices_, record.devid);
        if (d == devices_.size())
            d = SlotForNewKey(devices_, kMaxDevices, [&] { return NewDevice(record.devid); });
        devices_[d].devid = record.devid;
    }
    StdDevice &device = devices_[d];

    std::size_t i = remembered ? lastInsert_.item : 0;
    if (!remembered || device.items[i].itemid != record.itemid) {
        remembered = false;
        i = FindItem(device.items, record.itemid);
        if (i == device.items.size())
            i = SlotForNewKey(device.items, kMaxItemsPerDevice,
                              [&] { return NewItem(record.itemid); });
        device.items[i].itemid = record.itemid;
    }
    StdItem &item = device.items[i];

    std::size_t c = remembered ? lastInsert_.condition : 0;
    if (!remembered || item.conditions[c].condition != text) {
        const uint32_t hash = ExactHash(text);
        c = FindCondition(item, text, hash);
        if (c == item.conditions.size()) c = AddCondition(item, text, hash);
    }
    lastInsert_ = InsertPosition{true, d, i, c};
    MergeIntoLastCondition(record);
}

void StandardTable::MergeIntoLastCondition(const StdRecord &record) {
    indexStale_ = true;
    StdCondition &condition =
        devices_[lastInsert_.device].items[lastInsert_.item].conditions[lastInsert_.condition];
    std::size_t p = FindParam(condition.params, record.paramid);
    if (p == condition.params.size())
        p = SlotForNewKey(condition.params, kMaxParamsPerCondition, [] { return StdParam{}; });
    condition.params[p] = StdParam{record.paramid, record.hvalue, record.lvalue};
}

bool StandardTable::AppendDevice(int32_t devid) {
    if (devices_.size() >= static_cast<std::size_t>(kMaxDevices)) return false;
    devices_.push_back(NewDevice(devid));
    TableChanged();
    return true;
}

bool StandardTable::AppendItem(std::size_t device, int32_t itemid) {
    if (device >= devices_.size()) return false;
    std::vector<StdItem> &items = devices_[device].items;
    if (items.size() >= static_cast<std::size_t>(kMaxItemsPerDevice)) return false;
    items.push_back(NewItem(itemid));
    TableChanged();
    return true;
}

bool StandardTable::AppendCondition(std::size_t device, std::size_t item,
                                    std::string_view condition) {
    if (device >= devices_.size() || item >= devices_[device].items.size()) return false;
    StdItem &target = devices_[device].items[item];
    if (target.conditions.size() >= static_cast<std::size_t>(kMaxConditionsPerItem)) return false;
    const std::string_view text = StoredCondition(condition);
    AddCondition(target, text, ExactHash(text));
    TableChanged();
    return true;
}

bool StandardTable::AppendParam(std::size_t device, std::size_t item, std::size_t condition,
                                const StdParam &param) {
    if (device >= devices_.size() || item >= devices_[device].items.size()) return false;
    std::vector<StdCondition> &conditions = devices_[device].items[item].conditions;
    if (condition >= conditions.size()) return false;
    std::vector<StdParam> &params = conditions[condition].params;
    if (params.size() >= static_cast<std::size_t>(kMaxParamsPerCondition)) return false;
    RoomForOneMore(params, kMaxParamsPerCondition);
    params.push_back(param);
    TableChanged();
    return true;
}

std::size_t StandardTable::RecordCount() const {
    std::size_t count = 0;
    for (const StdDevice &device : devices_)
        for (const StdItem &item : device.items)
            for (const StdCondition &condition : item.conditions) count += condition.params.size();
    return count;
}

}  // namespace store
