#include "platform/value_text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <limits>

namespace platform {

std::string_view TrimBlanks(std::string_view text) {
    const char *blanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(blanks);
    return text.substr(first, last - first + 1);
}

int32_t IntegerOf(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) return negative ? INT_MIN : INT_MAX;
    }
    return static_cast<int32_t>(negative ? -value : value);
}

namespace {

// A double as the nearest float; beyond the float range it becomes an
// infinity, as the processor's conversion gives (the cast itself would be
// undefined there).
float Narrow(double value) {
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace

float FloatOf(std::string_view text) {
    text = TrimBlanks(text);
    const char *first = text.data();
    const char *last = first + text.size();
    // strtod takes one sign; from_chars takes only '-', so a '+' is skipped
    // for it, and a second sign ("+-5") is left to strtod, which reads 0.
    if (first != last && *first == '+') ++first;
    const bool secondSign =
        first != text.data() && first != last && (*first == '+' || *first == '-');
    // from_chars is the fast path for the plain decimal texts of a limit; it
    // leaves hexadecimal and out-of-range texts to strtod.
    double value = 0;
    const char *digits = first != last && *first == '-' ? first + 1 : first;
    const bool hex = last - digits > 1 && digits[0] == '0' && (digits[1] | 0x20) == 'x';
    if (!hex && !secondSign && first != last) {
        const auto [end, error] = std::from_chars(first, last, value);
        if (error == std::errc()) return Narrow(value);
    }
    char copy[64];
    const std::size_t n = std::min(text.size(), sizeof copy - 1);
    if (n > 0) std::memcpy(copy, text.data(), n);
    copy[n] = '\0';
    return Narrow(std::strtod(copy, nullptr));
}

}  // namespace platform
