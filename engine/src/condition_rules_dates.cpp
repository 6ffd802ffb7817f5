// Condition rules of the items filed by production period: intake kinds
// (204, 205), light and heavy vehicles (207), conditions 1 to 3 (244) and
// motorcycles by date and strokes (300).
#include "condition_rules_internal.h"
#include "condition_texts.h"

namespace engine::rules {
namespace {

constexpr int kTurbocharged = 10480001;
constexpr int kLightKindA = 10820008;  // kinds judged as first-class light
constexpr int kLightKindB = 10820009;  // vehicles from mid-2001 on

const char *IntakeText(const VehicleProfile &p) {
    return p.intakeCode == kTurbocharged ? texts::kCondTurbocharged
                                         : texts::kCondNaturallyAspirated;
}

bool IsSecondClassLight(const VehicleProfile &p) {
    return p.seatCount > 6 || p.totalMass > 2500;
}

// Item 207, new registrations: the class under which the vehicle is newly
// produced from 2005-07-01; before that date every vehicle is second class.
const char *NewRegistrationClass(const VehicleProfile &p) {
    if (!IsFrom(p, kJul2005)) return texts::kCondNewLightClass2FromJul2005;
    if (p.totalMass > 3500) return texts::kCondNewHeavyFromJul2005;
    if (IsSecondClassLight(p)) return texts::kCondNewLightClass2FromJul2005;
    return texts::kCondNewLightClass1FromJul2005;
}

// Item 207, vehicles in use: the first rule that applies.
const char *InUseClass(const VehicleProfile &p) {
    if ((p.vehicleKind == kLightKindA || p.vehicleKind == kLightKindB) && IsFrom(p, kMay2001End))
        return texts::kCondLightClass1FromJul2000Star;
    if (p.totalMass > 3500) {
        return ByPeriod(p, {{kSep2004, texts::kCondHeavyFromSep2004},
                            {kJul1995, texts::kCondHeavyFromJul1995},
                            {nullptr, texts::kCondHeavyBeforeJul1995}});
    }
    if (IsFrom(p, kJul2000)) {
        return IsSecondClassLight(p) ? texts::kCondLightClass2FromOct2001
                                     : texts::kCondLightClass1FromJul2000Star;
    }
    return ByPeriod(
        p, {{kJul1995, texts::kCondLightFromJul1995}, {nullptr, texts::kCondLightBeforeJul1995}});
}

// Item 244: the two boundary dates of a vehicle group.
struct ConditionDates {
    const char *earlier;
    const char *later;
};
constexpr ConditionDates kHeavyDates{kSep2001, kSep2004};
constexpr ConditionDates kFirstClassLightDates{kJul2000, kJul2005};
constexpr ConditionDates kSecondClassLightDates{kOct2001, kJul2006};

}  // namespace

int IntakeFromOct2001Rule(const VehicleProfile &p, int, Condition &out) {
    return out.Join(texts::kCondFromOct2001Inclusive, IntakeText(p));
}

int PeriodAndIntakeRule(const VehicleProfile &p, int, Condition &out) {
    const char *period = ByPeriod(p, {{kOct2001, texts::kCondFromOct2001Inclusive},
                                      {kJul1995, texts::kCondJul1995ToOct2001},
                                      {nullptr, texts::kCondBeforeJul1995}});
    // The two older periods are filed under the turbocharged text only.
    const char *intake = IsFrom(p, kOct2001) ? IntakeText(p) : texts::kCondTurbocharged;
    return out.Join(period, intake);
}

int LightHeavyByDateRule(const VehicleProfile &p, int, Condition &out) {
    if (p.isNewRegistration == 1)
        return out.Join(texts::kCondNewRegistration, NewRegistrationClass(p));
    return out.Join(texts::kCondInUse, InUseClass(p));
}

int ConditionPeriodRule(const VehicleProfile &p, int, Condition &out) {
    const ConditionDates &dates = p.isHeavy == 1      ? kHeavyDates
                                  : p.lightClass == 1 ? kFirstClassLightDates
                                                      : kSecondClassLightDates;
    return out.Set(ByPeriod(p, {{dates.later, texts::kCondCondition1},
                                {dates.earlier, texts::kCondCondition2},
                                {nullptr, texts::kCondCondition3}}));
}

int MotorcycleDateStrokesRule(const VehicleProfile &p, int, Condition &out) {
    const char *period = IsFrom(p, kJul2003) ? texts::kCondMotorcycleFromJul2003
                                             : texts::kCondMotorcycleBeforeJul2003;
    const char *strokes = p.strokeCount > 2 ? texts::kCondFourStroke : texts::kCondTwoStroke;
    return out.Join(period, strokes);
}

}  // namespace engine::rules
