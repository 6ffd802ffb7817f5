#include "generator/modify_stamp.h"

#include <algorithm>
#include <ctime>

#include "platform/value_text.h"
#include "stationdb/stationdb.h"
#include "store/database_stamp.h"

namespace generator {
namespace {

constexpr std::size_t kStampColumnChars = 20;

bool IsDecimal(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::string_view WithoutLeadingZeros(std::string_view digits) {
    while (digits.size() > 1 && digits.front() == '0') digits.remove_prefix(1);
    return digits;
}

// Compares two decimal texts by value.
bool DecimalLess(std::string_view a, std::string_view b) {
    a = WithoutLeadingZeros(a);
    b = WithoutLeadingZeros(b);
    if (a.size() != b.size()) return a.size() < b.size();
    return a < b;
}

std::string DecimalPlusOne(std::string_view digits) {
    std::string next(WithoutLeadingZeros(digits));
    for (std::size_t i = next.size(); i-- > 0;) {
        if (next[i] != '9') {
            ++next[i];
            return next;
        }
        next[i] = '0';
    }
    return "1" + next;
}

}  // namespace

std::string TodayStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char text[16];
    std::strftime(text, sizeof text, "%Y%m%d", &local);
    return text;
}

std::string NextModifyStamp(std::string_view current, std::string_view today) {
    current = platform::TrimBlanks(current);
    if (!IsDecimal(current)) return std::string(today);
    std::string next = DecimalPlusOne(current);
    if (next.size() > kStampColumnChars) return std::string(today);
    return DecimalLess(next, today) ? std::string(today) : next;
}

StampChange BumpModifyStamp(stationdb::Connection &connection) {
    StampChange change;
    change.before = store::ReadDatabaseStamp(connection).value_or("");
    change.after = NextModifyStamp(change.before, TodayStamp());
    store::WriteDatabaseStamp(connection, change.after);
    return change;
}

}  // namespace generator
