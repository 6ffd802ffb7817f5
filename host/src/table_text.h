#pragma once
// Fields of the tab-separated UTF-8 tables stdhost reads and writes.
#include <cstdint>
#include <string>
#include <vector>

namespace stdhost {

// The fields of one line, split at every tab (k tabs make k + 1 fields).
std::vector<std::string> SplitTabs(const std::string &line);
// A whole field as a decimal int32; false for anything else.
bool ParseInt(const std::string &text, int32_t &out);
// A whole field as a finite float; false for anything else.
bool ParseFloat(const std::string &text, float &out);

}  // namespace stdhost
