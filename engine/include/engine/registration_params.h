#pragma once
// The registration parameters of a vehicle: the information IDs under which
// a vehicle's registration values travel in an information buffer (read by
// the judging intake, written by the default standard and the conditions
// dialog), and the codes of the coded values the code base names. A coded
// value is its parameter's ID times 10000 plus the value's number counted
// from 1 (10820001: value 1 of parameter 1082).

namespace engine {

inline constexpr int kParamFuel = 1005;
inline constexpr int kParamDriveType = 1006;
inline constexpr int kParamNewRegistration = 1008;
inline constexpr int kParamLampSystem = 1009;
inline constexpr int kParamLoadRatio = 1011;      // total mass over curb mass
inline constexpr int kParamModelCodeName = 1013;  // the model's name is looked up under it
inline constexpr int kParamProductionDate = 1014;
inline constexpr int kParamBrakeSystem = 1037;
inline constexpr int kParamCatalyst = 1038;  // three-way catalyst
inline constexpr int kParamStrokes = 1045;
inline constexpr int kParamDisplacement = 1047;
inline constexpr int kParamIntake = 1048;
inline constexpr int kParamMaxSpeed = 1066;
inline constexpr int kParamModel = 1069;  // the model series
inline constexpr int kParamGear = 1070;
inline constexpr int kParamVehicleKind = 1082;
inline constexpr int kParamCurbMass = 1083;
inline constexpr int kParamPower = 1084;
inline constexpr int kParamTotalMass = 1088;
inline constexpr int kParamSeats = 1089;  // number of occupants
inline constexpr int kParamBrand = 1104;
inline constexpr int kParamForeign = 1164;

// The code of value `number` (from 1) of parameter `param`.
constexpr int ParamCode(int param, int number) {
    return param * 10000 + number;
}

inline constexpr int kFuelPetrol = ParamCode(kParamFuel, 1);
inline constexpr int kFuelDiesel = ParamCode(kParamFuel, 2);
inline constexpr int kRegistrationNew = ParamCode(kParamNewRegistration, 1);
inline constexpr int kRegistrationInUse = ParamCode(kParamNewRegistration, 2);
inline constexpr int kLoadRatioBelowLimit = ParamCode(kParamLoadRatio, 3);  // below 1.2
inline constexpr int kForeignYes = ParamCode(kParamForeign, 1);

}  // namespace engine
