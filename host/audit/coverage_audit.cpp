// The coverage audit: the rule space against the table, and the table
// against the rule space.
#include "coverage_audit.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>
#include <unordered_set>

#include "engine/condition_walk.h"
#include "generator/series_key.h"
#include "platform/gbk.h"
#include "store/condition_compare.h"
#include "store/item_set.h"

namespace audit {
namespace {

// GBK characters of a text: a lead byte with its trail byte is one.
template <typename Fn>
void ForEachCharacter(const std::string &text, Fn &&fn) {
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (platform::IsGbkLeadByte(c) && i + 1 < text.size()) {
            fn(i, 2u, (static_cast<uint32_t>(c) << 8) | static_cast<unsigned char>(text[i + 1]));
            i += 2;
        } else {
            fn(i, 1u, static_cast<uint32_t>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
            i += 1;
        }
    }
}

std::vector<uint32_t> Characters(const std::string &text) {
    std::vector<uint32_t> out;
    ForEachCharacter(text, [&](std::size_t, unsigned, uint32_t ch) { out.push_back(ch); });
    return out;
}

// Byte offsets of the single-byte '_' of a text (never a trail byte).
std::vector<std::size_t> Underscores(const std::string &text) {
    std::vector<std::size_t> out;
    ForEachCharacter(text, [&](std::size_t at, unsigned width, uint32_t ch) {
        if (width == 1 && ch == '_') out.push_back(at);
    });
    return out;
}

// A typo rather than another text: a few characters off.
bool Near(std::size_t distance, const std::string &text) {
    return distance <= std::max<std::size_t>(2, Characters(text).size() / 3);
}

struct Reachable {
    std::string condition;
    engine::VehicleProfile example;
};

struct PlacedCondition {
    int devid;
    const store::StdCondition *condition;
};

class Audit {
  public:
    Audit(const store::StandardTable &table, const StationCatalogue *catalogue,
          ConditionSource &source)
        : table_(table), catalogue_(catalogue), source_(source) {}

    AuditReport Run() {
        report_.catalogueChecked = catalogue_ != nullptr;
        CollectTable();
        CollectRuleSpace();
        CoverRuleSpace();
        ClassifyTableConditions();
        FindDeviceGaps();
        FindCaseVariantsAndEmpty();
        FindMissingParams();
        return std::move(report_);
    }

  private:
    void CollectTable() {
        for (const store::StdDevice &device : table_.Devices())
            for (const store::StdItem &item : device.items)
                for (const store::StdCondition &condition : item.conditions)
                    tableByItem_[item.itemid].push_back({device.devid, &condition});
        if (catalogue_ == nullptr) return;
        std::vector<generator::SeriesId> listed;
        for (const auto &[brand, names] : catalogue_->series)
            for (const std::string &series : names) listed.push_back({brand, series});
        seriesKeys_ = generator::SeriesKeys(listed);
        for (const std::string &brand : catalogue_->brands)
            brands_.insert(store::FoldCondition(brand));
        for (const auto &entry : catalogue_->series)
            brands_.insert(store::FoldCondition(entry.first));
    }

    void CollectRuleSpace() {
        for (engine::ReachableCondition &r :
             engine::ReachableConditions(TableModelNumbers(table_))) {
            auto &folded = reachableFolded_[r.itemId];
            folded.emplace(store::FoldCondition(r.condition), r.condition);
            rules_[r.itemId].push_back({std::move(r.condition), r.example});
            ++report_.reachableConditions;
        }
    }

    // Each reachable condition: confirmed by a real vehicle or not, held by
    // the table or not.
    void CoverRuleSpace() {
        for (const auto &item : store::kStandardItems) {
            const int id = item.itemId;
            const auto rules = rules_.find(id);
            const auto held = tableByItem_.find(id);
            if (rules == rules_.end() && held == tableByItem_.end()) continue;
            ItemCoverage coverage;
            coverage.itemId = id;
            if (rules != rules_.end())
                for (const Reachable &r : rules->second) Cover(id, r, coverage);
            report_.items.push_back(coverage);
        }
        std::sort(report_.items.begin(), report_.items.end(),
                  [](const ItemCoverage &a, const ItemCoverage &b) { return a.itemId < b.itemId; });
        for (std::size_t i = 0; i < report_.items.size(); ++i)
            itemIndex_[report_.items[i].itemId] = i;
    }

    void Cover(int itemId, const Reachable &r, ItemCoverage &coverage) {
        MissingCondition entry;
        entry.itemId = itemId;
        entry.condition = r.condition;
        entry.confirmed = Confirm(itemId, r, entry.witness);
        const store::StdCondition *found = table_.FindStandard(itemId, r.condition);
        const bool covered = found != nullptr && !found->params.empty();
        if (entry.confirmed) {
            ++report_.confirmedConditions;
            ++coverage.reachable;
            if (covered) ++coverage.covered;
        } else {
            ++coverage.impossibleOnly;
        }
        if (covered) return;
        entry.heldEmpty = found != nullptr;
        (entry.confirmed ? report_.missing : report_.impossibleOnly).push_back(std::move(entry));
    }

    // The first candidate whose registration gives the condition back.
    bool Confirm(int itemId, const Reachable &r, Registration &witness) {
        std::vector<Registration> tried;
        for (const engine::VehicleProfile &candidate : WitnessCandidates(r.example)) {
            Registration registration = RegistrationOf(candidate);
            if (std::find(tried.begin(), tried.end(), registration) != tried.end()) continue;
            ++report_.sourceCalls;
            std::string got;
            if (source_.ConditionOf(registration, itemId, got) && got == r.condition) {
                witness = std::move(registration);
                return true;
            }
            tried.push_back(std::move(registration));
        }
        witness = RegistrationOf(r.example);
        return false;
    }

    // The nearest reachable condition of the item, and its distance.
    std::pair<std::string, std::size_t> Nearest(int itemId, const std::string &condition) const {
        std::pair<std::string, std::size_t> best{"", 0};
        const auto rules = rules_.find(itemId);
        if (rules == rules_.end()) return best;
        bool first = true;
        for (const Reachable &r : rules->second) {
            const std::size_t d = ConditionDistance(condition, r.condition);
            if (first || d < best.second) best = {r.condition, d};
            first = false;
        }
        return best;
    }

    bool IsReachable(int itemId, const std::string &condition) const {
        const auto it = reachableFolded_.find(itemId);
        return it != reachableFolded_.end() &&
               it->second.count(store::FoldCondition(condition)) != 0;
    }

    // A series standard of a brand and series that exist: some '_' splits it
    // into a listed pair.
    bool IsListedSeries(const std::string &condition) const {
        return seriesKeys_.IsSeries(condition);
    }

    // The longest prefix before a '_' that is a known brand, or "".
    std::string KnownBrandOf(const std::string &condition) const {
        const std::vector<std::size_t> at = Underscores(condition);
        for (auto it = at.rbegin(); it != at.rend(); ++it) {
            const std::string brand = condition.substr(0, *it);
            if (brands_.count(store::FoldCondition(brand)) != 0) return brand;
        }
        return "";
    }

    // Each distinct text of the table (case ignored) once per item: reached
    // by the rules, a series standard, an orphaned series, a typo of a
    // reachable condition, or a condition of an item the rules do not judge.
    void ClassifyTableConditions() {
        std::set<int> knownItems;
        for (const auto &item : store::kStandardItems) knownItems.insert(item.itemId);
        for (const auto &[itemId, placed] : tableByItem_) {
            std::unordered_set<std::string> seen;  // folded: each text once per item
            bool unknownNational = false;
            for (const PlacedCondition &p : placed) {
                if (!seen.insert(store::FoldCondition(p.condition->condition)).second) continue;
                if (!ClassifyTableCondition(itemId, p, knownItems.count(itemId) != 0))
                    unknownNational = true;
            }
            if (unknownNational) report_.unknownItems.push_back(itemId);
        }
    }

    // False for a national condition of an item the rules do not judge.
    bool ClassifyTableCondition(int itemId, const PlacedCondition &p, bool knownItem) {
        const std::string &text = p.condition->condition;
        const auto index = itemIndex_.find(itemId);
        if (index != itemIndex_.end()) ++report_.items[index->second].tableConditions;
        if (IsReachable(itemId, text)) return true;
        if (IsListedSeries(text)) {
            ++report_.seriesConditions;
            return true;
        }
        auto [suggestion, distance] = Nearest(itemId, text);
        const bool typo = !suggestion.empty() && Near(distance, text);
        if (!typo && !Underscores(text).empty()) {
            CountSeriesNotListed(itemId, text);
            return true;
        }
        if (!knownItem) return false;
        report_.unreachable.push_back(
            {itemId, p.devid, text, p.condition->params.size(), std::move(suggestion), distance});
        if (index != itemIndex_.end()) ++report_.items[index->second].unreachable;
        return true;
    }

    // A text that reads as a series standard of a brand or series the
    // vehicle list does not have.
    void CountSeriesNotListed(int itemId, const std::string &text) {
        if (catalogue_ == nullptr) {
            ++report_.seriesConditions;  // not checkable without the vehicle list
            return;
        }
        OrphanSeries orphan{itemId, text, KnownBrandOf(text), false};
        orphan.brandKnown = !orphan.brand.empty();
        report_.orphanSeries.push_back(std::move(orphan));
    }

    void FindDeviceGaps() {
        for (const auto &[itemId, placed] : tableByItem_) {
            std::vector<int> devices;  // holding the item, in table order
            std::map<int, std::unordered_set<std::string>> held;
            std::vector<std::pair<std::string, PlacedCondition>> all;  // folded, first place
            std::unordered_set<std::string> listed;
            for (const PlacedCondition &p : placed) {
                if (held.find(p.devid) == held.end()) devices.push_back(p.devid);
                std::string folded = store::FoldCondition(p.condition->condition);
                held[p.devid].insert(folded);
                if (listed.insert(folded).second) all.emplace_back(std::move(folded), p);
            }
            if (devices.size() < 2) continue;
            for (int devid : devices)
                for (const auto &[folded, first] : all)
                    if (held[devid].count(folded) == 0)
                        report_.deviceGaps.push_back(
                            {itemId, devid, first.devid, first.condition->condition});
        }
    }

    void FindCaseVariantsAndEmpty() {
        for (const auto &[itemId, placed] : tableByItem_) {
            std::unordered_map<std::string, PlacedCondition> first;
            for (const PlacedCondition &p : placed) {
                const std::string &text = p.condition->condition;
                if (p.condition->params.empty())
                    report_.emptyConditions.push_back({itemId, p.devid, text});
                auto [it, inserted] = first.emplace(store::FoldCondition(text), p);
                if (!inserted && it->second.condition->condition != text)
                    report_.caseVariants.push_back(
                        {itemId, p.devid, text, it->second.devid, it->second.condition->condition});
            }
        }
    }

    void FindMissingParams() {
        if (catalogue_ == nullptr) return;
        for (const auto &[itemId, placed] : tableByItem_) {
            const auto catalogued = catalogue_->itemParams.find(itemId);
            if (catalogued == catalogue_->itemParams.end()) continue;
            for (const PlacedCondition &p : placed) {
                std::set<int> have;
                for (const store::StdParam &param : p.condition->params) have.insert(param.paramid);
                MissingParams gap{itemId, p.devid, p.condition->condition, {}};
                for (int paramid : catalogued->second)
                    if (have.count(paramid) == 0) gap.params.push_back(paramid);
                if (!gap.params.empty()) report_.missingParams.push_back(std::move(gap));
            }
        }
    }

    const store::StandardTable &table_;
    const StationCatalogue *catalogue_;
    ConditionSource &source_;
    AuditReport report_;
    std::map<int, std::vector<PlacedCondition>> tableByItem_;
    std::map<int, std::vector<Reachable>> rules_;
    std::map<int, std::unordered_map<std::string, std::string>> reachableFolded_;
    std::map<int, std::size_t> itemIndex_;
    generator::SeriesKeys seriesKeys_{{}};
    std::unordered_set<std::string> brands_;
};

}  // namespace

std::size_t AuditReport::ItemsFullyCovered() const {
    return static_cast<std::size_t>(
        std::count_if(items.begin(), items.end(),
                      [](const ItemCoverage &i) { return i.reachable > 0 && i.FullyCovered(); }));
}

std::vector<int32_t> TableModelNumbers(const store::StandardTable &table) {
    std::set<int32_t> models;
    for (const store::StdDevice &device : table.Devices())
        for (const store::StdItem &item : device.items) {
            if (item.itemid != 208 && item.itemid != 209) continue;
            for (const store::StdCondition &condition : item.conditions) {
                std::size_t slash = std::string::npos;
                ForEachCharacter(condition.condition, [&](std::size_t at, unsigned w, uint32_t ch) {
                    if (slash == std::string::npos && w == 1 && ch == '/') slash = at;
                });
                if (slash == std::string::npos) continue;
                const char *start = condition.condition.c_str() + slash + 1;
                char *end = nullptr;
                const long value = std::strtol(start, &end, 10);
                if (end != start && (*end == '/' || *end == '\0') && value >= INT32_MIN &&
                    value <= INT32_MAX)
                    models.insert(static_cast<int32_t>(value));
            }
        }
    return {models.begin(), models.end()};
}

AuditReport RunAudit(const store::StandardTable &table, const StationCatalogue *catalogue,
                     ConditionSource &source) {
    return Audit(table, catalogue, source).Run();
}

std::size_t ConditionDistance(const std::string &a, const std::string &b) {
    const std::vector<uint32_t> x = Characters(a), y = Characters(b);
    std::vector<std::size_t> row(y.size() + 1);
    for (std::size_t j = 0; j <= y.size(); ++j) row[j] = j;
    for (std::size_t i = 1; i <= x.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= y.size(); ++j) {
            const std::size_t above = row[j];
            row[j] =
                std::min({row[j] + 1, row[j - 1] + 1, diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[y.size()];
}

}  // namespace audit
