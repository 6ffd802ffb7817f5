#include "standards_package_fields.h"

#include <cmath>
#include <limits>

#include "platform/gbk.h"
#include "platform/number_text.h"
#include "platform/value_text.h"

namespace stdhost::package {
namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int DaysIn(int month, int year) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

std::string Quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

}  // namespace

std::string HeaderTextProblem(std::string_view text) {
    if (text.empty()) return "empty";
    if (text.find_first_of(std::string_view("\t\r\n\0", 4)) != std::string_view::npos)
        return "holds a TAB, CR, LF or NUL";
    return "";
}

std::string DateProblem(std::string_view text) {
    const std::string bad = Quoted(text) + " is not a date (YYYY-MM-DD)";
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return bad;
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (!IsDigit(text[i])) return bad;
    auto number = [&](std::size_t at, std::size_t length) {
        int n = 0;
        for (std::size_t i = at; i < at + length; ++i) n = n * 10 + (text[i] - '0');
        return n;
    };
    const int year = number(0, 4), month = number(5, 2), day = number(8, 2);
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysIn(month, year)) return bad;
    return "";
}

std::string DigestProblem(std::string_view text) {
    bool hex = text.size() == 64;
    for (char c : text) hex = hex && (IsDigit(c) || (c >= 'a' && c <= 'f'));
    return hex ? "" : Quoted(text) + " is not a SHA-256 digest (64 lowercase hex digits)";
}

std::string IdProblem(std::string_view text, const char *what, std::int32_t &id) {
    const auto value = platform::ParseInteger(text);
    if (!value || *value < 1 || *value > std::numeric_limits<std::int32_t>::max())
        return Quoted(text) + " is not " + what + " (a whole number from 1 to 2147483647)";
    id = static_cast<std::int32_t>(*value);
    return "";
}

std::string LimitProblem(std::string_view text, const char *what) {
    if (text.empty()) return "";
    if (text.size() > kLimitBytes) return std::string("the ") + what + " is longer than 20 bytes";
    const auto value = platform::ParseFloat(text);
    if (!value || !std::isfinite(*value))
        return std::string("the ") + what + " " + Quoted(text) + " is not a decimal number";
    return "";
}

std::string TypeProblem(std::string_view utf8, std::size_t gbkBytes) {
    if (gbkBytes == std::string::npos) return "the type " + Quoted(utf8) + " has no GBK form";
    if (gbkBytes > kTypeGbkBytes) return "the type is longer than 64 bytes in GBK";
    return "";
}

std::string ConditionProblem(std::string_view utf8, std::size_t gbkBytes) {
    if (utf8.empty()) return "the condition is empty";
    // The lines trim blanks off a condition: a stored text with them is
    // another row for the table and the same for every line.
    if (platform::TrimBlanks(utf8).size() != utf8.size())
        return "the condition " + Quoted(utf8) + " has blanks at its start or end";
    if (gbkBytes == std::string::npos) return "the condition " + Quoted(utf8) + " has no GBK form";
    if (gbkBytes > kConditionGbkBytes) return "the condition is longer than 149 bytes in GBK";
    return "";
}

KnownText ColumnTexts::Lookup(std::string_view utf8) {
    const auto found = known_.find(utf8);
    if (found != known_.end()) return found->second;
    KnownText text;
    text.gbkBytes = platform::Utf8ToGbk(utf8, gbk_) ? gbk_.size() : std::string::npos;
    text.id = static_cast<std::uint32_t>(known_.size() + 1);
    known_.emplace(utf8, text);
    return text;
}

std::size_t RowKeys::Add(std::int32_t itemid, std::uint32_t condition, std::int32_t paramid,
                         std::size_t index) {
    const auto [at, fresh] = set_.insert(Key{itemid, paramid, condition, index});
    return fresh ? std::string::npos : at->index;
}

std::size_t RowKeys::Hash::operator()(const Key &key) const noexcept {
    const std::uint64_t ids =
        (static_cast<std::uint64_t>(static_cast<std::uint32_t>(key.itemid)) << 32) |
        static_cast<std::uint32_t>(key.paramid);
    std::uint64_t h = (ids ^ (static_cast<std::uint64_t>(key.condition) * 0xC2B2AE3D27D4EB4Full)) *
                      0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    return static_cast<std::size_t>(h ^ (h >> 32));
}

}  // namespace stdhost::package
