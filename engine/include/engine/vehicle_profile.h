#pragma once
// The vehicle as the condition rules see it: one module-wide record, filled
// from the host's information buffer by TakeVehicleInfo and read by
// BuildCondition. The member initialisers are the values at module load; the
// intake has defaults of its own for absent parameters (they differ: a curb
// mass of 960 at load, 1875 for a vehicle without one).
//
// Texts are GBK and NUL-terminated. Codes are parameter ID x 10000 + running
// number (10820001 = value 1 of parameter 1082).
#include <cstdint>

namespace engine {

struct VehicleProfile {
    char productionDate[20] = "2011-01-01";  // param 1014, "yyyy-mm-dd"
    char seriesKey[100] = "VEH";             // params 1104, 1069: "VEH" or brand_model
    int32_t totalMass = 2500;                // param 1088, kg
    int32_t curbMass = 960;                  // param 1083, kg; RM = curbMass + 100
    int32_t seatCount = 5;                   // param 1089
    int32_t isPetrol = 1;                    // param 1005: 1 petrol, 0 diesel
    int32_t intakeCode = 10480001;           // param 1048: 10480001 turbocharged
    int32_t vehicleKind = 10820001;          // param 1082, main code
    float maxSpeed = 130.0f;                 // param 1066, km/h
    int32_t brakeCode = 10370001;            // param 1037
    int32_t axleCode = 10060003;             // param 1006, drive type
    int32_t modelNumber = 10690038;          // param 1069 as a number
    int32_t gearCode = 10700001;             // param 1070: 10700001 direct gear
    int32_t lampCode = 10090002;             // param 1009: 1, 2 or 4 lamps
    float powerKw = 20.0f;                   // param 1084, kW
    int32_t isNewRegistration = 0;           // param 1008: 1 new, 0 in use
    float displacement = 1.0f;               // param 1047
    int32_t strokeCount = 4;                 // param 1045
    int32_t lightClass = 0;                  // derived: 1 or 2
    int32_t isHeavy = 0;                     // derived: totalMass > 3500
    int32_t highRatio = 1;                   // derived or param 1011: ratio >= 1.2
    int32_t notPassengerKind = 0;            // param 1082: 0 for passenger kinds
    int32_t isForeign = 0;                   // param 1164
};

}  // namespace engine
