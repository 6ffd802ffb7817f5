#pragma once
// Shared pieces of the condition rules: the output of a rule, the vehicle
// kind index, choice by production period and by mass class, and the rule of
// every item family (one function per family, dispatched by item ID).
#include <climits>
#include <initializer_list>
#include <span>

#include "engine/condition_rules.h"
#include "engine/vehicle_profile.h"

namespace engine::rules {

// What a rule produces: the condition text in the caller's buffer
// (kConditionBytes) and, for item 276, the vehicle class flag.
class Condition {
  public:
    explicit Condition(char *text) : text_(text) { text_[0] = '\0'; }

    // Formats the whole text (cut at the buffer's room); returns 1.
    int Write(const char *format, ...) __attribute__((format(printf, 2, 3)));
    int Set(const char *text) { return Write("%s", text); }
    // "a/b": the usual join of two parts of a condition.
    int Join(const char *a, const char *b) { return Write("%s/%s", a, b); }
    // Leaves the text empty and still counts as a condition.
    int Empty() {
        text_[0] = '\0';
        return 1;
    }

    void SetClassFlag(int flag) { classFlag_ = flag; }
    int ClassFlag() const { return classFlag_; }

  private:
    char *text_;
    int classFlag_ = 0;
};

// A rule writes the condition of `itemId` and returns 1, or returns 0 when
// the vehicle has no condition for the item.
using ConditionRule = int (*)(const VehicleProfile &p, int itemId, Condition &out);

// Kind index k = vehicleKind - 10820001 for the listed kinds 0..12;
// kUnlistedKind for every other code. Tables indexed by kind have kKindSlots
// rows, the last for unlisted kinds.
inline constexpr int kUnlistedKind = 13;
inline constexpr int kKindSlots = 14;
int KindIndex(const VehicleProfile &p);

// Boundary dates of the standards.
inline constexpr char kJul1995[] = "1995-07-01";
inline constexpr char kJul2000[] = "2000-07-01";
inline constexpr char kMay2001End[] = "2001-05-31";
inline constexpr char kSep2001[] = "2001-09-01";
inline constexpr char kOct2001[] = "2001-10-01";
inline constexpr char kJul2003[] = "2003-07-01";
inline constexpr char kSep2004[] = "2004-09-01";
inline constexpr char kJul2005[] = "2005-07-01";
inline constexpr char kJul2006[] = "2006-07-01";

// True when the vehicle was produced on or after `date`.
bool IsFrom(const VehicleProfile &p, const char *date);

// Choice by production period: the first row whose date the vehicle is from;
// a row with no date takes every vehicle that reaches it.
struct Period {
    const char *from;
    const char *text;
};
const char *ByPeriod(const VehicleProfile &p, std::initializer_list<Period> periods);

// Choice by mass class: the first row whose bound the mass does not pass;
// nullptr when the mass is above every bound.
struct MassClass {
    int upTo;  // inclusive
    const char *text;
};
inline constexpr int kNoBound = INT_MAX;
const char *ByMassClass(int mass, std::span<const MassClass> classes);

// Production dates and masses.
int IntakeFromOct2001Rule(const VehicleProfile &p, int itemId, Condition &out);        // 204
int PeriodAndIntakeRule(const VehicleProfile &p, int itemId, Condition &out);          // 205
int LightHeavyByDateRule(const VehicleProfile &p, int itemId, Condition &out);         // 207
int ConditionPeriodRule(const VehicleProfile &p, int itemId, Condition &out);          // 244
int MotorcycleDateStrokesRule(const VehicleProfile &p, int itemId, Condition &out);    // 300
int MassAndAxleRule(const VehicleProfile &p, int itemId, Condition &out);              // 212
int StandardByReferenceMassRule(const VehicleProfile &p, int itemId, Condition &out);  // 216
int ClassAndReferenceMassRule(const VehicleProfile &p, int itemId, Condition &out);    // 276

// Vehicle categories, brakes and speed groups.
int FixedRule(const VehicleProfile &p, int itemId,
              Condition &out);  // 200-203, 231, 241-243, 301, 311
int BodyModelFuelGearRule(const VehicleProfile &p, int itemId, Condition &out);     // 208, 209
int BrakeAndCategoryRule(const VehicleProfile &p, int itemId, Condition &out);      // 223-228
int RatioRule(const VehicleProfile &p, int itemId, Condition &out);                 // 229, 308
int MotorcycleOrNotPowerRule(const VehicleProfile &p, int itemId, Condition &out);  // 230
int VehicleSizeRule(const VehicleProfile &p, int itemId, Condition &out);           // 233
int SpeedGroupRule(const VehicleProfile &p, int itemId, Condition &out);            // 234
int VehicleCategoryRule(const VehicleProfile &p, int itemId, Condition &out);       // 247
int MotorVehicleGroupRule(const VehicleProfile &p, int itemId, Condition &out);     // 248, 249

// Headlamps and motorcycles.
int HeadlampRule(const VehicleProfile &p, int itemId, Condition &out);            // 235-238
int MotorcycleHeadlampRule(const VehicleProfile &p, int itemId, Condition &out);  // 302
int MotorcycleClassRule(const VehicleProfile &p, int itemId, Condition &out);     // 306, 307, 309
int MotorcycleSoundRule(const VehicleProfile &p, int itemId, Condition &out);     // 312

}  // namespace engine::rules
