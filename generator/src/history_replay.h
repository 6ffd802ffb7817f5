#pragma once
// The standard table as the history says it is: a multiset of limits per
// (itemid, condition, paramid), built by replaying the recorded rows. Looked
// up by views, so that reading the table allocates nothing per row.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "generator/history_check.h"

namespace generator::history {

struct KeyView {
    int32_t itemid;
    std::string_view condition;
    int32_t paramid;
};

struct KeyHash {
    using is_transparent = void;
    std::size_t operator()(const KeyView &k) const {
        // 64 bits on every target (a 32-bit size_t cannot take the shift).
        const std::uint64_t ids =
            (static_cast<std::uint64_t>(static_cast<uint32_t>(k.itemid)) << 32) ^
            static_cast<uint32_t>(k.paramid);
        return std::hash<std::string_view>()(k.condition) ^
               static_cast<std::size_t>(ids * 0x9e3779b97f4a7c15ULL);
    }
    std::size_t operator()(const LimitKey &k) const {
        return (*this)(KeyView{k.itemid, k.condition, k.paramid});
    }
};

struct KeyEqual {
    using is_transparent = void;
    static KeyView View(const LimitKey &k) { return {k.itemid, k.condition, k.paramid}; }
    static KeyView View(const KeyView &k) { return k; }
    template <typename A, typename B>
    bool operator()(const A &a, const B &b) const {
        const KeyView x = View(a), y = View(b);
        return x.itemid == y.itemid && x.paramid == y.paramid && x.condition == y.condition;
    }
};

// One row's limits as the replay holds them; `matched` marks it found in
// the table.
struct HeldLimits {
    LimitValues limits;
    bool matched = false;
};

class Replay {
  public:
    // One entry a row: no list to allocate besides the row's own node.
    using Map = std::unordered_multimap<LimitKey, HeldLimits, KeyHash, KeyEqual>;

    void Add(const KeyView &key, const LimitValues &limits);
    // Takes out one row of `key` holding `limits` and returns true; false
    // when the replay holds no such row, after taking out another row of the
    // key, if any (`held` then says what it held), so that the replay goes
    // on as the history recorded.
    bool Remove(const KeyView &key, const LimitValues &limits, std::optional<LimitValues> &held);
    // Marks a row of `key` holding (hvalue, lvalue) as found in the table;
    // false when none is left.
    bool Match(const KeyView &key, std::string_view hvalue, std::string_view lvalue);
    Map &Rows() { return rows_; }
    std::size_t Size() const { return rows_.size(); }

  private:
    Map rows_;
};

}  // namespace generator::history
