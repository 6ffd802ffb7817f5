#pragma once
// The strict readers of numbers written as text: a field of a table, an ID
// typed by a user, a number in a display name. (The lenient conversions of
// the line software, 0 for a text without a number, are in value_text.h.)
//
// The rules, the same for every reader:
// - By default the whole text is the number: decimal digits after an optional
//   '-', nothing before or after. Each rule below widens that on request.
// - Blanks are space, tab, CR, LF, VT and FF (those of TrimBlanks). Leading
//   blanks are skipped with `leadingBlanks`; trailing ones are never skipped
//   (they are trailing text).
// - A '+' may stand where a '-' may with `plusSign`; one sign only ("+-5" and
//   "-+5" are no numbers).
// - Text after the number is refused unless `trailingText`, which reads the
//   longest number at the start (as strtol does) and ignores the rest.
// - A NUL is an ordinary byte, never part of a number nor a blank: a text
//   holding one is no number (unless after it with `trailingText`). A caller
//   reading a C string cuts it at its NUL first.
// - A number outside the result's range is no number. Decimals only: with
//   `saturate` it is what strtod gives instead: an infinity of its sign when
//   too large, a zero of its sign when too small (a subnormal is in range).
// - Decimals: digits with an optional point and exponent ("12", "-.5",
//   "1e3"), and "inf", "infinity" and "nan" as strtod reads them; with
//   `hexadecimal` also "0x" and hex digits with an optional 'p' exponent.
// - Nothing depends on the locale.
#include <optional>
#include <string_view>

namespace platform {

struct NumberRules {
    bool leadingBlanks = false;
    bool plusSign = false;
    bool trailingText = false;
    bool hexadecimal = false;  // decimals only
    bool saturate = false;     // decimals only
};

// A decimal integer under `rules`, or nullopt.
std::optional<long long> ParseInteger(std::string_view text, NumberRules rules = {});

// A decimal number under `rules`, rounded once to the nearest double, or nullopt.
std::optional<double> ParseDecimal(std::string_view text, NumberRules rules = {});

// As ParseDecimal, but rounded once to the nearest float (as strtof, not
// through a double); out of the float range is out of range.
std::optional<float> ParseFloat(std::string_view text, NumberRules rules = {});

}  // namespace platform
