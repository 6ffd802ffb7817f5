#include "limit_rules.h"

#include <cmath>

namespace seed {
namespace {

// A limit that the two-decimal text stores unchanged.
bool ExactAtTwoDecimals(double value) {
    double hundredths = value * 100.0;
    return std::fabs(hundredths - std::round(hundredths)) < 1e-6;
}

}  // namespace

std::vector<LimitRule> ReadLimitRules(const std::string &path) {
    std::vector<LimitRule> rules;
    for (const SourceLine &line : ReadSourceFile(path, 6)) {
        LimitRule rule;
        rule.where = path + ":" + std::to_string(line.number);
        const auto &f = line.fields;
        if (!ParseInt(f[0], rule.itemId) || rule.itemId <= 0)
            throw SeedError(rule.where + ": bad item id '" + f[0] + "'");
        rule.pattern = f[1];
        if (f[2] != "*" && (!ParseInt(f[2], rule.paramId) || rule.paramId <= 0))
            throw SeedError(rule.where + ": bad parameter id '" + f[2] + "'");
        if (!ParseDecimal(f[3], rule.lower) || !ParseDecimal(f[4], rule.upper))
            throw SeedError(rule.where + ": limits must be decimal numbers");
        if (!ExactAtTwoDecimals(rule.lower) || !ExactAtTwoDecimals(rule.upper))
            throw SeedError(rule.where + ": limits must be exact at two decimals");
        rule.provenance = f[5];
        rules.push_back(std::move(rule));
    }
    return rules;
}

bool MatchPattern(std::string_view pattern, std::string_view text) {
    // Greedy matching with backtracking to the last '*'.
    size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            resume = t;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++p;
            ++t;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            t = ++resume;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

const LimitRule *FindLimit(std::vector<LimitRule> &rules, int itemId, std::string_view condition,
                           int paramId) {
    for (LimitRule &rule : rules) {
        if (rule.itemId != itemId) continue;
        if (rule.paramId != kAnyParam && rule.paramId != paramId) continue;
        if (!MatchPattern(rule.pattern, condition)) continue;
        ++rule.uses;
        return &rule;
    }
    return nullptr;
}

}  // namespace seed
