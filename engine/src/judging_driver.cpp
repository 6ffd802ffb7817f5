#include "engine/judging_driver.h"

#include <cstring>

#include "engine/condition_rules.h"
#include "engine/lookup.h"

namespace engine {
namespace {

constexpr int kNotProvided = -1000;
constexpr std::size_t kConditionBufferBytes = 200;

}  // namespace

int SelectItems(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                store::ItemSet &items, const void *itemBuffer) {
    if (itemBuffer == nullptr) {
        table.CopyPresentItems(items);
        return kNotProvided;
    }
    StdHead head;
    if (plinth.ParseStdHead(itemBuffer, &head) <= 0) return kNotProvided;
    const int count = head.count;
    if (count == 0) return 0;
    items.Clear();
    for (int i = 0; i < count; ++i) {
        ItemEntry entry{};
        if (plinth.ParseStdHead_Item_Idx(itemBuffer, i, &entry) > 0)
            items.SetItemFlag(entry.itemId & 0xFFFF, 1);
    }
    return kNotProvided;
}

int WriteStandards(const bridges::PlinthBridge &plinth, const store::StandardTable &table,
                   const store::ItemSet &items, const VehicleProfile &profile, int seriesMode,
                   void *stdBuffer) {
    if (stdBuffer == nullptr) return 0;
    StdHead head = bridges::EmptyStandardHead();
    if (plinth.ParseStdHead(stdBuffer, &head) < 1 || head.count == 0) {
        head = bridges::EmptyStandardHead();
        plinth.WriteStdHead(stdBuffer, &head);
    }
    int written = 0;
    char condition[kConditionBufferBytes];
    for (const store::StandardItem &item : store::kStandardItems) {
        std::memset(condition, 0, sizeof condition);
        if (items.IsItemSelected(item.itemId) != 1) continue;
        if (BuildCondition(profile, item.itemId, condition, seriesMode) == 0) continue;
        if (WriteItemStandard(plinth, table, stdBuffer, item.itemId, condition, 0) != 0) ++written;
    }
    return written;
}

}  // namespace engine
