#include "platform/value_text.h"

#include <climits>
#include <limits>

#include "platform/number_text.h"

namespace platform {
namespace {

std::string_view TrimFront(std::string_view text, std::string_view blanks) {
    const std::size_t first = text.find_first_not_of(blanks);
    return first == std::string_view::npos ? std::string_view() : text.substr(first);
}

std::string_view TrimBack(std::string_view text, std::string_view blanks) {
    const std::size_t last = text.find_last_not_of(blanks);
    return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

}  // namespace

std::string_view TrimBlanks(std::string_view text) {
    const std::string_view blanks = " \t\r\n\v\f";
    return TrimBack(TrimFront(text, blanks), blanks);
}

std::string_view TrimSpacesAndTabs(std::string_view text) {
    return TrimBack(TrimFront(text, " \t"), " \t");
}

std::string_view TrimLineBlanks(std::string_view text) {
    return TrimBack(TrimFront(text, " \t"), " \t\r");
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

double DecimalOf(std::string_view text) {
    NumberRules rules;
    rules.plusSign = true;
    rules.trailingText = true;
    rules.hexadecimal = true;
    rules.saturate = true;
    return ParseDecimal(TrimBlanks(text), rules).value_or(0.0);
}

float FloatOf(std::string_view text) {
    // Narrowed here: beyond the float range the cast itself would be
    // undefined; the processor's conversion gives an infinity.
    const double value = DecimalOf(text);
    if (value > std::numeric_limits<float>::max()) return std::numeric_limits<float>::infinity();
    if (value < -std::numeric_limits<float>::max()) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

}  // namespace platform
