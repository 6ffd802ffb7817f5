#pragma once
// Taking a vehicle's registration information into the VehicleProfile.
//
// The information buffer is read only through the environment library, so a
// malformed buffer is whatever the library says it is. Absent or out-of-range
// values are replaced by defaults without any message.
#include "bridges/plinth_bridge.h"
#include "engine/vehicle_profile.h"

namespace engine {

// Reads the parameters of `infoBuffer` into `profile`, field by field, and
// derives the class flags. Returns 1 when the profile was taken over; 0 for a
// null buffer, a head the library rejects or a head without entries (the
// profile is then unchanged). modelNumber, isPetrol and gearCode keep their
// previous values when their parameter is absent; every other field is set.
// Exceptions propagate (the export layer reports them); the profile may then
// be partly updated.
int TakeVehicleInfo(const bridges::PlinthBridge &plinth, const void *infoBuffer,
                    VehicleProfile &profile);

// The main code that `text` stands for as a value of `paramId`: the text as a
// code, or the code of the value of that name. 0 when it is neither, which no
// rule lists.
int ResolveCode(const bridges::PlinthBridge &plinth, const char *text, int paramId);

// isHeavy, lightClass and highRatio from masses, seats and kind; a curb mass
// of 0 becomes 1.
void DeriveClassFlags(VehicleProfile &profile);

}  // namespace engine
