#include "generator/limit_input.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gbk_texts.h"
#include "platform/value_text.h"

namespace generator {
namespace {

// The ASCII form of a full-width character (GBK lead byte 0xA3), or 0.
char HalfWidth(unsigned char lead, unsigned char trail) {
    if (lead != 0xA3) return 0;
    if (trail >= 0xB0 && trail <= 0xB9) return static_cast<char>('0' + (trail - 0xB0));
    switch (trail) {
        case 0xAB:
            return '+';
        case 0xAD:
            return '-';
        case 0xAE:
            return '.';
        case 0xC5:
            return 'E';
        case 0xE5:
            return 'e';
        default:
            return 0;
    }
}

// The text with full-width number characters made ASCII; false when it holds
// anything else that is not ASCII.
bool AsciiNumberText(std::string_view gbk, std::string &ascii) {
    for (std::size_t i = 0; i < gbk.size(); ++i) {
        const auto c = static_cast<unsigned char>(gbk[i]);
        if (c < 0x80) {
            ascii += static_cast<char>(c);
            continue;
        }
        if (i + 1 >= gbk.size()) return false;
        const char half = HalfWidth(c, static_cast<unsigned char>(gbk[i + 1]));
        if (half == 0) return false;
        ascii += half;
        ++i;
    }
    return true;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// sign? digits? (. digits?)? with at least one digit, then (e sign? digits)?
bool IsDecimalNumber(std::string_view t) {
    std::size_t i = 0;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    if (i < t.size() && t[i] == '.') {
        ++i;
        while (i < t.size() && IsDigit(t[i])) ++i, ++digits;
    }
    if (digits == 0) return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
        std::size_t exponent = 0;
        while (i < t.size() && IsDigit(t[i])) ++i, ++exponent;
        if (exponent == 0) return false;
    }
    return i == t.size();
}

std::string TwoDecimals(double value) {
    char text[512];
    std::snprintf(text, sizeof text, "%.2f", value);
    return text;
}

}  // namespace

LimitInput CheckLimitValue(float value) {
    LimitInput input;
    input.value = value;
    if (!std::isfinite(value)) {
        input.error = LimitInputError::kNotFinite;
        return input;
    }
    input.stored = TwoDecimals(static_cast<double>(value));
    if (input.stored.size() > kLimitColumnChars) input.error = LimitInputError::kTooLong;
    return input;
}

LimitInput ParseLimitInput(std::string_view gbk) {
    LimitInput input;
    std::string ascii;
    if (!AsciiNumberText(gbk, ascii)) {
        input.error = LimitInputError::kNotANumber;
        return input;
    }
    const std::string number(platform::TrimBlanks(ascii));
    if (!IsDecimalNumber(number)) {
        input.error = LimitInputError::kNotANumber;
        return input;
    }
    const double given = platform::DecimalOf(number);
    const float value = static_cast<float>(given);
    if (!std::isfinite(given) || !std::isfinite(value)) {
        input.error = LimitInputError::kNotFinite;
        return input;
    }
    input = CheckLimitValue(value);
    if (input) input.rounded = platform::DecimalOf(input.stored) != given;
    return input;
}

const char *LimitInputReason(LimitInputError error) {
    switch (error) {
        case LimitInputError::kNone:
            return "";
        case LimitInputError::kNotANumber:
            return texts::kLimitNotANumber;
        case LimitInputError::kNotFinite:
            return texts::kLimitNotFinite;
        case LimitInputError::kTooLong:
            return texts::kLimitTooLong;
    }
    return "";
}

}  // namespace generator
