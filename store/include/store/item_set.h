#pragma once
// The 44 test items the engine judges, in the order a judging pass processes
// them, and the record of which of them are selected.
//
// An ItemSet is 44 signed 16-bit flags, one fixed slot per item. The slot is
// not the item's position in the processing order; the standard table's
// record of present items uses the same 88-byte layout and is copied into the
// engine's set slot for slot.
#include <array>
#include <cstdint>

namespace store {

inline constexpr int kItemCount = 44;

struct StandardItem {
    int itemId;
    int slot;
};

// Processing order of a judging pass.
extern const std::array<StandardItem, kItemCount> kStandardItems;

// The slot of `itemId`, or -1 for an item the engine does not know.
int ItemSlot(int itemId);

class ItemSet {
  public:
    // Stores `value` in the item's slot. An unknown item changes nothing and
    // traces "没有这个项目??[id]".
    void SetItemFlag(int itemId, int16_t value);
    // The slot's value; 0 (and the same trace) for an unknown item.
    int16_t IsItemSelected(int itemId) const;
    void Clear() { flags_.fill(0); }
    const std::array<int16_t, kItemCount> &Flags() const { return flags_; }
    std::array<int16_t, kItemCount> &Flags() { return flags_; }

  private:
    std::array<int16_t, kItemCount> flags_{};
};
static_assert(sizeof(ItemSet) == 88, "the item set is a shared 88-byte layout");

}  // namespace store
