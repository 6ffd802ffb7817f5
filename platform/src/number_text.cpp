#include "platform/number_text.h"

#include <algorithm>
#include <charconv>
#include <limits>
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

// Whether the number text `t` (a decimal or a hexadecimal with its "0x"),
// which from_chars found out of range, is too large rather than too small.
// Its order of magnitude, digits before the point plus exponent, is far from
// 0 either way, so a count off by one still decides right.
bool TooLarge(std::string_view t) {
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) t.remove_prefix(1);
    const bool hex = t.size() > 1 && t[0] == '0' && (t[1] | 0x20) == 'x';
    if (hex) t.remove_prefix(2);
    const std::size_t mark = t.find_first_of(hex ? "pP" : "eE");
    long long exponent = 0;
    if (mark != std::string_view::npos) {
        std::string_view e = t.substr(mark + 1);
        if (!e.empty() && e.front() == '+') e.remove_prefix(1);
        const auto read = std::from_chars(e.data(), e.data() + e.size(), exponent);
        if (read.ec == std::errc::result_out_of_range) return e.front() != '-';
        t = t.substr(0, mark);
    }
    const std::size_t point = std::min(t.find('.'), t.size());
    const std::size_t first = std::min(t.find_first_not_of("0."), t.size());
    // Digits before the point from the first significant one; else minus the
    // zeros after the point before it.
    const long long order = first < point ? static_cast<long long>(point - first)
                                          : -static_cast<long long>(first - point - 1);
    return (hex ? 4 * order : order) + exponent > 0;
}

// The value strtod gives for a number text out of range: an infinity when
// too large, a zero when too small, of the text's sign.
template <class T>
T Saturated(std::string_view text) {
    const T magnitude = TooLarge(text) ? std::numeric_limits<T>::infinity() : T(0);
    return !text.empty() && text.front() == '-' ? -magnitude : magnitude;
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
        value = Saturated<T>(std::string_view(first, read.ptr - first));
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
