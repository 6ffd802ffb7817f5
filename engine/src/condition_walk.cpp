// The condition walk: per item, the product of sample values of the profile
// fields its rule reads, each combination run through BuildCondition.
//
// Why a per-item product and not one sweep field by field: the rules combine
// fields (kind with mass and seats for the brakes, date with mass and seats
// for items 207 and 276, the four moped values of item 302, which only give
// "轻便摩托车" when every one of them is below its bound). A product over the
// fields one item reads reaches every combination of branches of that rule,
// and stays small (about 130 000 calls for all items, a few hundredths of a
// second), because no rule reads more than six fields.
//
// Sample values: for every threshold a field is compared against, the value
// on each side of it, so every interval between two thresholds holds a
// sample. The tables below name, per value, the threshold it stands beside.
#include "engine/condition_walk.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "condition_rules_internal.h"
#include "engine/condition_rules.h"
#include "store/item_set.h"

namespace engine {
namespace {

// Profile fields the rules read (seriesKey only in series mode, and
// notPassengerKind only by the intake, so neither is walked).
enum Field : unsigned {
    kDate = 1u << 0,
    kTotalMass = 1u << 1,
    kCurbMass = 1u << 2,
    kSeats = 1u << 3,
    kPetrol = 1u << 4,
    kIntake = 1u << 5,
    kKind = 1u << 6,
    kSpeed = 1u << 7,
    kBrake = 1u << 8,
    kAxle = 1u << 9,
    kModel = 1u << 10,
    kGear = 1u << 11,
    kLamp = 1u << 12,
    kPower = 1u << 13,
    kNew = 1u << 14,
    kDisplacement = 1u << 15,
    kStrokes = 1u << 16,
    kLightClass = 1u << 17,
    kHeavy = 1u << 18,
    kHighRatio = 1u << 19,
    kForeign = 1u << 20,
};
constexpr int kFieldCount = 21;

// The fields each item's rule reads.
struct ItemFields {
    int itemId;
    unsigned fields;
};
constexpr unsigned kMopedTest = kDisplacement | kCurbMass | kSpeed | kPower;
constexpr ItemFields kItemFields[] = {
    {200, 0},
    {201, 0},
    {202, 0},
    {203, 0},
    {204, kIntake},
    {205, kDate | kIntake},
    {207, kNew | kDate | kTotalMass | kSeats | kKind},
    {208, kKind | kModel | kGear | kPetrol},
    {209, kKind | kModel | kGear | kPetrol},
    {212, kCurbMass | kAxle},
    {216, kHeavy | kLightClass | kCurbMass | kForeign | kDate},
    {223, kBrake | kKind | kSeats | kTotalMass},
    {224, kBrake | kKind | kSeats | kTotalMass},
    {225, kBrake | kKind | kSeats | kTotalMass},
    {226, kBrake | kKind | kSeats | kTotalMass},
    {227, kBrake | kKind | kSeats | kTotalMass},
    {228, kBrake | kKind | kSeats | kTotalMass},
    {229, kHighRatio},
    {230, kKind | kPower},
    {231, 0},
    {233, kKind | kTotalMass | kSeats},
    {234, kKind | kSpeed},
    {235, kNew | kSpeed | kLamp | kKind | kSeats},
    {236, kNew | kSpeed | kLamp | kKind | kSeats},
    {237, kNew | kSpeed | kLamp | kKind | kSeats},
    {238, kNew | kSpeed | kLamp | kKind | kSeats},
    {241, 0},
    {242, 0},
    {243, 0},
    {244, kHeavy | kLightClass | kDate},
    {247, kKind | kSeats | kTotalMass},
    {248, kKind | kSeats | kTotalMass},
    {249, kKind | kSeats | kTotalMass},
    {252, 0},
    {276, kTotalMass | kSeats | kCurbMass | kDate},
    {300, kDate | kStrokes},
    {301, 0},
    {302, kNew | kLamp | kMopedTest},
    {306, kKind | kMopedTest},
    {307, kKind | kMopedTest},
    {308, kHighRatio},
    {309, kKind | kMopedTest},
    {311, 0},
    {312, kPower},
};

float Above(float bound) {
    return std::nextafter(bound, 1e30f);
}
float Below(float bound) {
    return std::nextafter(bound, -1e30f);
}

// "yyyy-mm-dd" of the day before a well-formed date.
std::string DayBefore(const char *date) {
    int y = 0, m = 0, d = 0;
    std::sscanf(date, "%d-%d-%d", &y, &m, &d);
    if (--d == 0) {
        if (--m == 0) {
            m = 12;
            --y;
        }
        static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
        d = kDays[m - 1] + (m == 2 && leap ? 1 : 0);
    }
    char text[20];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", y, m, d);
    return text;
}

struct SampleValues {
    std::vector<std::string> dates;
    std::vector<int32_t> totalMass;
    std::vector<int32_t> curbMass;
    std::vector<int32_t> seats;
    std::vector<int32_t> petrol;
    std::vector<int32_t> intake;
    std::vector<int32_t> kind;
    std::vector<float> speed;
    std::vector<int32_t> brake;
    std::vector<int32_t> axle;
    std::vector<int32_t> model;
    std::vector<int32_t> gear;
    std::vector<int32_t> lamp;
    std::vector<float> power;
    std::vector<int32_t> isNew;
    std::vector<float> displacement;
    std::vector<int32_t> strokes;
    std::vector<int32_t> lightClass;
    std::vector<int32_t> heavy;
    std::vector<int32_t> highRatio;
    std::vector<int32_t> foreign;
};

SampleValues MakeSampleValues(const std::vector<int32_t> &models) {
    SampleValues v;
    // Every boundary date of the rules and the day before it: a vehicle from
    // the date and one just before, which also covers the time before the
    // earliest boundary.
    for (const char *boundary :
         {rules::kJul1995, rules::kJul2000, rules::kMay2001End, rules::kSep2001, rules::kOct2001,
          rules::kJul2003, rules::kSep2004, rules::kJul2005, rules::kJul2006}) {
        v.dates.push_back(boundary);
        v.dates.push_back(DayBefore(boundary));
    }
    // Total mass: > 2500 (second-class light vehicles), > 3500 (heavy).
    v.totalMass = {2500, 2501, 3500, 3501};
    v.curbMass = {
        400,   401,    // moped test: curb mass > 400
        650,   651,    // item 276: RM <= 750
        750,   751,    // item 276: RM <= 850
        920,   921,    // items 216, 276: RM <= 1020
        999,   1000,   // item 212: curb mass < 1000
        1150,  1151,   // items 216, 276: RM <= 1250
        1370,  1371,   // items 216, 276: RM <= 1470
        1600,  1601,   // items 216, 276: RM <= 1700
        1830,  1831,   // items 216, 276: RM <= 1930
        2050,  2051,   // items 216, 276: RM <= 2150
        2400,  2401,   // item 216: RM <= 2500, no class above
        4000,  4001,   // item 212: <= 4000
        5000,  5001,   // item 212: <= 5000
        8000,  8001,   // item 212: <= 8000
        11000, 11001,  // item 212: <= 11000
    };
    // Seats: > 6 (second-class light), > 8 (large vehicle, headlamp use),
    // > 9 (brake and motor-vehicle categories).
    v.seats = {6, 7, 8, 9, 10};
    v.petrol = {0, 1};
    v.intake = {10480001, 10480002};  // turbocharged or any other
    // Every listed kind and one unlisted code.
    for (int k = 0; k < rules::kUnlistedKind; ++k) v.kind.push_back(10820001 + k);
    v.kind.push_back(10820040);
    // Speed: > 50 (moped test), >= 70 (headlamps), >= 100 (speed groups).
    v.speed = {50.0f, Above(50.0f), Below(70.0f), 70.0f, Below(100.0f), 100.0f};
    v.brake = {10370001, 10370002, 10370003};  // hydraulic, air, other
    v.axle = {10060003, 10060004};             // one and two driven axles
    v.model = models;
    v.gear = {10700001, 10700002};                      // direct gear or other
    v.lamp = {10090001, 10090002, 10090003, 10090004};  // one, two, four, unknown
    // Power: > 4 (moped test), >= 7 (items 230, 312).
    v.power = {4.0f, Above(4.0f), Below(7.0f), 7.0f};
    v.isNew = {0, 1};
    // Displacement > 0.05 compared in double: 0.05f itself is above.
    v.displacement = {Below(0.05f), 0.05f};
    v.strokes = {2, 3};  // more than 2 = four-stroke
    v.lightClass = {1, 2};
    v.heavy = {0, 1};
    v.highRatio = {0, 1};
    v.foreign = {0, 1};
    return v;
}

size_t Count(const SampleValues &v, int field) {
    switch (1u << field) {
        case kDate:
            return v.dates.size();
        case kTotalMass:
            return v.totalMass.size();
        case kCurbMass:
            return v.curbMass.size();
        case kSeats:
            return v.seats.size();
        case kPetrol:
            return v.petrol.size();
        case kIntake:
            return v.intake.size();
        case kKind:
            return v.kind.size();
        case kSpeed:
            return v.speed.size();
        case kBrake:
            return v.brake.size();
        case kAxle:
            return v.axle.size();
        case kModel:
            return v.model.size();
        case kGear:
            return v.gear.size();
        case kLamp:
            return v.lamp.size();
        case kPower:
            return v.power.size();
        case kNew:
            return v.isNew.size();
        case kDisplacement:
            return v.displacement.size();
        case kStrokes:
            return v.strokes.size();
        case kLightClass:
            return v.lightClass.size();
        case kHeavy:
            return v.heavy.size();
        case kHighRatio:
            return v.highRatio.size();
        case kForeign:
            return v.foreign.size();
    }
    return 0;
}

void Apply(const SampleValues &v, int field, size_t i, VehicleProfile &p) {
    switch (1u << field) {
        case kDate:
            std::snprintf(p.productionDate, sizeof p.productionDate, "%s", v.dates[i].c_str());
            break;
        case kTotalMass:
            p.totalMass = v.totalMass[i];
            break;
        case kCurbMass:
            p.curbMass = v.curbMass[i];
            break;
        case kSeats:
            p.seatCount = v.seats[i];
            break;
        case kPetrol:
            p.isPetrol = v.petrol[i];
            break;
        case kIntake:
            p.intakeCode = v.intake[i];
            break;
        case kKind:
            p.vehicleKind = v.kind[i];
            break;
        case kSpeed:
            p.maxSpeed = v.speed[i];
            break;
        case kBrake:
            p.brakeCode = v.brake[i];
            break;
        case kAxle:
            p.axleCode = v.axle[i];
            break;
        case kModel:
            p.modelNumber = v.model[i];
            break;
        case kGear:
            p.gearCode = v.gear[i];
            break;
        case kLamp:
            p.lampCode = v.lamp[i];
            break;
        case kPower:
            p.powerKw = v.power[i];
            break;
        case kNew:
            p.isNewRegistration = v.isNew[i];
            break;
        case kDisplacement:
            p.displacement = v.displacement[i];
            break;
        case kStrokes:
            p.strokeCount = v.strokes[i];
            break;
        case kLightClass:
            p.lightClass = v.lightClass[i];
            break;
        case kHeavy:
            p.isHeavy = v.heavy[i];
            break;
        case kHighRatio:
            p.highRatio = v.highRatio[i];
            break;
        case kForeign:
            p.isForeign = v.foreign[i];
            break;
    }
}

unsigned FieldsOf(int itemId) {
    for (const ItemFields &entry : kItemFields)
        if (entry.itemId == itemId) return entry.fields;
    return 0;
}

// Runs BuildCondition for every combination of the item's fields (a mixed
// radix counter over their sample values) and keeps each non-empty text once,
// with the first profile that gave it.
void WalkItem(int itemId, const SampleValues &values,
              std::map<std::string, VehicleProfile> &found) {
    std::vector<int> fields;
    const unsigned mask = FieldsOf(itemId);
    for (int f = 0; f < kFieldCount; ++f)
        if ((mask & (1u << f)) != 0) fields.push_back(f);
    for (int f : fields)
        if (Count(values, f) == 0) return;  // no model numbers: no 208/209 texts

    std::vector<size_t> index(fields.size(), 0);
    const VehicleProfile base;
    char text[kConditionBytes];
    for (;;) {
        VehicleProfile p = base;
        for (size_t i = 0; i < fields.size(); ++i) Apply(values, fields[i], index[i], p);
        if (BuildCondition(p, itemId, text, 0) == 1 && text[0] != '\0') found.try_emplace(text, p);
        size_t i = 0;
        for (; i < fields.size(); ++i) {
            if (++index[i] < Count(values, fields[i])) break;
            index[i] = 0;
        }
        if (i == fields.size()) break;
    }
}

}  // namespace

std::vector<int32_t> DefaultSampleModelNumbers() {
    return {VehicleProfile{}.modelNumber, 10690003, 10690005};
}

std::vector<ReachableCondition> ReachableConditions(
    const std::vector<int32_t> &sampleModelNumbers) {
    std::vector<int32_t> models = sampleModelNumbers;
    std::sort(models.begin(), models.end());
    models.erase(std::unique(models.begin(), models.end()), models.end());
    const SampleValues values = MakeSampleValues(models);

    std::vector<int> items;
    items.reserve(store::kStandardItems.size());
    for (const store::StandardItem &item : store::kStandardItems) items.push_back(item.itemId);
    std::sort(items.begin(), items.end());

    std::vector<ReachableCondition> result;
    for (int itemId : items) {
        std::map<std::string, VehicleProfile> found;
        WalkItem(itemId, values, found);
        for (auto &[condition, example] : found)
            result.push_back(ReachableCondition{itemId, condition, example});
    }
    return result;
}

}  // namespace engine
