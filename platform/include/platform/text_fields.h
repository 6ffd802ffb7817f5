#pragma once
// The fields of one line of a tab-separated table (the seed sources, the
// imported tables, plinth's code dictionaries, stdhost's tables).
#include <string_view>
#include <vector>

namespace platform {

// The fields of `line`, split at every `separator` (a tab unless named):
// k separators make k + 1 fields, so an empty line is one empty field and two
// separators in a row enclose an empty field. Nothing else is special: a CR
// (the line ending a caller did not drop) stays in the last field, a NUL is an
// ordinary byte of its field, and blanks are not trimmed. The views point into
// `line`.
std::vector<std::string_view> SplitFields(std::string_view line, char separator = '\t');

}  // namespace platform
