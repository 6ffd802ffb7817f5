// FindStandard answers from an index keyed by (itemid, folded condition); it is
// rebuilt on the first lookup after the table changed. ScanStandard is the plain
// walk that defines the answer: devices, their items, the items' conditions, in
// table order, first match wins.
#include <new>

#include "lookup_index.h"
#include "store/condition_compare.h"

namespace store {

void StandardTable::RebuildIndex() const {
    if (!index_) index_ = std::make_unique<LookupIndex>();
    auto &entries = index_->entries;
    entries.clear();
    std::size_t conditions = 0;
    for (const StdDevice &device : devices_)
        for (const StdItem &item : device.items) conditions += item.conditions.size();
    entries.reserve(conditions);
    for (const StdDevice &device : devices_) {
        for (const StdItem &item : device.items) {
            for (const StdCondition &condition : item.conditions) {
                // try_emplace keeps the entry already there: the first in scan order.
                entries.try_emplace(
                    LookupIndex::Key{item.itemid, store::FoldCondition(condition.condition)},
                    &condition);
            }
        }
    }
    indexStale_ = false;
}

const StdCondition *StandardTable::FindStandard(int itemId, std::string_view condition) const {
    // Stored conditions hold at most kConditionBytes - 1 bytes.
    if (condition.size() >= static_cast<std::size_t>(kConditionBytes)) return nullptr;
    if (indexStale_) {
        try {
            RebuildIndex();
        } catch (const std::bad_alloc &) {
            return ScanStandard(itemId, condition);  // the index stays stale
        }
    }
    char folded[kConditionBytes];
    store::FoldCondition(condition, folded);
    auto it = index_->entries.find(LookupIndex::KeyView{itemId, {folded, condition.size()}});
    return it == index_->entries.end() ? nullptr : it->second;
}

const StdCondition *StandardTable::ScanStandard(int itemId, std::string_view condition) const {
    for (const StdDevice &device : devices_) {
        for (const StdItem &item : device.items) {
            if (item.itemid != itemId) continue;
            for (const StdCondition &stored : item.conditions)
                if (store::ConditionEqualsNoCase(stored.condition, condition)) return &stored;
        }
    }
    return nullptr;
}

}  // namespace store
