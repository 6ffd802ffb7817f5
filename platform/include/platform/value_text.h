#pragma once
// The conversions the line software applies to the texts of the station
// database: ids like atoi, limits like atof, blanks trimmed. The loader and
// the series editor read the same stored texts the same way.
#include <cstdint>
#include <string_view>

namespace platform {

// `text` without blanks (space, tab, CR, LF, VT, FF) at both ends.
std::string_view TrimBlanks(std::string_view text);

// `text` without spaces and tabs at both ends: the blanks of plinth's
// dictionaries, where any other control byte is part of the text.
std::string_view TrimSpacesAndTabs(std::string_view text);

// `text` without spaces and tabs at both ends and without CRs at its end,
// mixed with them: a line of an INI file or an SQL script whose CRLF ending
// was cut at the LF.
std::string_view TrimLineBlanks(std::string_view text);

// Leading blanks, an optional sign and decimal digits, like atoi (saturating); else 0.
int32_t IntegerOf(std::string_view text);

// The decimal text-to-double conversion of the line software: strtod after
// trimming the blanks, so the longest number at the start ("12abc" gives 12),
// 0 when there is none ("abc", "+-5"), an infinity or 0 beyond the range.
double DecimalOf(std::string_view text);

// DecimalOf narrowed to the nearest float; beyond the float range an infinity.
float FloatOf(std::string_view text);

}  // namespace platform
