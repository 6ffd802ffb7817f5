#pragma once
// Counting a text's occurrences in a trace or an output.
#include <string>

namespace testing_support {

// Occurrences of `needle` in `haystack`, overlapping ones included.
inline int CountOf(const std::string &haystack, const std::string &needle) {
    int n = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

}  // namespace testing_support
