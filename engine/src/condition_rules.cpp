// Entry of the condition rules: series mode, dispatch by item ID, the date
// comparison and the choice helpers the item families share.
#include "engine/condition_rules.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "condition_rules_internal.h"
#include "store/condition_compare.h"

namespace engine {
namespace rules {
namespace {

constexpr int kFirstListedKind = 10820001;
constexpr int kLastListedKind = 10820013;

// Every item with a rule. Items without one (252) have a condition only in
// series mode.
struct RuleEntry {
    int itemId;
    ConditionRule rule;
};
constexpr RuleEntry kRules[] = {
    {200, FixedRule},
    {201, FixedRule},
    {202, FixedRule},
    {203, FixedRule},
    {204, IntakeFromOct2001Rule},
    {205, PeriodAndIntakeRule},
    {207, LightHeavyByDateRule},
    {208, BodyModelFuelGearRule},
    {209, BodyModelFuelGearRule},
    {212, MassAndAxleRule},
    {216, StandardByReferenceMassRule},
    {223, BrakeAndCategoryRule},
    {224, BrakeAndCategoryRule},
    {225, BrakeAndCategoryRule},
    {226, BrakeAndCategoryRule},
    {227, BrakeAndCategoryRule},
    {228, BrakeAndCategoryRule},
    {229, RatioRule},
    {230, MotorcycleOrNotPowerRule},
    {231, FixedRule},
    {233, VehicleSizeRule},
    {234, SpeedGroupRule},
    {235, HeadlampRule},
    {236, HeadlampRule},
    {237, HeadlampRule},
    {238, HeadlampRule},
    {241, FixedRule},
    {242, FixedRule},
    {243, FixedRule},
    {244, ConditionPeriodRule},
    {247, VehicleCategoryRule},
    {248, MotorVehicleGroupRule},
    {249, MotorVehicleGroupRule},
    {276, ClassAndReferenceMassRule},
    {300, MotorcycleDateStrokesRule},
    {301, FixedRule},
    {302, MotorcycleHeadlampRule},
    {306, MotorcycleClassRule},
    {307, MotorcycleClassRule},
    {308, RatioRule},
    {309, MotorcycleClassRule},
    {311, FixedRule},
    {312, MotorcycleSoundRule},
};

ConditionRule FindRule(int itemId) {
    for (const RuleEntry &entry : kRules)
        if (entry.itemId == itemId) return entry.rule;
    return nullptr;
}

// One "%d" of sscanf: blanks, an optional sign, digits. Leaves `s` after the
// number and returns true, or returns false when there are no digits. The
// magnitude saturates instead of overflowing.
bool ScanInteger(const char *&s, long long &value) {
    const char *p = s;
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long long magnitude = 0;
    for (; std::isdigit(static_cast<unsigned char>(*p)); ++p)
        if (magnitude < 2147483647) magnitude = magnitude * 10 + (*p - '0');
    if (magnitude > 2147483647) magnitude = 2147483647;
    value = negative ? -magnitude : magnitude;
    s = p;
    return true;
}

// year * 10000 + month * 100 + day as "%d-%d-%d" reads them; parts that are
// not read count as 0.
long long DateValue(const char *text) {
    long long parts[3] = {0, 0, 0};
    const char *s = text == nullptr ? "" : text;
    for (int i = 0; i < 3; ++i) {
        if (i > 0) {
            if (*s != '-') break;
            ++s;
        }
        if (!ScanInteger(s, parts[i])) break;
    }
    return parts[0] * 10000 + parts[1] * 100 + parts[2];
}

}  // namespace

int Condition::Write(const char *format, ...) {
    va_list args;
    va_start(args, format);
    std::vsnprintf(text_, kConditionBytes, format, args);
    va_end(args);
    return 1;
}

int KindIndex(const VehicleProfile &p) {
    if (p.vehicleKind < kFirstListedKind || p.vehicleKind > kLastListedKind) return kUnlistedKind;
    return p.vehicleKind - kFirstListedKind;
}

bool IsFrom(const VehicleProfile &p, const char *date) {
    return CompareDates(p.productionDate, date) == 1;
}

const char *ByPeriod(const VehicleProfile &p, std::initializer_list<Period> periods) {
    for (const Period &period : periods)
        if (period.from == nullptr || IsFrom(p, period.from)) return period.text;
    return nullptr;
}

const char *ByMassClass(int mass, std::span<const MassClass> classes) {
    for (const MassClass &c : classes)
        if (mass <= c.upTo) return c.text;
    return nullptr;
}

}  // namespace rules

int CompareDates(const char *a, const char *b) {
    return rules::DateValue(a) >= rules::DateValue(b) ? 1 : -1;
}

int BuildCondition(const VehicleProfile &p, int itemId, char *out, int seriesMode, int *classFlag) {
    if (classFlag != nullptr) *classFlag = 0;
    if (out == nullptr) return 0;
    rules::Condition condition(out);
    if (seriesMode == 1) {
        std::string_view key(p.seriesKey, strnlen(p.seriesKey, sizeof p.seriesKey));
        if (store::ConditionEqualsNoCase(key, "VEH")) return 0;
        return condition.Write("%.*s", static_cast<int>(key.size()), key.data());
    }
    rules::ConditionRule rule = rules::FindRule(itemId);
    if (rule == nullptr) return 0;
    if (rule(p, itemId, condition) == 0) {
        out[0] = '\0';
        return 0;
    }
    if (classFlag != nullptr) *classFlag = condition.ClassFlag();
    return 1;
}

}  // namespace engine
