// Condition rules of the headlamp items (235-238) and the motorcycle items:
// headlamps (302), class (306, 307, 309) and sound level (312).
#include "condition_rules_internal.h"
#include "condition_texts.h"

namespace engine::rules {
namespace {

// Lamp system codes (param 1009) and their texts in the car headlamp
// conditions and in the motorcycle headlamp condition.
struct LampTexts {
    int code;
    const char *lamps;
    const char *system;
};
constexpr LampTexts kLampTexts[] = {
    {10090001, texts::kCondOneLamp, texts::kCondOneLampSystem},
    {10090002, texts::kCondTwoLamps, texts::kCondTwoLampSystem},
    {10090003, texts::kCondFourLamps, texts::kCondFourLampSystem},
};
// An unknown code counts as two lamps for cars, as one lamp for motorcycles.
constexpr LampTexts kUnknownLamps{0, texts::kCondTwoLamps, texts::kCondOneLampSystem};

const LampTexts &LampsOf(const VehicleProfile &p) {
    for (const LampTexts &lamps : kLampTexts)
        if (lamps.code == p.lampCode) return lamps;
    return kUnknownLamps;
}

// How the headlamp condition of a kind is put together.
enum class LampLayout {
    kPassenger,      // status/speed group/lamps/by seats
    kGoods,          // status/speed group/lamps/other motor vehicles
    kMoped,          // status/moped/one lamp/other motor vehicles
    kMotorcycle,     // status/motorcycle+lamps/other motor vehicles
    kThreeWheelCar,  // status/three-wheel car/lamps/other motor vehicles
    kUnlisted,       // one fixed text
};
constexpr LampLayout kLampLayoutByKind[kKindSlots] = {
    LampLayout::kPassenger,      // 0 sedan
    LampLayout::kGoods,          // 1 truck
    LampLayout::kPassenger,      // 2 bus
    LampLayout::kPassenger,      // 3
    LampLayout::kGoods,          // 4 van
    LampLayout::kGoods,          // 5 tanker
    LampLayout::kGoods,          // 6 semitrailer train
    LampLayout::kPassenger,      // 7 bus
    LampLayout::kPassenger,      // 8 bus
    LampLayout::kMoped,          // 9 two-wheel motorcycle
    LampLayout::kMotorcycle,     // 10 three-wheel motorcycle
    LampLayout::kThreeWheelCar,  // 11 three-wheel car
    LampLayout::kMotorcycle,     // 12 three-wheel motorcycle
    LampLayout::kUnlisted,
};

// Items 306, 307, 309: kinds filed as three-wheel motorcycle or car.
struct ThreeWheelKinds {
    int itemId;
    int kinds[3];  // 0 = unused
};
constexpr ThreeWheelKinds kThreeWheelKinds[] = {
    {306, {10820011, 10820012, 0}},
    {307, {10820011, 10820012, 10820013}},
    {309, {10820011, 10820012, 0}},
};

// A motorcycle rather than a moped. The float fields are compared as the
// 32-bit values they hold, so the intake's default displacement of 0.05
// already counts as above 0.05.
const char *MopedTestText(const VehicleProfile &p) {
    bool motorcycle =
        p.displacement > 0.05 || p.curbMass > 400 || p.maxSpeed > 50.0 || p.powerKw > 4.0;
    return motorcycle ? texts::kCondMotorcycle : texts::kCondMoped;
}

bool IsThreeWheelKind(const VehicleProfile &p, int itemId) {
    for (const ThreeWheelKinds &entry : kThreeWheelKinds) {
        if (entry.itemId != itemId) continue;
        for (int kind : entry.kinds)
            if (kind != 0 && kind == p.vehicleKind) return true;
    }
    return false;
}

}  // namespace

int HeadlampRule(const VehicleProfile &p, int, Condition &out) {
    const char *status = p.isNewRegistration == 1 ? texts::kCondNewRegistration : texts::kCondInUse;
    const char *speedGroup =
        p.maxSpeed >= 70.0 ? texts::kCondOtherCars : texts::kCondMaxSpeedBelow70;
    const char *lamps = LampsOf(p).lamps;
    const char *other = texts::kCondOtherMotorVehicles;
    switch (kLampLayoutByKind[KindIndex(p)]) {
        case LampLayout::kPassenger: {
            const char *use = p.seatCount > 8 ? other : texts::kCondPassengerCars;
            return out.Write("%s/%s/%s/%s", status, speedGroup, lamps, use);
        }
        case LampLayout::kGoods:
            return out.Write("%s/%s/%s/%s", status, speedGroup, lamps, other);
        case LampLayout::kMoped:
            return out.Write("%s/%s/%s/%s", status, texts::kCondMoped, texts::kCondOneLamp, other);
        case LampLayout::kMotorcycle:
            return out.Write("%s/%s%s/%s", status, texts::kCondMotorcycle, lamps, other);
        case LampLayout::kThreeWheelCar:
            return out.Write("%s/%s/%s/%s", status, texts::kCondThreeWheelCar, lamps, other);
        case LampLayout::kUnlisted:
            break;
    }
    return out.Write("%s/%s/%s/%s", texts::kCondInUse, texts::kCondOtherCars, texts::kCondTwoLamps,
                     other);
}

int MotorcycleHeadlampRule(const VehicleProfile &p, int, Condition &out) {
    const char *status = p.isNewRegistration == 1 ? texts::kCondNewVehicle : texts::kCondInUse;
    return out.Write("%s/%s/%s", status, MopedTestText(p), LampsOf(p).system);
}

int MotorcycleClassRule(const VehicleProfile &p, int itemId, Condition &out) {
    if (IsThreeWheelKind(p, itemId)) return out.Set(texts::kCondThreeWheelMotorcycleOrCar);
    return out.Set(MopedTestText(p));
}

int MotorcycleSoundRule(const VehicleProfile &p, int, Condition &out) {
    return out.Set(p.powerKw >= 7.0 ? texts::kCondSoundLevelOther : texts::kCondSoundLevelBelow7);
}

}  // namespace engine::rules
