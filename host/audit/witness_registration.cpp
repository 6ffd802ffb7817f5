// The registration data a line program sends for a vehicle profile, and the
// profiles tried to find a real vehicle for a condition.
#include <cstdio>

#include "coverage_audit.h"
#include "engine/registration_params.h"

namespace audit {
namespace {

// Registration parameters the intake reads.
enum Param : int {
    kFuel = engine::kParamFuel,
    kDriveType = engine::kParamDriveType,
    kNewRegistration = engine::kParamNewRegistration,
    kLamps = engine::kParamLampSystem,
    kLoadRatio = engine::kParamLoadRatio,
    kProductionDate = engine::kParamProductionDate,
    kBrake = engine::kParamBrakeSystem,
    kStrokes = engine::kParamStrokes,
    kDisplacement = engine::kParamDisplacement,
    kIntake = engine::kParamIntake,
    kMaxSpeed = engine::kParamMaxSpeed,
    kModel = engine::kParamModel,
    kGear = engine::kParamGear,
    kKind = engine::kParamVehicleKind,
    kCurbMass = engine::kParamCurbMass,
    kPower = engine::kParamPower,
    kTotalMass = engine::kParamTotalMass,
    kSeats = engine::kParamSeats,
    kForeign = engine::kParamForeign,
};

constexpr int kPetrolCode = engine::kFuelPetrol;
constexpr int kDieselCode = engine::kFuelDiesel;
constexpr int kNewCode = engine::kRegistrationNew;
constexpr int kInUseCode = engine::kRegistrationInUse;
constexpr int kForeignCode = engine::kForeignYes;
constexpr int kPassengerCar = 10820001;  // a passenger kind
constexpr int kTruck = 10820002;         // a kind that is not a passenger kind

std::string Number(long long value) {
    return std::to_string(value);
}

// Nine significant digits give a float back exactly through atof.
std::string Decimal(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

// The loading ratio the intake derives from the masses alone.
bool DerivedHighRatio(const engine::VehicleProfile &p) {
    const int32_t curb = p.curbMass == 0 ? 1 : p.curbMass;
    return static_cast<double>(p.totalMass) / curb >= 1.2;
}

}  // namespace

Registration RegistrationOf(const engine::VehicleProfile &p) {
    Registration r = {
        {kKind, Number(p.vehicleKind)},
        {kTotalMass, Number(p.totalMass)},
        {kCurbMass, Number(p.curbMass)},
        {kSeats, Number(p.seatCount)},
        {kProductionDate, p.productionDate},
        {kFuel, Number(p.isPetrol != 0 ? kPetrolCode : kDieselCode)},
        {kIntake, Number(p.intakeCode)},
        {kMaxSpeed, Decimal(p.maxSpeed)},
        {kBrake, Number(p.brakeCode)},
        {kDriveType, Number(p.axleCode)},
        {kModel, Number(p.modelNumber)},
        {kGear, Number(p.gearCode)},
        {kLamps, Number(p.lampCode)},
        {kPower, Decimal(p.powerKw)},
        {kNewRegistration, Number(p.isNewRegistration != 0 ? kNewCode : kInUseCode)},
        {kDisplacement, Decimal(p.displacement)},
        {kStrokes, Number(p.strokeCount)},
    };
    if (p.isForeign != 0) r.push_back({kForeign, Number(kForeignCode)});
    // A ratio up to 1000 is compared with 1.2: 2 gives a high ratio, 1 not.
    if (DerivedHighRatio(p) != (p.highRatio != 0))
        r.push_back({kLoadRatio, p.highRatio != 0 ? "2" : "1"});
    return r;
}

std::vector<engine::VehicleProfile> WitnessCandidates(const engine::VehicleProfile &example) {
    std::vector<engine::VehicleProfile> out{example};
    std::vector<int32_t> kinds{example.vehicleKind};
    for (int32_t kind : {kPassengerCar, kTruck})
        if (kind != example.vehicleKind) kinds.push_back(kind);
    // Light class 1: a passenger kind up to 2500 kg and 6 seats; class 2 and
    // not heavy: more mass, seats or another kind, up to 3500 kg; heavy:
    // above 3500 kg.
    for (int32_t totalMass : {2500, 3000, 4000})
        for (int32_t seats : {5, 7})
            for (int32_t kind : kinds) {
                engine::VehicleProfile p = example;
                p.totalMass = totalMass;
                p.seatCount = seats;
                p.vehicleKind = kind;
                out.push_back(p);
            }
    return out;
}

}  // namespace audit
