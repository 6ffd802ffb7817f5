#pragma once
// The conversions the line software applies to the texts of the station
// database: ids like atoi, limits like atof, blanks trimmed. The loader and
// the series editor read the same stored texts the same way.
#include <cstdint>
#include <string_view>

namespace platform {

// `text` without blanks (space, tab, CR, LF, VT, FF) at both ends.
std::string_view TrimBlanks(std::string_view text);

// Leading blanks, an optional sign and decimal digits, like atoi (saturating); else 0.
int32_t IntegerOf(std::string_view text);

// The decimal text-to-double conversion of the line software (strtod after
// trimming: the longest number at the start, 0 when there is none, so "abc"
// gives 0), narrowed to the nearest float; beyond the float range an infinity.
float FloatOf(std::string_view text);

}  // namespace platform
