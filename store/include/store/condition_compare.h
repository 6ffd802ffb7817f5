#pragma once
// The one case-insensitive comparison of condition texts. A-Z and a-z are
// folded only outside GBK double-byte characters (a trail byte can be an
// ASCII letter and must be compared exactly); every other byte is compared
// as it stands. The lookup, its index and every tool that compares conditions
// use these functions.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace store {

bool ConditionEqualsNoCase(std::string_view a, std::string_view b);

// Writes the folded form of `text` into `out` (same length): two texts are
// equal under ConditionEqualsNoCase exactly when their folded forms are equal.
void FoldCondition(std::string_view text, char *out);
std::string FoldCondition(std::string_view text);

}  // namespace store
