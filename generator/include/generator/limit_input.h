#pragma once
// A limit as a user gives it (the editor's limit edit, stdhost's --set, an
// import file): checked before it can reach tb_id_standard, where limits are
// stored as "%.2f" text in a 20-character column.
#include <string>
#include <string_view>

namespace generator {

inline constexpr std::size_t kLimitColumnChars = 20;

enum class LimitInputError {
    kNone,
    kNotANumber,  // blank, or anything but one decimal number ("abc", "0,5", "1e")
    kNotFinite,   // beyond the range of a 32-bit float
    kTooLong,     // its "%.2f" text does not fit the column
};

struct LimitInput {
    LimitInputError error = LimitInputError::kNone;
    float value = 0;       // as the table holds it
    std::string stored;    // the text written to the database ("%.2f")
    bool rounded = false;  // two decimals changed the value given
    explicit operator bool() const { return error == LimitInputError::kNone; }
};

// Reads a GBK text: blanks at both ends are ignored; full-width digits,
// signs and point (as an input method types them) count as their ASCII
// forms; then the whole text must be one decimal number (sign, digits,
// point, exponent).
LimitInput ParseLimitInput(std::string_view gbk);

// Checks a limit already held as a float (a default standard, a stored
// row): finite, and its "%.2f" text fits the column.
LimitInput CheckLimitValue(float value);

// Why a limit was refused, in GBK, for a message naming the field:
// "不是数字", "超出范围", "超过20个字符".
const char *LimitInputReason(LimitInputError error);

}  // namespace generator
