#include "history_replay.h"

namespace generator::history {

void Replay::Add(const KeyView &key, const LimitValues &limits) {
    // One lookup: the key is built for every row, its condition short enough
    // to need no allocation.
    auto found =
        rows_.try_emplace(LimitKey{key.itemid, std::string(key.condition), key.paramid}).first;
    found->second.push_back({limits, false});
    ++size_;
}

bool Replay::Remove(const KeyView &key, const LimitValues &limits,
                    std::optional<LimitValues> &held) {
    held.reset();
    auto found = rows_.find(key);
    if (found == rows_.end()) return false;
    std::vector<HeldLimits> &list = found->second;
    bool same = false;
    std::size_t at = 0;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i].limits == limits) {
            same = true;
            at = i;
            break;
        }
    if (!same) held = list.front().limits;
    list.erase(list.begin() + static_cast<std::ptrdiff_t>(at));
    --size_;
    if (list.empty()) rows_.erase(found);
    return same;
}

bool Replay::Match(const KeyView &key, std::string_view hvalue, std::string_view lvalue) {
    auto found = rows_.find(key);
    if (found == rows_.end()) return false;
    for (HeldLimits &held : found->second)
        if (!held.matched && held.limits.hvalue == hvalue && held.limits.lvalue == lvalue) {
            held.matched = true;
            return true;
        }
    return false;
}

}  // namespace generator::history
