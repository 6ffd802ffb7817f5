#pragma once
// The hand-written limit rules the seed's standards come from. A rule is
//
//   itemid TAB condition TAB paramid TAB lower TAB upper TAB provenance
//
// `condition` is the exact condition text (UTF-8) or a pattern in which '*'
// stands for any run of characters; `paramid` is a parameter of the item or
// '*' for every parameter. The limits of a parameter under a condition are
// those of the first rule, in file order, that matches item, condition and
// parameter, so exact rules go before the patterns that would also match.
// Limits: lower and upper; 0 as upper means no upper limit, 0 and 0 that the
// parameter is not judged under the condition. Every value must be exact at
// two decimals, as the station stores limits.
#include <string>
#include <string_view>
#include <vector>

#include "seed_tsv.h"

namespace seed {

inline constexpr int kAnyParam = 0;

struct LimitRule {
    std::string where;  // file:line, for messages
    int itemId = 0;
    std::string pattern;
    int paramId = kAnyParam;
    double lower = 0;
    double upper = 0;
    std::string provenance;
    int uses = 0;  // matches found by FindLimit
};

// Parses the rules file; throws SeedError naming the line of a bad rule.
std::vector<LimitRule> ReadLimitRules(const std::string &path);

// True when `text` matches `pattern`, '*' matching any run of bytes.
bool MatchPattern(std::string_view pattern, std::string_view text);

// The first rule for (item, condition, parameter), its use counted; nullptr
// when no rule matches.
const LimitRule *FindLimit(std::vector<LimitRule> &rules, int itemId, std::string_view condition,
                           int paramId);

}  // namespace seed
