#include "store/item_set.h"

#include "gbk_texts.h"
#include "platform/trace.h"

namespace store {

const std::array<StandardItem, kItemCount> kStandardItems = {{
    {216, 0},  {223, 1},  {224, 2},  {225, 3},  {226, 4},  {227, 5},  {228, 6},  {229, 7},
    {247, 8},  {248, 9},  {249, 10}, {235, 11}, {236, 12}, {237, 13}, {238, 14}, {204, 15},
    {205, 16}, {244, 17}, {200, 18}, {201, 19}, {202, 20}, {203, 21}, {230, 22}, {231, 23},
    {233, 24}, {234, 25}, {241, 26}, {207, 29}, {276, 30}, {208, 31}, {209, 32}, {212, 33},
    {300, 35}, {301, 36}, {302, 37}, {306, 38}, {307, 39}, {308, 40}, {309, 41}, {311, 42},
    {312, 43}, {242, 27}, {243, 28}, {252, 34},
}};

int ItemSlot(int itemId) {
    for (const StandardItem &item : kStandardItems)
        if (item.itemId == itemId) return item.slot;
    return -1;
}

void ItemSet::SetItemFlag(int itemId, int16_t value) {
    int slot = ItemSlot(itemId);
    if (slot < 0) {
        platform::TraceF(texts::kNoSuchItem, itemId);
        return;
    }
    flags_[static_cast<std::size_t>(slot)] = value;
}

int16_t ItemSet::IsItemSelected(int itemId) const {
    int slot = ItemSlot(itemId);
    if (slot < 0) {
        platform::TraceF(texts::kNoSuchItem, itemId);
        return 0;
    }
    return flags_[static_cast<std::size_t>(slot)];
}

}  // namespace store
