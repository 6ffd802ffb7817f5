#include "history_replay.h"

namespace generator::history {

void Replay::Add(const KeyView &key, const LimitValues &limits) {
    rows_.emplace(LimitKey{key.itemid, std::string(key.condition), key.paramid},
                  HeldLimits{limits, false});
}

bool Replay::Remove(const KeyView &key, const LimitValues &limits,
                    std::optional<LimitValues> &held) {
    held.reset();
    const auto [first, last] = rows_.equal_range(key);
    if (first == last) return false;
    for (auto it = first; it != last; ++it)
        if (it->second.limits == limits) {
            rows_.erase(it);
            return true;
        }
    held = first->second.limits;
    rows_.erase(first);
    return false;
}

bool Replay::Match(const KeyView &key, std::string_view hvalue, std::string_view lvalue) {
    auto [it, last] = rows_.equal_range(key);
    for (; it != last; ++it) {
        HeldLimits &held = it->second;
        if (!held.matched && held.limits.hvalue == hvalue && held.limits.lvalue == lvalue) {
            held.matched = true;
            return true;
        }
    }
    return false;
}

}  // namespace generator::history
