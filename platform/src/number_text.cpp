#include "platform/number_text.h"

#include <charconv>
#include <cstdlib>
#include <string>
#include <system_error>

namespace platform {
namespace {

bool IsBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'f');
}

// Moves `text` to where its number starts under `rules`: past the leading
// blanks they allow and a '+'. False when the text holds no number there: a
// '+' not allowed, or a second sign after it (from_chars would take "+-5").
bool SkipToNumber(std::string_view &text, const NumberRules &rules) {
    if (rules.leadingBlanks)
        while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.empty() || text.front() != '+') return true;
    if (!rules.plusSign) return false;
    text.remove_prefix(1);
    return text.empty() || (text.front() != '+' && text.front() != '-');
}

// The value strtod or strtof gives for the number text [first, last), which
// from_chars found out of range.
template <class T>
T Saturated(const char *first, const char *last) {
    const std::string copy(first, last);
    if constexpr (sizeof(T) == sizeof(float))
        return std::strtof(copy.c_str(), nullptr);
    else
        return std::strtod(copy.c_str(), nullptr);
}

template <class T>
std::optional<T> ReadDecimal(std::string_view text, const NumberRules &rules) {
    if (!SkipToNumber(text, rules)) return std::nullopt;
    const char *first = text.data();
    const char *last = first + text.size();
    const bool negative = first != last && *first == '-';
    const char *digits = negative ? first + 1 : first;
    T value{};
    std::from_chars_result read{first, std::errc::invalid_argument};
    // from_chars reads hexadecimal without its "0x" and without a sign. A
    // "0x" without digits after it is the number 0 followed by text, as in strtod.
    if (rules.hexadecimal && last - digits > 2 && digits[0] == '0' && (digits[1] | 0x20) == 'x' &&
        (IsHexDigit(digits[2]) || digits[2] == '.')) {
        read = std::from_chars(digits + 2, last, value, std::chars_format::hex);
        if (read.ec == std::errc()) value = negative ? -value : value;
    }
    if (read.ec == std::errc::invalid_argument) read = std::from_chars(first, last, value);
    if (read.ec == std::errc::result_out_of_range && rules.saturate) {
        value = Saturated<T>(first, read.ptr);
        read.ec = std::errc();
    }
    if (read.ec != std::errc() || (!rules.trailingText && read.ptr != last)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<long long> ParseInteger(std::string_view text, NumberRules rules) {
    if (!SkipToNumber(text, rules)) return std::nullopt;
    const char *last = text.data() + text.size();
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc() || (!rules.trailingText && end != last)) return std::nullopt;
    return value;
}

std::optional<double> ParseDecimal(std::string_view text, NumberRules rules) {
    return ReadDecimal<double>(text, rules);
}

std::optional<float> ParseFloat(std::string_view text, NumberRules rules) {
    return ReadDecimal<float>(text, rules);
}

}  // namespace platform
