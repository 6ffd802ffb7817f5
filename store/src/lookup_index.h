#pragma once
// The index behind StandardTable::FindStandard (private to the store).
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "store/standard_table.h"

namespace store {

// (itemid, folded condition) -> the first condition in scan order with that
// key. Folding maps texts that are equal ignoring case to the same bytes, so
// one exact lookup answers the case-insensitive scan.
struct StandardTable::LookupIndex {
    struct KeyView {
        int32_t itemid;
        std::string_view folded;
    };
    struct Key {
        int32_t itemid;
        std::string folded;
        operator KeyView() const { return {itemid, folded}; }  // NOLINT: lookup by view
    };
    // Transparent, so a lookup by KeyView builds no Key (and allocates nothing).
    struct Hash {
        using is_transparent = void;
        std::size_t operator()(KeyView k) const {
            return std::hash<std::string_view>{}(k.folded) ^
                   (static_cast<std::size_t>(static_cast<uint32_t>(k.itemid)) *
                    0x9E3779B97F4A7C15ull);
        }
    };
    struct Equal {
        using is_transparent = void;
        bool operator()(KeyView a, KeyView b) const {
            return a.itemid == b.itemid && a.folded == b.folded;
        }
    };

    std::unordered_map<Key, const StdCondition *, Hash, Equal> entries;
};

}  // namespace store
