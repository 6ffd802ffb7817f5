#pragma once
// Table rows of the condition rule tests: an item, changes to the profile of
// a vehicle without any information, and the condition expected (UTF-8, to
// be compared in GBK).
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <ostream>
#include <string>

#include "engine/condition_rules.h"
#include "engine/vehicle_profile.h"

namespace rules_test {

using engine::VehicleProfile;

// The profile of a vehicle whose information buffer gave no values: the load
// values with the intake's defaults and the flags derived from them.
inline VehicleProfile IntakeDefaults() {
    VehicleProfile p;
    p.curbMass = 1875;
    p.maxSpeed = 120.0f;
    p.displacement = 0.05f;
    p.strokeCount = 2;
    p.lightClass = 1;
    p.highRatio = 1;
    return p;
}

// Kind by index k of the rules (vehicleKind = 10820001 + k).
constexpr int K(int k) {
    return 10820001 + k;
}

inline constexpr int kKeep = INT_MIN;
inline constexpr float kKeepFloat = -1e30f;

// Changes to the default profile; a field left out keeps its default.
struct Change {
    const char *date = nullptr;
    int kind = kKeep;
    int totalMass = kKeep;
    int curbMass = kKeep;
    int seats = kKeep;
    int isNew = kKeep;
    int isHeavy = kKeep;
    int lightClass = kKeep;
    int isForeign = kKeep;
    int intake = kKeep;
    int axle = kKeep;
    int strokes = kKeep;
    int gear = kKeep;
    int model = kKeep;
    int isPetrol = kKeep;
    int brake = kKeep;
    int highRatio = kKeep;
    int lamp = kKeep;
    float speed = kKeepFloat;
    float power = kKeepFloat;
    float displacement = kKeepFloat;
};

inline VehicleProfile Apply(const Change &c) {
    VehicleProfile p = IntakeDefaults();
    auto set = [](auto &field, auto value, auto keep) {
        if (value != keep) field = value;
    };
    if (c.date != nullptr) std::snprintf(p.productionDate, sizeof p.productionDate, "%s", c.date);
    set(p.vehicleKind, c.kind, kKeep);
    set(p.totalMass, c.totalMass, kKeep);
    set(p.curbMass, c.curbMass, kKeep);
    set(p.seatCount, c.seats, kKeep);
    set(p.isNewRegistration, c.isNew, kKeep);
    set(p.isHeavy, c.isHeavy, kKeep);
    set(p.lightClass, c.lightClass, kKeep);
    set(p.isForeign, c.isForeign, kKeep);
    set(p.intakeCode, c.intake, kKeep);
    set(p.axleCode, c.axle, kKeep);
    set(p.strokeCount, c.strokes, kKeep);
    set(p.gearCode, c.gear, kKeep);
    set(p.modelNumber, c.model, kKeep);
    set(p.isPetrol, c.isPetrol, kKeep);
    set(p.brakeCode, c.brake, kKeep);
    set(p.highRatio, c.highRatio, kKeep);
    set(p.lampCode, c.lamp, kKeep);
    set(p.maxSpeed, c.speed, kKeepFloat);
    set(p.powerKw, c.power, kKeepFloat);
    set(p.displacement, c.displacement, kKeepFloat);
    return p;
}

struct RuleCase {
    const char *name;
    int itemId;
    Change change;
    const char *expected;  // UTF-8; nullptr: no condition (result 0)
    int classFlag = 0;
};

inline void PrintTo(const RuleCase &c, std::ostream *os) {
    *os << c.name;
}
inline std::string CaseName(const ::testing::TestParamInfo<RuleCase> &info) {
    return info.param.name;
}

class ConditionRule : public ::testing::TestWithParam<RuleCase> {};

}  // namespace rules_test
