// Condition rules of the items filed by vehicle category: fixed conditions,
// body type with model, fuel and gear (208, 209), brake system and category
// (223-228, 247), load ratio (229, 308), motorcycle or not by power (230),
// vehicle size (234, 233) and motor-vehicle groups (248, 249).
#include "condition_rules_internal.h"
#include "condition_texts.h"

namespace engine::rules {
namespace {

// Items whose condition does not depend on the vehicle.
struct FixedCondition {
    int itemId;
    const char *text;
};
constexpr FixedCondition kFixedConditions[] = {
    {200, texts::kCond40Km},
    {201, texts::kCond60Km},
    {202, texts::kCond80Km},
    {203, texts::kCond120Km},
    {231, texts::kCondSideslip},
    {241, texts::kCondToeIn},
    {242, texts::kCondFourWheelAlignment},
    {243, texts::kCondFrontWheelAlignment},
    {301, texts::kCondMotorcycleSpeed},
    {311, texts::kCondMotorcycleWheelDeviation},
};

// How a kind is categorised for brakes (223-228), for item 247 and for the
// motorcycle groups of items 230 and 234.
enum class Category {
    kByMass,         // goods vehicles: W above 3500 kg, else V
    kBySeatsOrMass,  // W above 9 seats or 3500 kg, else V
    kThreeWheelCar,
    kMotorcycle,
};
constexpr Category kCategoryByKind[kKindSlots] = {
    Category::kBySeatsOrMass,  // 0 sedan
    Category::kByMass,         // 1 truck
    Category::kBySeatsOrMass,  // 2 bus
    Category::kBySeatsOrMass,  // 3
    Category::kByMass,         // 4 van
    Category::kByMass,         // 5 tanker
    Category::kBySeatsOrMass,  // 6 semitrailer train
    Category::kBySeatsOrMass,  // 7 bus
    Category::kBySeatsOrMass,  // 8 bus
    Category::kMotorcycle,     // 9 two-wheel motorcycle
    Category::kMotorcycle,     // 10 three-wheel motorcycle
    Category::kThreeWheelCar,  // 11 three-wheel car
    Category::kMotorcycle,     // 12 three-wheel motorcycle
    Category::kBySeatsOrMass,  // unlisted
};

// Items 208, 209: body text by kind; nullptr = no condition.
constexpr const char *kBodyByKind[kKindSlots] = {
    texts::kCondSedan,
    texts::kCondTruck,
    texts::kCondBus,
    nullptr,
    texts::kCondVanTruck,
    texts::kCondTankTruck,
    texts::kCondSemitrailerTrain,
    texts::kCondBus,
    texts::kCondBus,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};
constexpr int kSedanKind = 0;

// Item 233: size text by kind; nullptr = by seats and mass.
constexpr const char *kSizeByKind[kKindSlots] = {
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    texts::kCondTwoWheelMotorcycle,    // 9
    texts::kCondThreeWheelMotorcycle,  // 10
    texts::kCondThreeWheelCar,         // 11
    texts::kCondThreeWheelMotorcycle,  // 12
    texts::kCondLargeVehicle,          // unlisted
};

// Items 248, 249: a fixed group, or "其他机动车" above 9 seats or 3500 kg
// and the small-vehicle text otherwise.
struct MotorGroup {
    const char *always;
    const char *whenSmall;
};
constexpr MotorGroup kOtherGroup{texts::kCondOtherMotorVehicles, nullptr};
constexpr MotorGroup kTwoWheelGroup{texts::kCondTwoWheelSidecarMoped, nullptr};
constexpr MotorGroup kThreeWheelGroup{texts::kCondThreeWheelTractorGroup, nullptr};
constexpr MotorGroup kPassengerGroup{nullptr, texts::kCondPassengerCars};
constexpr MotorGroup kLightGroup{nullptr, texts::kCondPassengerCarsLightTrucks};
constexpr MotorGroup kMotorGroupByKind[kKindSlots] = {
    kPassengerGroup,  kOtherGroup,      kLightGroup,     kPassengerGroup, kOtherGroup,
    kOtherGroup,      kPassengerGroup,  kPassengerGroup, kPassengerGroup, kTwoWheelGroup,
    kThreeWheelGroup, kThreeWheelGroup, kTwoWheelGroup,  kLightGroup,
};

// Items 229 and 308: ratio of total to curb mass at least 1.2 or not.
struct RatioTexts {
    int itemId;
    const char *high;
    const char *low;
};
constexpr RatioTexts kRatioTexts[] = {
    {229, texts::kCondRatioAtLeast12, texts::kCondRatioBelow12},
    {308, texts::kCondParkingRatioAtLeast12, texts::kCondParkingRatioBelow12},
};

constexpr int kHydraulicBrake = 10370001;
constexpr int kAirBrake = 10370002;
constexpr int kDirectGear = 10700001;
constexpr int kBrakeOnlyItem = 223;  // three-wheel cars have no condition here

Category CategoryOf(const VehicleProfile &p) {
    return kCategoryByKind[KindIndex(p)];
}

bool AboveNineSeatsOr3500(const VehicleProfile &p) {
    return p.seatCount > 9 || p.totalMass > 3500;
}

// W or V for the car categories.
const char *CarCategoryText(const VehicleProfile &p, Category category) {
    bool large = category == Category::kByMass ? p.totalMass > 3500 : AboveNineSeatsOr3500(p);
    return large ? texts::kCondOtherVehiclesAndTrains : texts::kCondPassengerCarsLightTrucks;
}

const char *BrakeText(const VehicleProfile &p) {
    if (p.brakeCode == kHydraulicBrake) return texts::kCondHydraulicBrake;
    if (p.brakeCode == kAirBrake) return texts::kCondAirBrake;
    return texts::kCondOtherBrake;
}

}  // namespace

int FixedRule(const VehicleProfile &, int itemId, Condition &out) {
    for (const FixedCondition &fixed : kFixedConditions)
        if (fixed.itemId == itemId) return out.Set(fixed.text);
    return 0;
}

int BodyModelFuelGearRule(const VehicleProfile &p, int, Condition &out) {
    const int kind = KindIndex(p);
    const char *body = kBodyByKind[kind];
    if (body == nullptr) return 0;
    if (kind == kSedanKind) {
        const char *gear =
            p.gearCode == kDirectGear ? texts::kCondDirectGear : texts::kCondThirdGear;
        return out.Write("%s/%d//%s", body, p.modelNumber, gear);
    }
    const char *fuel = p.isPetrol == 1 ? texts::kCondPetrol : texts::kCondDiesel;
    return out.Write("%s/%d/%s/%s", body, p.modelNumber, fuel, texts::kCondDirectGear);
}

int BrakeAndCategoryRule(const VehicleProfile &p, int itemId, Condition &out) {
    const char *brake = BrakeText(p);
    switch (Category category = CategoryOf(p)) {
        case Category::kMotorcycle:
            return out.Write("%s%s", brake, texts::kCondMoped);
        case Category::kThreeWheelCar:
            if (itemId == kBrakeOnlyItem) return out.Empty();
            return out.Join(brake, texts::kCondThreeWheelCar);
        default:
            return out.Join(brake, CarCategoryText(p, category));
    }
}

int VehicleCategoryRule(const VehicleProfile &p, int, Condition &out) {
    switch (Category category = CategoryOf(p)) {
        case Category::kMotorcycle:
            return out.Empty();
        case Category::kThreeWheelCar:
            return out.Set(texts::kCondThreeWheelCar);
        default:
            return out.Set(CarCategoryText(p, category));
    }
}

int RatioRule(const VehicleProfile &p, int itemId, Condition &out) {
    for (const RatioTexts &ratio : kRatioTexts)
        if (ratio.itemId == itemId) return out.Set(p.highRatio == 1 ? ratio.high : ratio.low);
    return 0;
}

int MotorcycleOrNotPowerRule(const VehicleProfile &p, int, Condition &out) {
    const char *group = CategoryOf(p) == Category::kMotorcycle ? texts::kCondMotorcyclesAndMopeds
                                                               : texts::kCondOtherThanMotorcycles;
    return out.Join(group, p.powerKw >= 7.0 ? ">=7kW" : "<7kW");
}

int VehicleSizeRule(const VehicleProfile &p, int, Condition &out) {
    const char *size = kSizeByKind[KindIndex(p)];
    if (size == nullptr) {
        size = p.totalMass > 3500 || p.seatCount > 8 ? texts::kCondLargeVehicle
                                                     : texts::kCondSmallVehicle;
    }
    return out.Set(size);
}

int SpeedGroupRule(const VehicleProfile &p, int, Condition &out) {
    const char *group = texts::kCondSpeedGroupCar;
    if (CategoryOf(p) == Category::kMotorcycle) group = texts::kCondSpeedGroupOther;
    if (CategoryOf(p) == Category::kThreeWheelCar) group = texts::kCondThreeWheelCar;
    const char *speed =
        p.maxSpeed >= 100.0 ? texts::kCondSpeedAtLeast100 : texts::kCondSpeedBelow100;
    return out.Join(group, speed);
}

int MotorVehicleGroupRule(const VehicleProfile &p, int, Condition &out) {
    const MotorGroup &group = kMotorGroupByKind[KindIndex(p)];
    if (group.always != nullptr) return out.Set(group.always);
    return out.Set(AboveNineSeatsOr3500(p) ? texts::kCondOtherMotorVehicles : group.whenSmall);
}

}  // namespace engine::rules
